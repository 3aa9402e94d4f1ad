// The HTTP side over real sockets: the reply framing byte by byte, the login and close
// exchanges, and the files under /image/.

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

// The exact bytes of a 404, framed like every other reply.
QByteArray notFound() {
    return HttpPeer::reply("Not Found").replace("200 OK", "404 Not Found");
}

} // namespace

class TestServerHttp : public QObject {
    Q_OBJECT
private slots:
    void everyReplyIsFramedExactly();
    void wrongCredentials_data();
    void wrongCredentials();
    void pendingApproveAdmittedOnce();
    void autoApproveWithConfiguredValuesThenClose();
    void imageFiles_data();
    void imageFiles();
};

void TestServerHttp::everyReplyIsFramedExactly() {
    ServerFixture f;
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    // Content-Length counts bytes of the UTF-8 body, whatever the body holds.
    f.server().scripts().add(u"/android/echo.php"_s, [](const ScriptRequest& r) {
        return ScriptReply::text(r.form.value(u"text"));
    });
    const quint16 port = f.httpPort();
    auto post = [port](const QString& path, const QByteArray& body) {
        return httpExchange(port, clientRequest(path, body));
    };
    QCOMPARE(post(kLogin, "id=kim&password=bad"), HttpPeer::reply("0"));
    QCOMPARE(post(kLogin, "id=kim&password=pw"), HttpPeer::reply("1</>0"));
    QCOMPARE(post(kClose, "deviceid=none"), HttpPeer::reply("0"));
    const QByteArray text = "한국어 </> 中文\r\n\r\nContent-Length: 5";
    QCOMPARE(post(u"/android/echo.php"_s, "text=" + text), HttpPeer::reply(text));
    QCOMPARE(post(u"/android/none.php"_s, "a=1"), notFound());
    QCOMPARE(httpExchange(port, getRequest(kLogin)),
             HttpPeer::reply("Method Not Allowed").replace("200 OK", "405 Method Not Allowed"));
    QVERIFY(f.context().pcAccess().decide(1, true));
    const QByteArray admitted = post(kLogin, "id=kim&password=pw");
    QCOMPARE(bodyOf(admitted).count("</>"), 12);
    QCOMPARE(admitted, HttpPeer::reply(bodyOf(admitted)));
}

void TestServerHttp::wrongCredentials_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("wrong password") << QByteArray("id=kim&password=bad");
    QTest::newRow("unknown id") << QByteArray("id=nobody&password=pw");
    QTest::newRow("password 0") << QByteArray("id=zero&password=0");
    QTest::newRow("empty password") << QByteArray("id=kim&password=");
    QTest::newRow("no fields") << QByteArray();
    QTest::newRow("case differs") << QByteArray("id=KIM&password=pw");
    QTest::newRow("percent is not decoded") << QByteArray("id=kim&password=p%77");
}

void TestServerHttp::wrongCredentials() {
    QFETCH(QByteArray, body);
    ServerFixture f;
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    // A member whose password was reset to the reserved "0" cannot log in from a PC.
    f.addMember(u"zero"_s, u"0"_s);
    QCOMPARE(httpExchange(f.httpPort(), clientRequest(kLogin, body)), HttpPeer::reply("0"));
    // No approval was opened for anyone.
    QVERIFY(!f.context().pcAccess().openApproval(1));
    QVERIFY(!f.context().pcAccess().openApproval(2));
}

void TestServerHttp::pendingApproveAdmittedOnce() {
    ServerFixture f;
    QVERIFY(f.running());
    // Sent as typed: blanks, '=', '+' and '%' reach the server unchanged.
    const QString id = u"김민지"_s;
    const QString password = u"비번 = 1<2/3+%41"_s;
    const qint64 member = f.addMember(id, password);
    QCOMPARE(member, 1);
    // The waiting client repeats its login; each answer says "pending".
    for (int i = 0; i < 3; ++i)
        QCOMPARE(f.login(id, password), u"1</>0"_s);
    QVERIFY(f.context().pcAccess().decide(member, true));

    QStringList fields = f.login(id, password).split(u"</>"_s);
    QCOMPARE(fields.size(), 13);
    const QString deviceId = fields[3];
    QVERIFY(QRegularExpression(u"^[0-9a-f]{32}$"_s).match(deviceId).hasMatch());
    QCOMPARE(f.context().pcAccess().sessionMember(deviceId), member);
    // Member 1, no photo, store 1, the default versions, this server twice, two empty fields.
    fields[3].clear();
    const QString address = u"127.0.0.1:%1"_s.arg(f.httpPort());
    QCOMPARE(fields.join(u"</>"_s),
             u"1</>1</>1</></>0</>1</>7</>0.5.6</>%1</>%1</></></>7"_s.arg(address));

    // The approval was used up: the next login waits for the phone again.
    QCOMPARE(f.login(id, password), u"1</>0"_s);
}

void TestServerHttp::autoApproveWithConfiguredValuesThenClose() {
    ServerConfig config;
    config.autoApprove = true;
    config.publicAddress = u"orvix.example:8081"_s;
    config.versionCode = u"9"_s;
    config.versionName = u"1.0.0"_s;
    config.minVersionCode = u"8"_s;
    ServerFixture f(config);
    QVERIFY(f.running());
    const qint64 member = f.addMember(u"kim"_s, u"pw"_s);
    QStringList fields = f.login(u"kim"_s, u"pw"_s).split(u"</>"_s);
    const QString other = f.login(u"kim"_s, u"pw"_s).split(u"</>"_s).value(3);
    QCOMPARE(fields.size(), 13);
    const QString deviceId = fields[3];
    QVERIFY(deviceId != other && other.size() == 32);
    fields[3].clear();
    QCOMPARE(
        fields.join(u"</>"_s),
        u"1</>1</>1</></>0</>1</>9</>1.0.0</>orvix.example:8081</>orvix.example:8081</></></>8"_s);
    QCOMPARE(f.login(u"kim"_s, u"bad"_s), u"0"_s);

    // Closing ends that session only; its device id is refused from then on.
    const QByteArray close = clientRequest(kClose, "deviceid=" + deviceId.toUtf8());
    QCOMPARE(httpExchange(f.httpPort(), close), HttpPeer::reply("1"));
    QVERIFY(!f.context().pcAccess().sessionMember(deviceId));
    QCOMPARE(f.context().pcAccess().sessionMember(other), member);
    QCOMPARE(bodyOf(httpExchange(f.httpPort(), close)), QByteArray("0"));
    QCOMPARE(bodyOf(httpExchange(f.httpPort(), clientRequest(kClose, ""))), QByteArray("0"));
}

void TestServerHttp::imageFiles_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("type"); // empty: refused with a 404
    const QByteArray korean = "/image/chatdata/" + QUrl::toPercentEncoding(u"사진 한장.jpg"_s);
    const char* const rows[][2] = {
        {"/image/memberphoto/mem1.jpg", "image/jpeg"},
        {"/image/memberphoto/A.JPEG", "image/jpeg"},
        {"/image/chatdata/a.png", "image/png"},
        {"/image/chatdata/a.gif", "image/gif"},
        {"/image/chatdata/a.bmp", "image/bmp"},
        // An uploaded page must never be served as a page of this server.
        {"/image/chatdata/evil.html", "application/octet-stream"},
        {"/image/chatdata/사진%20한장.jpg", "image/jpeg"},
        {korean.constData(), "image/jpeg"},
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
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QByteArray(row[1]);
}

void TestServerHttp::imageFiles() {
    QFETCH(QString, path);
    QFETCH(QByteArray, type);
    ServerFixture f;
    QVERIFY(f.running());
    const QString data = f.dataDir();
    const QString images = f.imageRoot();
    const QByteArray bytes("\x00\x01\x02 picture \r\n\r\n", 16);
    if (!type.isEmpty())
        QVERIFY(writeFile(data + QUrl::fromPercentEncoding(path.toUtf8()), bytes));
    QVERIFY(writeFile(images + u"/memberphoto/mem1.jpg"_s, bytes));
    QVERIFY(writeFile(data + u"/secret.jpg"_s, "secret"));
    QVERIFY(QDir().mkpath(images + u"/links"_s));
    QVERIFY(QFile::link(data + u"/secret.jpg"_s, images + u"/links/secret.jpg"_s));
    QVERIFY(QFile::link(data, images + u"/up"_s));
    QCOMPARE(httpExchange(f.httpPort(), getRequest(path)),
             type.isEmpty() ? notFound() : HttpPeer::reply(bytes, type));
}

QTEST_GUILESS_MAIN(TestServerHttp)
#include "tst_server_http.moc"
