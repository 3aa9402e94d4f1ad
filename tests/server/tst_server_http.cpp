// The HTTP side over real sockets: the reply framing byte by byte, the login and close
// exchanges, and the files under /image/.

#include "server_test_support.h"

#include "server/storage/staged_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace orvix::server;
using namespace orvix::server::test;

namespace {

const QString kLogin = QStringLiteral("/android/pclogin.php");
const QString kClose = QStringLiteral("/android/closeusepc.php");

QByteArray loginBody(const QByteArray& id, const QByteArray& password) {
    return "id=" + id + "&password=" + password;
}

// The exact bytes of a text reply.
QByteArray framed(const QByteArray& body, const QByteArray& status = "200 OK") {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nContent-Type: text/html\r\n\r\n" + body;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestServerHttp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyTextReplyIsFramedExactly();
    void clientReaderFindsTheBody();
    void wrongCredentials_data();
    void wrongCredentials();
    void pendingApproveAdmitted();
    void admittedReplyCarriesConfiguredValues();
    void refusedThenAsksAgain();
    void autoApprove();
    void closeEndsTheSession();
    void keepAliveConnectionAnswersEachRequest();
    void unknownScriptsAndMethods();
    void imageFilesAreServed_data();
    void imageFilesAreServed();
    void imageNamesWithKoreanAndSpaces();
    void largeFileIsStreamed();
    void imageRefusals_data();
    void imageRefusals();
    void symlinkOutOfTreeIsRefused();
    void restartKeepsData();

private:
    std::unique_ptr<ServerFixture> m_fixture;
    ServerConfig m_config;
};

void TestServerHttp::init() {
    m_fixture = std::make_unique<ServerFixture>(m_config);
    QString error;
    QVERIFY2(m_fixture->start(&error), qPrintable(error));
}

void TestServerHttp::cleanup() {
    m_fixture.reset();
    m_config = ServerConfig{};
}

void TestServerHttp::everyTextReplyIsFramedExactly() {
    m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    const quint16 port = m_fixture->httpPort();
    QCOMPARE(httpExchange(port, clientRequest(kLogin, loginBody("kim", "bad"))).raw, framed("0"));
    QCOMPARE(httpExchange(port, clientRequest(kLogin, loginBody("kim", "pw"))).raw,
             framed("1</>0"));
    QCOMPARE(httpExchange(port, clientRequest(kClose, "deviceid=none")).raw, framed("0"));
    QCOMPARE(httpExchange(port, clientRequest(QStringLiteral("/android/none.php"), "")).raw,
             framed("Not Found", "404 Not Found"));

    QVERIFY(m_fixture->context().pcAccess().decide(1, true));
    const HttpReply admitted = httpExchange(port, clientRequest(kLogin, loginBody("kim", "pw")));
    QVERIFY(admitted.complete);
    QCOMPARE(admitted.raw, framed(admitted.body));
    // Nothing but the two headers, Content-Type last.
    QCOMPARE(admitted.headerLines,
             QList<QByteArray>({"Content-Length: " + QByteArray::number(admitted.body.size()),
                                "Content-Type: text/html"}));
}

void TestServerHttp::clientReaderFindsTheBody() {
    // Bodies with markers, Korean text and the "/html" text itself still come out whole by the
    // client's way of reading.
    m_fixture->server().scripts().add(
        QStringLiteral("/android/echo.php"),
        [](const ScriptRequest& r) { return ScriptReply::text(r.form.value(u"text")); });
    for (const QByteArray& text :
         QList<QByteArray>{"1</>2</></>4", "한국어 </> 中文", "a/html/b", "", "ngth: 5\r\n"}) {
        const HttpReply reply =
            httpExchange(m_fixture->httpPort(),
                         clientRequest(QStringLiteral("/android/echo.php"), "text=" + text));
        QVERIFY(reply.complete);
        QCOMPARE(reply.body, text);
        bool delivered = false;
        QCOMPARE(clientReaderBody(reply.raw, &delivered), text);
        QVERIFY(delivered);
    }
}

void TestServerHttp::wrongCredentials_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("wrong password") << loginBody("kim", "bad");
    QTest::newRow("unknown id") << loginBody("nobody", "pw");
    QTest::newRow("password must change") << loginBody("zero", "0");
    QTest::newRow("empty password") << loginBody("kim", "");
    QTest::newRow("no fields") << QByteArray();
    QTest::newRow("case differs") << loginBody("KIM", "pw");
    QTest::newRow("percent is not decoded") << loginBody("kim", "p%77");
}

void TestServerHttp::wrongCredentials() {
    QFETCH(QByteArray, body);
    m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    // A member whose password was reset to the reserved value cannot log in from a PC.
    m_fixture->addMember(QStringLiteral("zero"), QStringLiteral("0"));
    const HttpReply reply = httpExchange(m_fixture->httpPort(), clientRequest(kLogin, body));
    QCOMPARE(reply.status(), 200);
    QCOMPARE(reply.body, QByteArray("0"));
    // No approval was opened for anyone.
    QVERIFY(!m_fixture->context().pcAccess().openApproval(1));
    QVERIFY(!m_fixture->context().pcAccess().openApproval(2));
}

void TestServerHttp::pendingApproveAdmitted() {
    const qint64 member =
        m_fixture->addMember(QStringLiteral("김민지"), QStringLiteral("비번 = 1<2/3"));
    QCOMPARE(member, 1);
    const QString id = QStringLiteral("김민지");
    const QString password = QStringLiteral("비번 = 1<2/3");
    // The waiting client repeats its login; each answer says "pending".
    for (int i = 0; i < 5; ++i)
        QCOMPARE(m_fixture->login(id, password), QStringLiteral("1</>0"));
    QVERIFY(m_fixture->context().pcAccess().decide(member, true));

    const QStringList fields = m_fixture->login(id, password).split(QStringLiteral("</>"));
    QCOMPARE(fields.size(), 13);
    QCOMPARE(fields[0], QStringLiteral("1"));
    QCOMPARE(fields[1], QStringLiteral("1"));
    QCOMPARE(fields[2], QStringLiteral("1"));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(fields[3]).hasMatch());
    QCOMPARE(fields[4], QStringLiteral("0")); // no photo
    QCOMPARE(fields[5], QStringLiteral("1"));
    QCOMPARE(fields[6], QStringLiteral("7"));
    QCOMPARE(fields[7], QStringLiteral("0.5.6"));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(m_fixture->httpPort());
    QCOMPARE(fields[8], address);
    QCOMPARE(fields[9], address);
    QCOMPARE(fields[10], QString());
    QCOMPARE(fields[11], QString());
    QCOMPARE(fields[12], QStringLiteral("7"));
    QCOMPARE(m_fixture->context().pcAccess().sessionMember(fields[3]), member);

    // The approval was used up: the next login waits for the phone again.
    QCOMPARE(m_fixture->login(id, password), QStringLiteral("1</>0"));
}

void TestServerHttp::admittedReplyCarriesConfiguredValues() {
    m_fixture.reset();
    m_config.autoApprove = true;
    m_config.publicAddress = QStringLiteral("orvix.example:8081");
    m_config.versionCode = QStringLiteral("9");
    m_config.versionName = QStringLiteral("1.0.0");
    m_config.minVersionCode = QStringLiteral("8");
    init();
    m_fixture->addMember(QStringLiteral("first"), QStringLiteral("pw1"));
    const qint64 member = m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    QString error;
    QVERIFY2(StagedFile::writeWhole(m_fixture->context().folder().stagingDir(),
                                    m_fixture->context().folder().memberPhotoPath(member),
                                    "\xff\xd8 photo", &error),
             qPrintable(error));
    const QStringList fields =
        m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")).split(QStringLiteral("</>"));
    QCOMPARE(fields.size(), 13);
    QStringList expected = strings({"1", "1", "2", "", "1", "2", "9", "1.0.0", "orvix.example:8081",
                                    "orvix.example:8081", "", "", "8"});
    expected[3] = fields[3];
    QCOMPARE(fields, expected);
}

void TestServerHttp::refusedThenAsksAgain() {
    const qint64 member = m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    QCOMPARE(m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")),
             QStringLiteral("1</>0"));
    QVERIFY(m_fixture->context().pcAccess().decide(member, false));
    QCOMPARE(m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")),
             QStringLiteral("1</>2"));
    QCOMPARE(m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")),
             QStringLiteral("1</>0"));
}

void TestServerHttp::autoApprove() {
    m_fixture.reset();
    m_config.autoApprove = true;
    init();
    m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    const QStringList first =
        m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")).split(QStringLiteral("</>"));
    const QStringList second =
        m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")).split(QStringLiteral("</>"));
    QCOMPARE(first.size(), 13);
    QCOMPARE(first[1], QStringLiteral("1"));
    QCOMPARE(second[1], QStringLiteral("1"));
    QVERIFY(first[3] != second[3]);
    QCOMPARE(m_fixture->login(QStringLiteral("kim"), QStringLiteral("bad")), QStringLiteral("0"));
}

void TestServerHttp::closeEndsTheSession() {
    m_fixture.reset();
    m_config.autoApprove = true;
    init();
    m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    const QString deviceId = m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw"))
                                 .split(QStringLiteral("</>"))[3];
    const QString other = m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw"))
                              .split(QStringLiteral("</>"))[3];
    const HttpReply closed =
        httpExchange(m_fixture->httpPort(), clientRequest(kClose, "deviceid=" + deviceId.toUtf8()));
    QCOMPARE(closed.raw, framed("1"));
    QVERIFY(!m_fixture->context().pcAccess().sessionMember(deviceId));
    QVERIFY(m_fixture->context().pcAccess().sessionMember(other));
    // The ended device id is refused from now on.
    QCOMPARE(
        httpExchange(m_fixture->httpPort(), clientRequest(kClose, "deviceid=" + deviceId.toUtf8()))
            .body,
        QByteArray("0"));
    QCOMPARE(httpExchange(m_fixture->httpPort(), clientRequest(kClose, "")).body, QByteArray("0"));
}

void TestServerHttp::keepAliveConnectionAnswersEachRequest() {
    m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    const QList<HttpReply> replies = httpExchangeKeepAlive(
        m_fixture->httpPort(), {clientRequest(kLogin, loginBody("kim", "pw")),
                                clientRequest(kLogin, loginBody("kim", "x")),
                                getRequest(QStringLiteral("/image/none/none.jpg")),
                                clientRequest(kLogin, loginBody("kim", "pw"))});
    QCOMPARE(replies.size(), 4);
    QCOMPARE(replies[0].body, QByteArray("1</>0"));
    QCOMPARE(replies[1].body, QByteArray("0"));
    QCOMPARE(replies[2].status(), 404);
    QCOMPARE(replies[3].body, QByteArray("1</>0"));
}

void TestServerHttp::unknownScriptsAndMethods() {
    const quint16 port = m_fixture->httpPort();
    QCOMPARE(
        httpExchange(port, clientRequest(QStringLiteral("/android/unknown.php"), "a=1")).status(),
        404);
    QCOMPARE(httpExchange(port, clientRequest(QStringLiteral("/pclogin.php"), "a=1")).status(),
             404);
    QCOMPARE(httpExchange(port, getRequest(QStringLiteral("/"))).status(), 404);
    const HttpReply get = httpExchange(port, getRequest(kLogin));
    QCOMPARE(get.raw, framed("Method Not Allowed", "405 Method Not Allowed"));
    // Scripts are not files: POST under /image/ finds nothing.
    writeFile(m_fixture->imageRoot() + QStringLiteral("/chatdata/a.jpg"), "x");
    QCOMPARE(
        httpExchange(port, clientRequest(QStringLiteral("/image/chatdata/a.jpg"), "")).status(),
        404);
}

void TestServerHttp::imageFilesAreServed_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("type");
    QTest::newRow("jpg") << "mem1.jpg" << QByteArray("image/jpeg");
    QTest::newRow("JPEG upper") << "PHOTO.JPEG" << QByteArray("image/jpeg");
    QTest::newRow("png") << "a.png" << QByteArray("image/png");
    QTest::newRow("gif") << "a.gif" << QByteArray("image/gif");
    QTest::newRow("bmp") << "a.bmp" << QByteArray("image/bmp");
    QTest::newRow("content") << "12abc.sml" << QByteArray("application/octet-stream");
    QTest::newRow("page") << "evil.html" << QByteArray("application/octet-stream");
}

void TestServerHttp::imageFilesAreServed() {
    QFETCH(QString, name);
    QFETCH(QByteArray, type);
    QByteArray bytes("\x00\x01\x02 picture bytes \r\n\r\n", 22);
    writeFile(m_fixture->imageRoot() + QStringLiteral("/memberphoto/") + name, bytes);
    const HttpReply reply = httpExchange(m_fixture->httpPort(),
                                         getRequest(QStringLiteral("/image/memberphoto/") + name));
    QVERIFY(reply.complete);
    QCOMPARE(reply.statusLine, QByteArray("HTTP/1.1 200 OK"));
    QCOMPARE(reply.headerLines, QList<QByteArray>({"Content-Length: 22", "Content-Type: " + type}));
    QCOMPARE(reply.body, bytes);

    const HttpReply head =
        httpExchange(m_fixture->httpPort(), getRequest(QStringLiteral("/image/memberphoto/") + name,
                                                       QStringLiteral("HEAD")));
    QCOMPARE(head.status(), 200);
    QCOMPARE(head.header("Content-Length"), QByteArray("22"));
    QVERIFY(head.raw.endsWith("\r\n\r\n"));
}

void TestServerHttp::imageNamesWithKoreanAndSpaces() {
    writeFile(m_fixture->imageRoot() + QStringLiteral("/chatdata/사진 한장.jpg"), "korean");
    const quint16 port = m_fixture->httpPort();
    // Raw UTF-8 as typed, and percent-encoded as a browser sends it.
    QCOMPARE(httpExchange(port, getRequest(QStringLiteral("/image/chatdata/사진%20한장.jpg"))).body,
             QByteArray("korean"));
    const QString encoded =
        QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("사진 한장.jpg")));
    QCOMPARE(httpExchange(port, getRequest(QStringLiteral("/image/chatdata/") + encoded)).body,
             QByteArray("korean"));
}

void TestServerHttp::largeFileIsStreamed() {
    QByteArray bytes(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 % 251);
    writeFile(m_fixture->imageRoot() + QStringLiteral("/document/1/big.PDF"), bytes);
    const HttpReply reply = httpExchange(m_fixture->httpPort(),
                                         getRequest(QStringLiteral("/image/document/1/big.PDF")));
    QVERIFY(reply.complete);
    QCOMPARE(reply.header("Content-Type"), QByteArray("application/pdf"));
    QCOMPARE(reply.body.size(), bytes.size());
    QVERIFY(reply.body == bytes);
}

void TestServerHttp::imageRefusals_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << "/image/memberphoto/mem404.jpg";
    QTest::newRow("folder") << "/image/memberphoto";
    QTest::newRow("folder slash") << "/image/memberphoto/";
    QTest::newRow("root") << "/image/";
    QTest::newRow("file at root") << "/image/top.jpg";
    QTest::newRow("database") << "/image/../orvix.db";
    QTest::newRow("dot segments") << "/image/memberphoto/../../orvix.db";
    QTest::newRow("encoded dots") << "/image/memberphoto/%2e%2e/%2e%2e/orvix.db";
    QTest::newRow("encoded slash") << "/image/memberphoto%2f..%2f..%2forvix.db";
    QTest::newRow("backslash") << "/image/memberphoto/..%5c..%5corvix.db";
    QTest::newRow("absolute inside") << "/image//etc/passwd";
    QTest::newRow("nul") << "/image/memberphoto/mem1.jpg%00.png";
    QTest::newRow("staging") << "/image/../staging/x";
}

void TestServerHttp::imageRefusals() {
    QFETCH(QString, path);
    writeFile(m_fixture->imageRoot() + QStringLiteral("/top.jpg"), "top");
    writeFile(m_fixture->imageRoot() + QStringLiteral("/memberphoto/mem1.jpg"), "photo");
    const HttpReply reply = httpExchange(m_fixture->httpPort(), getRequest(path));
    QCOMPARE(reply.raw, framed("Not Found", "404 Not Found"));
}

void TestServerHttp::symlinkOutOfTreeIsRefused() {
    writeFile(m_fixture->dataDir() + QStringLiteral("/secret.jpg"), "secret");
    QVERIFY(QDir().mkpath(m_fixture->imageRoot() + QStringLiteral("/links")));
    QVERIFY(QFile::link(m_fixture->dataDir() + QStringLiteral("/secret.jpg"),
                        m_fixture->imageRoot() + QStringLiteral("/links/secret.jpg")));
    QVERIFY(QFile::link(m_fixture->dataDir(), m_fixture->imageRoot() + QStringLiteral("/up")));
    QCOMPARE(
        httpExchange(m_fixture->httpPort(), getRequest(QStringLiteral("/image/links/secret.jpg")))
            .status(),
        404);
    QCOMPARE(httpExchange(m_fixture->httpPort(), getRequest(QStringLiteral("/image/up/secret.jpg")))
                 .status(),
             404);
}

void TestServerHttp::restartKeepsData() {
    const qint64 member = m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    QCOMPARE(m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")),
             QStringLiteral("1</>0"));
    QVERIFY(m_fixture->context().pcAccess().decide(member, true));
    writeFile(m_fixture->imageRoot() + QStringLiteral("/memberphoto/mem1.jpg"), "photo");
    m_fixture->restart();
    const QStringList fields =
        m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")).split(QStringLiteral("</>"));
    QCOMPARE(fields.size(), 13);
    QCOMPARE(fields[2], QStringLiteral("1"));
    QCOMPARE(fields[4], QStringLiteral("1"));
    QCOMPARE(httpExchange(m_fixture->httpPort(),
                          getRequest(QStringLiteral("/image/memberphoto/mem1.jpg")))
                 .body,
             QByteArray("photo"));
}

QTEST_GUILESS_MAIN(TestServerHttp)
#include "tst_server_http.moc"
