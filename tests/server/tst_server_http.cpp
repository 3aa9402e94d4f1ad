// The HTTP side over real sockets: the reply framing byte by byte, the login and close
// exchanges, and the files under /image/.

#include "server/app/serve_command.h"
#include "server/core/html.h"
#include "server_test_support.h"
#include "support/http_peer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

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

} // namespace

class TestServerHttp : public QObject {
    Q_OBJECT
private slots:
    void framingLoginsAndApproval();
    void autoApproveWithConfiguredValuesThenClose();
    void imageFiles();
    void pagesOfFeatures();
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

QTEST_GUILESS_MAIN(TestServerHttp)
#include "tst_server_http.moc"
