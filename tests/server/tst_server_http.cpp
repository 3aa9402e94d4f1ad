// The HTTP side over real sockets: the reply framing byte by byte, the login and close
// exchanges, the files under /image/, and the limits: oversized and malformed requests, the body
// budget, keep-alive and close, deadlines, connection caps, files sent no faster than they are
// read, password checks off the server's thread and the throttling of password guessers.

#include "server/app/serve_command.h"
#include "server/core/html.h"
#include "server/http/orvix_http_server.h"
#include "server/http/reply_writer.h"
#include "server/storage/password_hasher.h"
#include "server_test_support.h"
#include "support/http_peer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;
using orvix::test::HttpPeer;

namespace {

const QString kLogin = u"/android/pclogin.php"_s;
const QString kClose = u"/android/closeusepc.php"_s;

// The exact bytes of a refusal ("404 Not Found"), framed like every other reply.
QByteArray refusal(const QByteArray& status) {
    return HttpPeer::reply(status.mid(4)).replace("200 OK", status);
}

// A refusal after which the server closes the connection.
QByteArray closingRefusal(int status) {
    return ReplyWriter::statusLine(status) + "Connection: close\r\n" +
           HttpPeer::reply(ReplyWriter::reasonPhrase(status)).mid(17);
}

// Reads what the server sends until it closes the connection; false when it is still open after
// timeoutMs.
bool readUntilClosed(QTcpSocket& socket, QByteArray* received, int timeoutMs = 10000) {
    const bool closed = QTest::qWaitFor(
        [&] {
            *received += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        timeoutMs);
    *received += socket.readAll();
    return closed;
}

// Reads until at least size bytes have come (or timeoutMs passed), handling events meanwhile
// without pausing between reads.
QByteArray readAtLeast(QTcpSocket& socket, qsizetype size, int timeoutMs) {
    QByteArray received = socket.readAll();
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        received += socket.readAll();
        if (received.size() >= size)
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (received.size() < size)
        loop.exec();
    return received;
}

QByteArray post(const char* path, const QByteArray& body, const QByteArray& extraHeaders = {}) {
    return "POST " + QByteArray(path) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// A server whose "/android/size.php" answers the size of the body it got, counting the calls.
struct SizeServer {
    explicit SizeServer(ServerConfig config = {})
        : fixture(config) {
        fixture.server().routes().addScript(u"/android/size.php"_s, [this](const ScriptRequest& r) {
            ++calls;
            return ScriptReply::text(QString::number(r.form.value(u"b").size()));
        });
    }
    OrvixHttpServer& http() { return *fixture.server().httpServer(); }

    ServerFixture fixture;
    int calls = 0;
};

} // namespace

class TestServerHttp : public QObject {
    Q_OBJECT
private slots:
    void framingLoginsAndApproval();
    void autoApproveWithConfiguredValuesThenClose();
    void imageFiles();
    void pagesOfFeatures();
    void refusedRequests_data();
    void refusedRequests();
    void bodiesWithinTheBudget();
    void keepAliveAndClose();
    void deadlines();
    void connectionCaps();
    void unreadRepliesStayBounded();
    void passwordChecksDoNotHoldUpTheServer();
    void aMemberFindsAWorkerBesideGuessers();
    void passwordGuessersAreThrottled();
};

void TestServerHttp::framingLoginsAndApproval() {
    ServerFixture f;
    QVERIFY(f.running());
    // Sent as typed: blanks, '=', '+' and '%' reach the server unchanged.
    const QByteArray credentials = u"id=김민지&password=비번 = 1<2/3+%41"_s.toUtf8();
    QCOMPARE(f.addMember(u"김민지"_s, u"비번 = 1<2/3+%41"_s), 1);
    f.addMember(u"kim"_s, u"pw"_s);
    // A member whose password was reset to the reserved "0" cannot log in from a PC.
    f.addMember(u"zero"_s, u"0"_s);
    // Content-Length counts bytes of the UTF-8 body, whatever the body holds.
    f.server().routes().addScript(u"/android/echo.php"_s, [](const ScriptRequest& r) {
        return ScriptReply::text(r.form.value(u"text"));
    });
    const quint16 port = f.httpPort();
    auto post = [port](const QString& path, const QByteArray& body) {
        return httpExchange(port, clientRequest(path, body));
    };
    // Wrong credentials, also those that would match if decoded or case-folded, open nothing.
    for (const char* body : {"id=kim&password=bad", "id=nobody&password=pw", "id=zero&password=0",
                             "id=kim&password=", "", "id=KIM&password=pw", "id=kim&password=p%77"})
        QCOMPARE(post(kLogin, body), HttpPeer::reply("0"));
    QVERIFY(!f.context().pcAccess().openApproval(2) && !f.context().pcAccess().openApproval(3));
    QCOMPARE(post(kClose, "deviceid=none"), HttpPeer::reply("0"));
    const QByteArray text = "한국어 </> 中文\r\n\r\nContent-Length: 5";
    QCOMPARE(post(u"/android/echo.php"_s, "text=" + text), HttpPeer::reply(text));
    QCOMPARE(post(u"/android/none.php"_s, "a=1"), refusal("404 Not Found"));
    QCOMPARE(httpExchange(port, getRequest(kLogin)), refusal("405 Method Not Allowed"));

    // The waiting client repeats its login; each answer says "pending".
    for (int i = 0; i < 3; ++i)
        QCOMPARE(post(kLogin, credentials), HttpPeer::reply("1</>0"));
    QVERIFY(f.context().pcAccess().decide(1, true));
    const QByteArray admitted = post(kLogin, credentials);
    QCOMPARE(admitted, HttpPeer::reply(bodyOf(admitted)));
    QStringList fields = QString::fromUtf8(bodyOf(admitted)).split(u"</>"_s);
    const QString deviceId = fields.value(3);
    QVERIFY(QRegularExpression(u"^[0-9a-f]{32}$"_s).match(deviceId).hasMatch());
    QCOMPARE(f.context().pcAccess().sessionMember(deviceId), 1);
    // Member 1, no photo, store 1, the default versions, this server twice, two empty fields.
    fields[3].clear();
    QCOMPARE(fields.join(u"</>"_s), u"1</>1</>1</></>0</>1</>7</>0.5.6</>%1</>%1</></></>7"_s.arg(
                                        u"127.0.0.1:%1"_s.arg(port)));
    // The approval was used up: the next login waits for the phone again.
    QCOMPARE(post(kLogin, credentials), HttpPeer::reply("1</>0"));
}

void TestServerHttp::autoApproveWithConfiguredValuesThenClose() {
    ServerFixture f(*ServeCommand::parse(words("--data . --auto-approve --public-address "
                                               "orvix.example:8081 --version-code 9 "
                                               "--version-name 1.0.0 --min-version-code 8"),
                                         nullptr));
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    QStringList fields = login(f.httpPort(), u"kim"_s, u"pw"_s).split(u"</>"_s);
    const QString other = login(f.httpPort(), u"kim"_s, u"pw"_s).split(u"</>"_s).value(3);
    const QString deviceId = fields.value(3);
    QVERIFY(deviceId != other && other.size() == 32);
    fields[3].clear();
    QCOMPARE(
        fields.join(u"</>"_s),
        u"1</>1</>1</></>0</>1</>9</>1.0.0</>orvix.example:8081</>orvix.example:8081</></></>8"_s);
    QCOMPARE(login(f.httpPort(), u"kim"_s, u"bad"_s), u"0"_s);

    // Closing ends that session only; its device id is refused from then on.
    const QByteArray close = clientRequest(kClose, "deviceid=" + deviceId.toUtf8());
    QCOMPARE(httpExchange(f.httpPort(), close), HttpPeer::reply("1"));
    QVERIFY(!f.context().pcAccess().sessionMember(deviceId));
    QCOMPARE(f.context().pcAccess().sessionMember(other), 1);
    QCOMPARE(bodyOf(httpExchange(f.httpPort(), close)), QByteArray("0"));
}

void TestServerHttp::imageFiles() {
    ServerFixture f;
    QVERIFY(f.running());
    // Paths and the type each is served with; an empty type: refused with a 404.
    const QByteArray korean = "/image/chatdata/" + QUrl::toPercentEncoding(u"사진 한장.jpg"_s);
    const char* const rows[][2] = {
        {"/image/memberphoto/mem1.jpg", "image/jpeg"},
        {"/image/memberphoto/A.JPEG", "image/jpeg"},
        {"/image/chatdata/a.png", "image/png"},
        {"/image/chatdata/a.gif", "image/gif"},
        {"/image/chatdata/a.bmp", "image/bmp"},
        {korean.constData(), "image/jpeg"},
        // An uploaded page must never be served as a page of this server.
        {"/image/chatdata/evil.html", "application/octet-stream"},
        {"/image/memberphoto/mem404.jpg", ""},
        {"/image/memberphoto", ""},
        {"/image/memberphoto/../../orvix.db", ""},
        {"/image/memberphoto/%2e%2e/%2e%2e/orvix.db", ""},
        {"/image/memberphoto/..%5c..%5corvix.db", ""},
        {"/image/memberphoto/mem1.jpg%00.png", ""},
        // Symbolic links inside the tree that lead out of it.
        {"/image/links/secret.jpg", ""},
        {"/image/up/secret.jpg", ""},
    };
    const QString data = f.dataDir();
    const QByteArray bytes("\x00\x01\x02 picture \r\n\r\n", 16);
    for (const auto& [path, type] : rows) {
        if (*type)
            QVERIFY(writeFile(data + QUrl::fromPercentEncoding(path), bytes));
    }
    QVERIFY(writeFile(data + u"/secret.jpg"_s, "secret"));
    QVERIFY(QDir().mkpath(f.imageRoot() + u"/links"_s));
    QVERIFY(QFile::link(data + u"/secret.jpg"_s, f.imageRoot() + u"/links/secret.jpg"_s));
    QVERIFY(QFile::link(data, f.imageRoot() + u"/up"_s));
    for (const auto& [path, type] : rows) {
        QCOMPARE(path + httpExchange(f.httpPort(), getRequest(QString::fromUtf8(path))),
                 path + (*type ? HttpPeer::reply(bytes, type) : refusal("404 Not Found")));
    }
}

void TestServerHttp::pagesOfFeatures() {
    ServerFixture f;
    QVERIFY(f.running());
    // A page sees the query decoded as a browser encodes it; whatever it shows is escaped.
    f.server().routes().addPage(u"/android/echo_page.php"_s, [](const PageRequest& r) {
        return PageReply::page(Html::page(r.value(u"title"), Html::escape(r.value(u"q"))));
    });
    // A page that takes a form answers a POST with a redirect back to itself.
    f.server().routes().addPage(
        u"/android/form_page.php"_s,
        [](const PageRequest& r) {
            if (r.method == PageRequest::Method::Post)
                return PageReply::redirect(u"/android/form_page.php?saved="_s +
                                           Html::queryValue(r.value(u"address")));
            return PageReply::page(Html::page(u"form"_s, Html::escape(r.value(u"saved"))));
        },
        true);
    const quint16 port = f.httpPort();
    const QByteArray page = httpExchange(
        port, getRequest(u"/android/echo_page.php?title=A%26B&q=%3Cscript%3Ex+y%22%27"_s));
    QVERIFY2(page.startsWith("HTTP/1.1 200 OK\r\n"), page.constData());
    QVERIFY(page.contains("Content-Type: text/html; charset=utf-8\r\n"));
    const QString html = QString::fromUtf8(bodyOf(page));
    QVERIFY(html.contains(u"<meta charset=\"utf-8\">"_s));
    QVERIFY(html.contains(u"<title>A&amp;B</title>"_s));
    QVERIFY2(html.contains(u"&lt;script&gt;x y&quot;&#39;"_s), qPrintable(html));
    QVERIFY(!html.contains(u"<script>"_s));

    // Scripts stay POST-only and pages GET-only, unless a page takes a form.
    QCOMPARE(httpExchange(port, clientRequest(u"/android/echo_page.php"_s, "q=1")),
             refusal("405 Method Not Allowed"));
    const QByteArray saved =
        httpExchange(port, clientRequest(u"/android/form_page.php"_s, "address=Seoul+%26+1"));
    QVERIFY2(saved.startsWith("HTTP/1.1 303 "), saved.constData());
    QVERIFY2(saved.contains("Location: /android/form_page.php?saved=Seoul%20%26%201\r\n"),
             saved.constData());
    QVERIFY(
        bodyOf(httpExchange(port, getRequest(u"/android/form_page.php?saved=Seoul%20%26%201"_s)))
            .contains("Seoul &amp; 1"));
    // Sorted; the features add their own scripts beside these.
    const QStringList paths = f.server().routes().paths();
    QVERIFY(std::is_sorted(paths.begin(), paths.end()));
    for (const QString& path : {u"/android/closeusepc.php"_s, u"/android/echo_page.php"_s,
                                u"/android/form_page.php"_s, u"/android/pclogin.php"_s})
        QVERIFY2(paths.contains(path), qPrintable(path));
}

void TestServerHttp::refusedRequests_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    const QByteArray field = "X-Filler: " + QByteArray(2000, 'a') + "\r\n";
    QTest::newRow("head over the limit") << post("/android/size.php", "b=1", field) << 431;
    // The peer goes on sending after the refusal and still reads it.
    QTest::newRow("head bomb") << "GET / HTTP/1.1\r\n" + field.repeated(200) << 431;
    QTest::newRow("body announced over the limit")
        << post("/android/size.php", "b=" + QByteArray(999, 'x')) << 413;
    QTest::newRow("two lengths") << post("/android/size.php", "b=1", "Content-Length: 3\r\n")
                                 << 400;
    QTest::newRow("negative length")
        << QByteArray("POST /android/size.php HTTP/1.1\r\nContent-Length: -3\r\n\r\nb=1") << 400;
    QTest::newRow("chunked body") << QByteArray(
                                         "POST /android/size.php HTTP/1.1\r\n"
                                         "Transfer-Encoding: chunked\r\n\r\n3\r\nb=1\r\n0\r\n\r\n")
                                  << 501;
    QTest::newRow("not http") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\r\n\r\n", 13)
                              << 400;
    // The features' web pages meet the same limits.
    QTest::newRow("page: query over the limit")
        << "GET /android/pcdocument.php?deviceid=" + QByteArray(2000, 'd') + " HTTP/1.1\r\n\r\n"
        << 431;
    QTest::newRow("page: form over the limit")
        << post("/android/orseekaddress_cn_window.php", "address=" + QByteArray(993, 'a')) << 413;
}

void TestServerHttp::refusedRequests() {
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    ServerConfig config;
    config.limits.maxHeaderBytes = 1024;
    config.limits.maxBodyBytes = 1000;
    SizeServer server(config);
    QVERIFY(server.fixture.running());
    QTcpSocket socket;
    QVERIFY(connectFrom(socket, server.fixture.httpPort()));
    socket.write(request);
    QByteArray received;
    QVERIFY(readUntilClosed(socket, &received));
    // Refused with its status, the connection closed; no script ever saw the body (none was
    // read as empty either).
    QCOMPARE(received, closingRefusal(status));
    QCOMPARE(server.calls, 0);
    QTRY_COMPARE(server.http().connectionCount(), 0);
    QCOMPARE(server.http().bodyBytesReceiving(), 0);
}

void TestServerHttp::bodiesWithinTheBudget() {
    {
        // With the usual limits, a body of several MiB (a content's registration) goes through,
        // also after a client's "Expect: 100-continue".
        SizeServer server;
        QVERIFY(server.fixture.running());
        const QByteArray body = "b=" + QByteArray(4 * 1024 * 1024, 'x');
        QCOMPARE(bodyOf(httpExchange(server.fixture.httpPort(), post("/android/size.php", body))),
                 QByteArray("4194304"));
        QTcpSocket socket;
        QVERIFY(connectFrom(socket, server.fixture.httpPort()));
        const QByteArray request = post("/android/size.php", body, "Expect: 100-continue\r\n");
        const qsizetype head = request.indexOf("\r\n\r\n") + 4;
        socket.write(request.left(head));
        QByteArray received;
        QVERIFY(
            QTest::qWaitFor([&] { return (received += socket.readAll()).endsWith("\r\n\r\n"); }));
        QCOMPARE(received, QByteArray("HTTP/1.1 100 Continue\r\n\r\n"));
        socket.write(request.mid(head));
        QVERIFY(
            QTest::qWaitFor([&] { return (received += socket.readAll()).endsWith("4194304"); }));
    }
    // Bodies being received at once share a budget: one that does not fit beside the others is
    // refused with 503, and fits again once they are in.
    ServerConfig config;
    config.limits.maxBodyBytes = 1000;
    config.limits.bodyBudgetBytes = 1500;
    SizeServer server(config);
    QVERIFY(server.fixture.running());
    const quint16 port = server.fixture.httpPort();
    const QByteArray large = post("/android/size.php", "b=" + QByteArray(998, 'x'));
    QTcpSocket held;
    QVERIFY(connectFrom(held, port));
    held.write(large.chopped(500));
    QTRY_COMPARE(server.http().bodyBytesReceiving(), 1000);
    const QByteArray middle = post("/android/size.php", "b=" + QByteArray(598, 'x'));
    QCOMPARE(httpExchange(port, middle), closingRefusal(503));
    QCOMPARE(bodyOf(httpExchange(port, post("/android/size.php", "b=12"))), QByteArray("2"));
    held.write(large.right(500));
    QByteArray received;
    QVERIFY(QTest::qWaitFor([&] { return (received += held.readAll()).endsWith("998"); }));
    QTRY_COMPARE(server.http().bodyBytesReceiving(), 0);
    QCOMPARE(bodyOf(httpExchange(port, middle)), QByteArray("598"));
}

void TestServerHttp::keepAliveAndClose() {
    SizeServer server;
    QVERIFY(server.fixture.running());
    const quint16 port = server.fixture.httpPort();
    // Two requests in one write: answered in order on the connection; the second asked for the
    // connection to close, and it is closed after its answer.
    QTcpSocket socket;
    QVERIFY(connectFrom(socket, port));
    socket.write(post("/android/size.php", "b=1") +
                 post("/android/size.php", "b=22", "Connection: close\r\n") +
                 post("/android/size.php", "b=333"));
    QByteArray received;
    QVERIFY(readUntilClosed(socket, &received));
    QCOMPARE(received, HttpPeer::reply("1") + HttpPeer::reply("2").replace(
                                                  "200 OK\r\n", "200 OK\r\nConnection: close\r\n"));
    QCOMPARE(server.calls, 2);
    // HTTP/1.0 closes unless asked to stay; HTTP/1.1 stays open.
    QTcpSocket old;
    QVERIFY(connectFrom(old, port));
    old.write("GET /none HTTP/1.0\r\n\r\n");
    received.clear();
    QVERIFY(readUntilClosed(old, &received));
    QVERIFY(received.startsWith("HTTP/1.1 404 Not Found\r\nConnection: close\r\n"));
    QTcpSocket kept;
    QVERIFY(connectFrom(kept, port));
    kept.write(getRequest(u"/none"_s));
    received.clear();
    QVERIFY(!readUntilClosed(kept, &received, 300));
    QCOMPARE(received, refusal("404 Not Found"));
}

void TestServerHttp::deadlines() {
    ServerConfig config;
    config.limits.requestTimeoutMs = 300;
    config.limits.idleTimeoutMs = 400;
    config.limits.bodyBytesPerSecond = 1000000;
    SizeServer server(config);
    QVERIFY(server.fixture.running());
    const quint16 port = server.fixture.httpPort();
    // A head or a body that does not arrive in time is answered 408 and closed; a connection
    // that says nothing, or nothing more after an answer, is closed without a word.
    const QByteArray request = post("/android/size.php", "b=" + QByteArray(100, 'x'));
    const QByteArray sent[] = {request.left(20), request.chopped(10), QByteArray(),
                               post("/android/size.php", "b=1")};
    const QByteArray expected[] = {closingRefusal(408), closingRefusal(408), QByteArray(),
                                   HttpPeer::reply("1")};
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (const QByteArray& bytes : sent) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        QVERIFY(connectFrom(*sockets.back(), port));
        sockets.back()->write(bytes);
    }
    for (size_t i = 0; i < sockets.size(); ++i) {
        QByteArray received;
        QVERIFY(readUntilClosed(*sockets[i], &received));
        QCOMPARE(received, expected[i]);
    }
    QTRY_COMPARE(server.http().connectionCount(), 0);
}

void TestServerHttp::connectionCaps() {
    ServerConfig config;
    config.limits.maxConnectionsPerAddress = 3;
    config.limits.maxConnections = 5;
    SizeServer server(config);
    QVERIFY(server.fixture.running());
    const quint16 port = server.fixture.httpPort();
    std::vector<std::unique_ptr<QTcpSocket>> local; // from 127.0.0.1, in order of age
    auto open = [&](std::vector<std::unique_ptr<QTcpSocket>>& list, const QString& from) {
        list.push_back(std::make_unique<QTcpSocket>());
        return connectFrom(*list.back(), port, from);
    };
    for (int i = 0; i < 3; ++i) {
        QVERIFY(open(local, {}));
        QTRY_COMPARE(server.http().connectionCount(), i + 1);
    }
    // The address is at its cap: a new connection takes the place of the one idle longest.
    QVERIFY(open(local, {}));
    QTRY_COMPARE(local[0]->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(server.http().connectionCount(), 3);
    // With all of the address's connections in the middle of a request, a new one is refused.
    for (size_t i = 1; i < local.size(); ++i)
        local[i]->write("GET /no");
    QTRY_COMPARE(server.http().idleConnectionCount(), 0);
    QVERIFY(open(local, {}));
    QByteArray received;
    QVERIFY(readUntilClosed(*local.back(), &received));
    QCOMPARE(received, closingRefusal(503));
    // Other addresses fill the total; then the connection idle longest anywhere makes room.
    std::vector<std::unique_ptr<QTcpSocket>> others;
    QVERIFY(open(others, u"127.0.0.2"_s));
    QTRY_COMPARE(server.http().connectionCount(), 4);
    QVERIFY(open(others, u"127.0.0.3"_s));
    QTRY_COMPARE(server.http().connectionCount(), 5);
    QVERIFY(open(others, u"127.0.0.4"_s));
    QTRY_COMPARE(others[0]->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(others[1]->state(), QAbstractSocket::ConnectedState);
    // The newcomer is served.
    others.back()->write(post("/android/size.php", "b=1"));
    QVERIFY(QTest::qWaitFor([&] { return others.back()->readAll().endsWith("\r\n\r\n1"); }));
    // With every connection in the middle of a request, the address holding the most gives up
    // its oldest unfinished one to a newcomer from an address holding at least two fewer...
    for (size_t i = 1; i < others.size(); ++i)
        others[i]->write("GET /no");
    QTRY_COMPARE(server.http().idleConnectionCount(), 0);
    QVERIFY(open(others, u"127.0.0.5"_s));
    QTRY_COMPARE(local[1]->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(local[2]->state(), QAbstractSocket::ConnectedState);
    QCOMPARE(server.http().connectionCount(), 5);
    // ...but not to one from an address that holds nearly as many.
    others.back()->write("GET /no");
    QTRY_COMPARE(server.http().idleConnectionCount(), 0);
    QVERIFY(open(others, u"127.0.0.3"_s));
    received.clear();
    QVERIFY(readUntilClosed(*others.back(), &received));
    QCOMPARE(received, closingRefusal(503));
    // The busy connections that stay are served once their requests are whole.
    local[2]->write("ne HTTP/1.1\r\n\r\n");
    QVERIFY(QTest::qWaitFor([&] { return local[2]->readAll().endsWith("Not Found"); }));
}

void TestServerHttp::unreadRepliesStayBounded() {
    ServerFixture f;
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    // Larger than what the loopback socket buffers hold on both sides; a period that divides
    // none of the pieces, so a piece sent twice or left out shows.
    QByteArray block(4093, Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char(i * 7);
    const QByteArray bytes = block.repeated(16 * 1024 * 1024 / block.size());
    QVERIFY(writeFile(f.imageRoot() + u"/mailbox/0000000001/big.bin"_s, bytes));
    QTcpSocket reader;
    reader.setReadBufferSize(16 * 1024); // a reader that takes almost nothing
    QVERIFY(connectFrom(reader, f.httpPort()));
    reader.write(getRequest(u"/image/mailbox/0000000001/big.bin"_s));
    // The server stops reading the file while what it sent waits: a few tens of KiB, not the
    // file.
    OrvixHttpServer& http = *f.server().httpServer();
    QTRY_VERIFY(http.bufferedReplyBytes() > 0);
    QVERIFY2(http.bufferedReplyBytes() <= 96 * 1024,
             qPrintable(QString::number(http.bufferedReplyBytes())));
    // Meanwhile everybody else is answered.
    QCOMPARE(login(f.httpPort(), u"kim"_s, u"pw"_s), u"1</>0"_s);
    // Read as fast as it comes now: the whole file arrives, byte for byte.
    reader.setReadBufferSize(0);
    const QByteArray head =
        HttpPeer::reply({}, "application/octet-stream")
            .replace("Content-Length: 0", "Content-Length: " + QByteArray::number(bytes.size()));
    const QByteArray received = readAtLeast(reader, head.size() + bytes.size(), 60000);
    QCOMPARE(received.left(head.size()), head);
    QVERIFY(received.mid(head.size()) == bytes);

    // Requests sent one after another by a peer that reads none of the replies: the server stops
    // reading requests while a window of replies waits, and goes on when they are read.
    const QByteArray html(60 * 1024, 'h');
    f.server().routes().addPage(u"/big.php"_s, [&](const PageRequest&) {
        return PageReply::page(QString::fromLatin1(html));
    });
    QTcpSocket piling;
    piling.setReadBufferSize(16 * 1024);
    QVERIFY(connectFrom(piling, f.httpPort()));
    piling.write(getRequest(u"/big.php"_s).repeated(200));
    QTRY_VERIFY(http.bufferedReplyBytes() > 0);
    QVERIFY2(http.bufferedReplyBytes() <= 64 * 1024 + html.size(),
             qPrintable(QString::number(http.bufferedReplyBytes())));
    piling.setReadBufferSize(0);
    const qsizetype replySize = ReplyWriter::page(200, html).size();
    const QByteArray replies = readAtLeast(piling, 200 * replySize, 60000);
    QCOMPARE(replies.size(), 200 * replySize);
    QCOMPARE(replies.count("HTTP/1.1 200 OK\r\n"), 200);
}

void TestServerHttp::passwordChecksDoNotHoldUpTheServer() {
    ServerConfig config;
    config.limits.passwordCheckThreads = 1;
    ServerFixture f(config);
    QVERIFY(f.running());
    // A stored hash that takes long to check (no password matches it).
    QVERIFY(f.context().members().add(
        u"slow"_s,
        u"pbkdf2-sha256$200000$%1$%2"_s.arg(QString::fromLatin1(QByteArray(16, 's').toBase64()),
                                            QString::fromLatin1(QByteArray(32, 'k').toBase64())),
        {}, nullptr));
    QTcpSocket checking;
    QVERIFY(connectFrom(checking, f.httpPort()));
    checking.write(clientRequest(u"/android/pclogin.php"_s, "id=slow&password=guess"));
    // While that check runs, other requests are answered.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(httpExchange(f.httpPort(), getRequest(u"/none"_s)), refusal("404 Not Found"));
    QCOMPARE(checking.bytesAvailable(), 0);
    QByteArray received;
    QVERIFY(QTest::qWaitFor([&] { return !(received += checking.readAll()).isEmpty(); }, 60000));
    QVERIFY(
        QTest::qWaitFor([&] { return (received += checking.readAll()).endsWith("\r\n\r\n0"); }));
    QCOMPARE(received, HttpPeer::reply("0"));
}

void TestServerHttp::aMemberFindsAWorkerBesideGuessers() {
    ServerConfig config;
    config.limits.passwordCheckThreads = 2;
    ServerFixture f(config);
    QVERIFY(f.running());
    QVERIFY(f.context().members().add(u"kim"_s, PasswordHasher(100).hash(u"pw"_s), {}, nullptr));
    QVERIFY(f.context().members().add(
        u"slow"_s,
        u"pbkdf2-sha256$200000$%1$%2"_s.arg(QString::fromLatin1(QByteArray(16, 's').toBase64()),
                                            QString::fromLatin1(QByteArray(32, 'k').toBase64())),
        {}, nullptr));
    // Three addresses that have guessed wrong before each send a slow guess: they share one
    // worker and wait for it in turn ...
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QTcpSocket>> guessers;
    std::vector<qint64> answeredAt;
    for (int i = 2; i < 5; ++i) {
        const QString from = u"127.0.0.%1"_s.arg(i);
        QCOMPARE(login(f.httpPort(), u"kim"_s, u"wrong"_s + from, from), u"0"_s);
        guessers.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket* socket = guessers.back().get();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [&answeredAt, &clock, socket] {
            if (socket->readAll().endsWith("\r\n\r\n0"))
                answeredAt.push_back(clock.elapsed());
        });
        QVERIFY(connectFrom(*socket, f.httpPort(), from));
        socket->write(clientRequest(u"/android/pclogin.php"_s, "id=slow&password=x"));
    }
    QTest::qWait(50); // the guesses are in the server's queue
    // ... while a member without failures is checked on the other worker at once, before any
    // guess is answered.
    QCOMPARE(login(f.httpPort(), u"kim"_s, u"pw"_s, u"127.0.0.9"_s), u"1</>0"_s);
    const qint64 memberAnsweredAt = clock.elapsed();
    QTRY_COMPARE_WITH_TIMEOUT(answeredAt.size(), size_t(3), 60000);
    QVERIFY2(memberAnsweredAt < answeredAt.front(),
             qPrintable(u"%1 %2"_s.arg(memberAnsweredAt).arg(answeredAt.front())));
}

void TestServerHttp::passwordGuessersAreThrottled() {
    ServerConfig config;
    config.limits.loginFreeFailuresPerAddress = 2;
    config.limits.loginFreeFailuresPerId = 3;
    config.limits.loginBackoffMs = 60000; // no back-off ends during the test
    config.limits.loginRefusalDelayMs = 100;
    ServerFixture f(config);
    QVERIFY(f.running());
    // Cheap hashes: this test counts checks, it does not time them.
    for (const char* id : {"kim", "lee"})
        QVERIFY(f.context().members().add(QString::fromLatin1(id),
                                          PasswordHasher(100).hash(u"pw"_s), {}, nullptr));
    const PasswordVerifier& checks = f.context().passwords();
    auto fullChecks = [&] { return checks.rememberedCount() + checks.rememberedFailures(); };
    const quint16 port = f.httpPort();
    // kim's PC waits for the phone from 127.0.0.1 (one full check, then remembered).
    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>0"_s);
    QCOMPARE(fullChecks(), 1);
    // Guesses from 127.0.0.2: the third failure starts a back-off; after it, even the right
    // password of another member gets the usual refusal, without a check.
    const QString guesser = u"127.0.0.2"_s;
    for (const char* password : {"a", "b", "c"})
        QCOMPARE(login(port, u"lee"_s, QString::fromLatin1(password), guesser), u"0"_s);
    QCOMPARE(fullChecks(), 4);
    // The refusal during the back-off comes after a while, so that resending at once gains
    // nothing.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(login(port, u"lee"_s, u"d"_s, guesser), u"0"_s);
    QVERIFY(clock.elapsed() >= 100);
    QCOMPARE(login(port, u"lee"_s, u"pw"_s, guesser), u"0"_s);
    QCOMPARE(fullChecks(), 4);
    // Guesses at kim from many addresses hold kim's ID back from every address; the waiting
    // client's repeats, already checked, go on as before and are never held back.
    for (int i = 3; i < 7; ++i)
        QCOMPARE(login(port, u"kim"_s, u"x%1"_s.arg(i), u"127.0.0.%1"_s.arg(i)), u"0"_s);
    QCOMPARE(fullChecks(), 8);
    QCOMPARE(login(port, u"kim"_s, u"new"_s, u"127.0.0.7"_s), u"0"_s);
    QCOMPARE(fullChecks(), 8);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>0"_s);
    // An unknown ID costs a full check like a member's, and a repeated guess at it is
    // remembered like one.
    QCOMPARE(login(port, u"ghost"_s, u"pw"_s, u"127.0.0.8"_s), u"0"_s);
    QCOMPARE(fullChecks(), 9);
    QCOMPARE(login(port, u"ghost"_s, u"pw"_s, u"127.0.0.8"_s), u"0"_s);
    QCOMPARE(fullChecks(), 9);
    QCOMPARE(login(port, u"ghost2"_s, u"pw"_s, u"127.0.0.8"_s), u"0"_s);
    QCOMPARE(fullChecks(), 10);
}

QTEST_GUILESS_MAIN(TestServerHttp)
#include "tst_server_http.moc"
