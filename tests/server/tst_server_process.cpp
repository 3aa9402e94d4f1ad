// The orvix-server program itself: its command lines, the ready line, admin commands working
// beside a running server, demo data, clean stops, and data that survives kill -9.

#include "server_test_support.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace orvix::server::test;

namespace {

const QString kBinary = QStringLiteral(ORVIX_SERVER_BINARY);

struct CommandResult {
    int exitCode = -1;
    QString out;
    QString err;
};

CommandResult runCommand(const QStringList& arguments) {
    QProcess process;
    process.start(kBinary, arguments);
    CommandResult result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

CommandResult admin(const QString& dir, const QStringList& arguments) {
    return runCommand(QStringList{QStringLiteral("admin"), QStringLiteral("--data"), dir} +
                      arguments);
}

// A running "serve" process.
class ServeProcess {
public:
    ~ServeProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // Starts and waits for the ready line; false when the process ended or never got ready.
    bool start(const QString& dir, const QStringList& extra = {}) {
        m_process.start(kBinary, QStringList{QStringLiteral("serve"), QStringLiteral("--data"), dir,
                                             QStringLiteral("--http-port"), QStringLiteral("0"),
                                             QStringLiteral("--upload-port"), QStringLiteral("0")} +
                                     extra);
        if (!m_process.waitForStarted(10000))
            return false;
        QElapsedTimer timer;
        timer.start();
        while (!m_process.canReadLine() && timer.elapsed() < 60000) {
            if (!m_process.waitForReadyRead(1000) && m_process.state() == QProcess::NotRunning)
                return false;
        }
        m_readyLine = QString::fromUtf8(m_process.readLine()).trimmed();
        static const QRegularExpression ready(QStringLiteral(
            "^orvix-server ready: http 127\\.0\\.0\\.1:(\\d+), upload 127\\.0\\.0\\.1:(\\d+)$"));
        const auto match = ready.match(m_readyLine);
        if (!match.hasMatch())
            return false;
        m_httpPort = quint16(match.captured(1).toUInt());
        m_uploadPort = quint16(match.captured(2).toUInt());
        return m_httpPort != 0 && m_uploadPort != 0;
    }

    // Sends a signal and waits for the exit; the exit code, or -1 when it crashed or hung.
    int stop(int signalNumber) {
        ::kill(pid_t(m_process.processId()), signalNumber);
        if (!m_process.waitForFinished(30000))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    QString login(const QString& id, const QString& password) {
        const QByteArray body = "id=" + id.toUtf8() + "&password=" + password.toUtf8();
        return QString::fromUtf8(
            httpExchange(m_httpPort, clientRequest(QStringLiteral("/android/pclogin.php"), body))
                .body);
    }

    QString readyLine() const { return m_readyLine; }
    quint16 httpPort() const { return m_httpPort; }
    quint16 uploadPort() const { return m_uploadPort; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_readyLine;
    quint16 m_httpPort = 0;
    quint16 m_uploadPort = 0;
};

} // namespace

class TestServerProcess : public QObject {
    Q_OBJECT
private slots:
    void adminCommandsBesideARunningServer();
    void uploadThenDownload();
    void memberPhotos();
    void adminRefusals_data();
    void adminRefusals();
    void demoData();
    void stopsCleanlyOnSignals_data();
    void stopsCleanlyOnSignals();
    void killNineLosesNothingCommitted();
    void busyPortIsReported();
    void usage();
};

void TestServerProcess::adminCommandsBesideARunningServer() {
    QTemporaryDir dir;
    ServeProcess serve;
    QVERIFY2(serve.start(dir.path()), qPrintable(serve.readyLine()));

    auto added = admin(
        dir.path(), {QStringLiteral("add-member"), QStringLiteral("kim"), QStringLiteral("pw 1")});
    QCOMPARE(added.exitCode, 0);
    QCOMPARE(added.out, QStringLiteral("1\n"));
    added = admin(dir.path(),
                  {QStringLiteral("add-member"), QStringLiteral("lee"), QStringLiteral("pw2")});
    QCOMPARE(added.out, QStringLiteral("2\n"));

    QCOMPARE(serve.login(QStringLiteral("lee"), QStringLiteral("pw2")), QStringLiteral("1</>0"));
    QCOMPARE(admin(dir.path(), {QStringLiteral("approve-pc"), QStringLiteral("lee")}).exitCode, 0);
    // The running server sees the phone's agreement on the very next login.
    const QStringList fields =
        serve.login(QStringLiteral("lee"), QStringLiteral("pw2")).split(QStringLiteral("</>"));
    QCOMPARE(fields.size(), 13);
    QCOMPARE(fields[2], QStringLiteral("2"));
    QCOMPARE(fields[5], QStringLiteral("2"));
    QCOMPARE(fields[8], QStringLiteral("127.0.0.1:%1").arg(serve.httpPort()));

    QCOMPARE(serve.login(QStringLiteral("kim"), QStringLiteral("pw 1")), QStringLiteral("1</>0"));
    QCOMPARE(admin(dir.path(), {QStringLiteral("refuse-pc"), QStringLiteral("kim")}).exitCode, 0);
    QCOMPARE(serve.login(QStringLiteral("kim"), QStringLiteral("pw 1")), QStringLiteral("1</>2"));

    // end-pc ends lee's session: closing it afterwards finds nothing open.
    const auto ended = admin(dir.path(), {QStringLiteral("end-pc"), QStringLiteral("lee")});
    QCOMPARE(ended.exitCode, 0);
    QVERIFY2(ended.out.contains(QStringLiteral("1 PC session")), qPrintable(ended.out));
    QCOMPARE(httpExchange(serve.httpPort(), clientRequest(QStringLiteral("/android/closeusepc.php"),
                                                          "deviceid=" + fields[3].toUtf8()))
                 .body,
             QByteArray("0"));
    QCOMPARE(serve.stop(SIGTERM), 0);
}

void TestServerProcess::uploadThenDownload() {
    QTemporaryDir dir;
    ServeProcess serve;
    QVERIFY(serve.start(dir.path(), {QStringLiteral("--max-upload"), QStringLiteral("5000")}));
    const QByteArray bytes(4000, 'k');
    QVERIFY(sendRaw(serve.uploadPort(),
                    uploadBlock(4000, "mailbox/0000000001", "가 나.jpg") + bytes, false));
    const QString address =
        QStringLiteral("/image/mailbox/0000000001/") +
        QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("가 나.jpg")));
    HttpReply reply;
    QTRY_VERIFY((reply = httpExchange(serve.httpPort(), getRequest(address))).status() == 200);
    QCOMPARE(reply.body, bytes);
    QCOMPARE(reply.header("Content-Type"), QByteArray("image/jpeg"));

    // Above the cap given on the command line: refused, nothing stored.
    QVERIFY(sendRaw(serve.uploadPort(),
                    uploadBlock(5001, "chatdata", "big.jpg") + QByteArray(5001, 'x'), true));
    QTest::qWait(200);
    QVERIFY(!QFile::exists(dir.path() + QStringLiteral("/image/chatdata/big.jpg")));
    QCOMPARE(serve.stop(SIGINT), 0);
}

void TestServerProcess::memberPhotos() {
    QTemporaryDir dir;
    const QString png = dir.path() + QStringLiteral("/face.png");
    QImage face(40, 30, QImage::Format_ARGB32);
    face.fill(QColor(10, 200, 30, 128));
    QVERIFY(face.save(png));
    const auto added = admin(dir.path(), {QStringLiteral("add-member"), QStringLiteral("kim"),
                                          QStringLiteral("pw"), QStringLiteral("--photo"), png});
    QCOMPARE(added.exitCode, 0);
    const QString stored = dir.path() + QStringLiteral("/image/memberphoto/mem1.jpg");
    QImageReader reader(stored);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(40, 30));

    // A JPEG is kept byte for byte.
    QFile original(stored);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray jpeg = original.readAll();
    QVERIFY(admin(dir.path(), {QStringLiteral("add-member"), QStringLiteral("lee"),
                               QStringLiteral("pw"), QStringLiteral("--photo=") + stored})
                .exitCode == 0);
    QFile copy(dir.path() + QStringLiteral("/image/memberphoto/mem2.jpg"));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), jpeg);

    // The login reply's photo marker follows the file.
    ServeProcess serve;
    QVERIFY(serve.start(dir.path(), {QStringLiteral("--auto-approve")}));
    QCOMPARE(admin(dir.path(),
                   {QStringLiteral("add-member"), QStringLiteral("park"), QStringLiteral("pw")})
                 .exitCode,
             0);
    QCOMPARE(
        serve.login(QStringLiteral("kim"), QStringLiteral("pw")).split(QStringLiteral("</>"))[4],
        QStringLiteral("1"));
    QCOMPARE(
        serve.login(QStringLiteral("park"), QStringLiteral("pw")).split(QStringLiteral("</>"))[4],
        QStringLiteral("0"));
}

void TestServerProcess::adminRefusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("duplicate") << strings({"add-member", "kim", "x"}) << 1 << "already exists";
    QTest::newRow("unknown member") << strings({"approve-pc", "nobody"}) << 1 << "no member";
    QTest::newRow("unknown for end") << strings({"end-pc", "nobody"}) << 1 << "no member";
    QTest::newRow("ampersand") << strings({"add-member", "a&b", "x"}) << 1 << "&";
    QTest::newRow("not a picture")
        << strings({"add-member", "lee", "x", "--photo", "@notpng"}) << 1 << "not a picture";
    QTest::newRow("missing picture")
        << strings({"add-member", "lee", "x", "--photo", "/none.jpg"}) << 1 << "cannot read";
    QTest::newRow("too few") << strings({"add-member", "lee"}) << 2 << "usage";
    QTest::newRow("too many") << strings({"approve-pc", "kim", "lee"}) << 2 << "usage";
    QTest::newRow("option of another")
        << strings({"approve-pc", "kim", "--photo", "x"}) << 2 << "usage";
    QTest::newRow("unknown command") << strings({"remove-member", "kim"}) << 2 << "unknown";
}

void TestServerProcess::adminRefusals() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QCOMPARE(admin(dir.path(),
                   {QStringLiteral("add-member"), QStringLiteral("kim"), QStringLiteral("pw")})
                 .exitCode,
             0);
    const QString notPicture = dir.path() + QStringLiteral("/not.png");
    QFile file(notPicture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("this is text");
    file.close();
    arguments.replaceInStrings(QStringLiteral("@notpng"), notPicture);

    const auto result = admin(dir.path(), arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY(result.out.isEmpty());
    // No member was added by a refused command: the next number is still 2.
    QCOMPARE(admin(dir.path(),
                   {QStringLiteral("add-member"), QStringLiteral("next"), QStringLiteral("pw")})
                 .out,
             QStringLiteral("2\n"));
}

void TestServerProcess::demoData() {
    QTemporaryDir dir;
    for (int round = 0; round < 2; ++round) {
        ServeProcess serve;
        QVERIFY(
            serve.start(dir.path(), {QStringLiteral("--demo"), QStringLiteral("--auto-approve")}));
        const QStringList fields = serve.login(QStringLiteral("demo"), QStringLiteral("demo1234"))
                                       .split(QStringLiteral("</>"));
        QCOMPARE(fields.size(), 13);
        QCOMPARE(fields[2], QStringLiteral("1"));
        QCOMPARE(fields[4], QStringLiteral("1"));
        const HttpReply photo = httpExchange(
            serve.httpPort(), getRequest(QStringLiteral("/image/memberphoto/mem1.jpg")));
        QCOMPARE(photo.header("Content-Type"), QByteArray("image/jpeg"));
        const QImage image = QImage::fromData(photo.body, "JPG");
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= 50);
        for (const char* id : {"minji", "wei", "alex"}) {
            QCOMPARE(serve.login(QString::fromLatin1(id), QStringLiteral("wrong")),
                     QStringLiteral("0"));
        }
        QCOMPARE(serve.login(QStringLiteral("minji"), QStringLiteral("minji1234"))
                     .split(QStringLiteral("</>"))
                     .value(4),
                 QStringLiteral("1"));
        QCOMPARE(serve.stop(SIGTERM), 0);
    }
    // Seeding twice added nobody twice: the next member is number 5.
    QCOMPARE(admin(dir.path(),
                   {QStringLiteral("add-member"), QStringLiteral("new"), QStringLiteral("pw")})
                 .out,
             QStringLiteral("5\n"));
}

void TestServerProcess::stopsCleanlyOnSignals_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestServerProcess::stopsCleanlyOnSignals() {
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    ServeProcess serve;
    QVERIFY(serve.start(dir.path()));
    // An upload in the middle of its body when the signal comes is dropped.
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), serve.uploadPort());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(uploadBlock(1000, "chatdata", "cut.jpg") + QByteArray(10, 'x'));
    QVERIFY(socket.waitForBytesWritten(5000));
    QTRY_COMPARE(QDir(dir.path() + QStringLiteral("/staging")).entryList(QDir::Files).size(), 1);
    QCOMPARE(serve.stop(signalNumber), 0);
    QVERIFY(QDir(dir.path() + QStringLiteral("/staging")).isEmpty());
    QVERIFY(!QFile::exists(dir.path() + QStringLiteral("/image/chatdata/cut.jpg")));
}

void TestServerProcess::killNineLosesNothingCommitted() {
    QTemporaryDir dir;
    QString deviceId;
    {
        ServeProcess serve;
        QVERIFY(serve.start(dir.path()));
        QCOMPARE(admin(dir.path(),
                       {QStringLiteral("add-member"), QStringLiteral("kim"), QStringLiteral("pw")})
                     .exitCode,
                 0);
        QCOMPARE(serve.login(QStringLiteral("kim"), QStringLiteral("pw")), QStringLiteral("1</>0"));
        QCOMPARE(admin(dir.path(), {QStringLiteral("approve-pc"), QStringLiteral("kim")}).exitCode,
                 0);
        deviceId = serve.login(QStringLiteral("kim"), QStringLiteral("pw"))
                       .split(QStringLiteral("</>"))
                       .value(3);
        QCOMPARE(deviceId.size(), 32);
        // A second login right before the kill leaves a pending approval behind.
        QCOMPARE(serve.login(QStringLiteral("kim"), QStringLiteral("pw")), QStringLiteral("1</>0"));
        QCOMPARE(serve.stop(SIGKILL), -1);
    }
    ServeProcess serve;
    QVERIFY(serve.start(dir.path()));
    // The member, the admitted session and the pending approval all survived.
    QCOMPARE(serve.login(QStringLiteral("kim"), QStringLiteral("pw")), QStringLiteral("1</>0"));
    QCOMPARE(admin(dir.path(), {QStringLiteral("approve-pc"), QStringLiteral("kim")}).exitCode, 0);
    QCOMPARE(serve.login(QStringLiteral("kim"), QStringLiteral("pw"))
                 .split(QStringLiteral("</>"))
                 .size(),
             13);
    QCOMPARE(httpExchange(serve.httpPort(), clientRequest(QStringLiteral("/android/closeusepc.php"),
                                                          "deviceid=" + deviceId.toUtf8()))
                 .body,
             QByteArray("1"));
}

void TestServerProcess::busyPortIsReported() {
    QTemporaryDir dir;
    ServeProcess first;
    QVERIFY(first.start(dir.path()));
    const auto second =
        runCommand({QStringLiteral("serve"), QStringLiteral("--data"), dir.path(),
                    QStringLiteral("--http-port"), QString::number(first.httpPort()),
                    QStringLiteral("--upload-port"), QStringLiteral("0")});
    QCOMPARE(second.exitCode, 1);
    QVERIFY(second.out.isEmpty());
    QVERIFY2(second.err.contains(QString::number(first.httpPort())), qPrintable(second.err));
}

void TestServerProcess::usage() {
    QCOMPARE(runCommand({}).exitCode, 2);
    const auto help = runCommand({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains(QStringLiteral("serve --data DIR")));
    QVERIFY(help.out.contains(QStringLiteral("approve-pc ID")));
    const auto bad =
        runCommand({QStringLiteral("serve"), QStringLiteral("--http-port"), QStringLiteral("1")});
    QCOMPARE(bad.exitCode, 2);
    QVERIFY(bad.err.contains(QStringLiteral("--data")));
}

QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
