// The orvix-server program itself: the ready line, admin commands beside a running server, demo
// data, clean stops on signals, data that survives kill -9, a busy port.

#include "server_test_support.h"
#include "support/server_process.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;
using namespace orvix::server::test;
using orvix::test::ServerProcess;

namespace {

const QString kBinary = QStringLiteral(ORVIX_SERVER_BINARY);

// "serve" on dir as a bare child process, for what ServerProcess keeps to itself: the process
// id, the exit code and the exact first line. Gives that line matched against the ready line's
// format, with the HTTP and upload ports in captures 1 and 2.
QRegularExpressionMatch
startBare(QProcess& process, const QString& dir,
          const QStringList& ports = words("--http-port 0 --upload-port 0")) {
    process.start(kBinary, QStringList{u"serve"_s, u"--data"_s, dir} + ports);
    while (!process.canReadLine() && process.waitForReadyRead(30000)) {
    }
    static const QRegularExpression ready(QStringLiteral(
        "^orvix-server ready: http 127\\.0\\.0\\.1:(\\d+), upload 127\\.0\\.0\\.1:(\\d+)$"));
    return ready.match(QString::fromUtf8(process.readLine()));
}

// Sends a signal and waits; the exit code, or -1 when the process ended by a signal or hung.
int stop(QProcess& process, int signalNumber) {
    ::kill(pid_t(process.processId()), signalNumber);
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestServerProcess : public QObject {
    Q_OBJECT
private slots:
    void adminCommandsBesideARunningServer();
    void adminRefusalsAddNothing_data();
    void adminRefusalsAddNothing();
    void demoData();
    void readyLineAndCleanStop_data();
    void readyLineAndCleanStop();
    void killNineLosesNothingCommitted();
};

void TestServerProcess::adminCommandsBesideARunningServer() {
    ServerProcess server(kBinary);
    QVERIFY2(server.start(), server.output().constData());
    const quint16 port = server.httpPort();
    const QString png = server.dataFolder() + u"/face.png"_s;
    QImage face(40, 30, QImage::Format_ARGB32);
    face.fill(QColor(10, 200, 30, 128));
    QVERIFY(face.save(png));
    QCOMPARE(server.admin(words("add-member kim pw --photo") << png), QByteArray("1\n"));
    // A password may begin with '-'.
    QCOMPARE(server.admin(words("add-member lee -pw2")), QByteArray("2\n"));
    // The photo is stored as a JPEG under the member's number, whatever it was given as.
    QImageReader stored(server.dataFolder() + u"/image/memberphoto/mem1.jpg"_s);
    QCOMPARE(stored.format(), QByteArray("jpeg"));
    QCOMPARE(stored.size(), QSize(40, 30));

    // The running server sees each answer of the phone on the very next login.
    QCOMPARE(login(port, u"lee"_s, u"-pw2"_s), u"1</>0"_s);
    QVERIFY(!server.admin(words("approve-pc lee")).isNull());
    const QStringList lee = login(port, u"lee"_s, u"-pw2"_s).split(u"</>"_s);
    QCOMPARE(lee.size(), 13);
    QCOMPARE(lee[2] + lee[4] + lee[5], u"202"_s); // member 2, no photo, store 2
    QCOMPARE(lee[8], server.httpAddress());

    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>0"_s);
    QVERIFY(!server.admin(words("refuse-pc kim")).isNull());
    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>2"_s);
    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>0"_s);
    QVERIFY(!server.admin(words("approve-pc kim")).isNull());
    // The photo given to add-member shows in the login reply.
    QCOMPARE(login(port, u"kim"_s, u"pw"_s).split(u"</>"_s).value(4), u"1"_s);

    // end-pc ends lee's session: closing it afterwards finds nothing open.
    QVERIFY(server.admin(words("end-pc lee")).contains("1 PC session"));
    const QByteArray close = "deviceid=" + lee[3].toUtf8();
    QCOMPARE(bodyOf(httpExchange(port, clientRequest(u"/android/closeusepc.php"_s, close))),
             QByteArray("0"));
}

void TestServerProcess::adminRefusalsAddNothing_data() {
    QTest::addColumn<QStringList>("arguments");
    for (const char* line :
         {"add-member kim x", "approve-pc nobody", "end-pc nobody", "add-member a&b x",
          "add-member lee x --photo @notpng", "add-member lee", "remove-member kim"})
        QTest::newRow(line) << words(line);
}

void TestServerProcess::adminRefusalsAddNothing() {
    QFETCH(QStringList, arguments);
    ServerProcess server(kBinary);
    QCOMPARE(server.admin(words("add-member kim pw")), QByteArray("1\n"));
    const QString notPicture = server.dataFolder() + u"/not.png"_s;
    QVERIFY(writeFile(notPicture, "this is text"));
    QVERIFY(server.admin(arguments.replaceInStrings(u"@notpng"_s, notPicture)).isNull());
    QCOMPARE(server.admin(words("add-member next pw")), QByteArray("2\n"));
}

void TestServerProcess::demoData() {
    ServerProcess server(kBinary);
    QVERIFY2(server.start(words("--demo --auto-approve")), server.output().constData());
    const quint16 port = server.httpPort();
    const QStringList demo = login(port, u"demo"_s, u"demo1234"_s).split(u"</>"_s);
    QCOMPARE(demo.size(), 13);
    QCOMPARE(demo[2] + demo[4], u"11"_s); // member 1 with a photo
    const QByteArray photo = httpExchange(port, getRequest(u"/image/memberphoto/mem1.jpg"_s));
    QVERIFY(photo.contains("Content-Type: image/jpeg\r\n"));
    QVERIFY(QImage::fromData(bodyOf(photo), "JPG").width() >= 50);
    QCOMPARE(login(port, u"minji"_s, u"minji1234"_s).split(u"</>"_s).value(4), u"1"_s);
    server.stop();

    // Seeding again on the next start adds nobody twice.
    QProcess again;
    QVERIFY(startBare(again, server.dataFolder(), words("--http-port 0 --upload-port 0 --demo"))
                .hasMatch());
    QCOMPARE(stop(again, SIGTERM), 0);
    QCOMPARE(server.admin(words("add-member new pw")), QByteArray("5\n"));
}

void TestServerProcess::readyLineAndCleanStop_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestServerProcess::readyLineAndCleanStop() {
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    QProcess serve;
    const auto ready = startBare(serve, dir.path());
    QVERIFY2(ready.hasMatch(), serve.readAll().constData());
    const quint16 http = ready.captured(1).toUShort();
    const quint16 upload = ready.captured(2).toUShort();
    QVERIFY(http != 0 && upload != 0 && http != upload);
    QCOMPARE(login(http, u"x"_s, u"y"_s), u"0"_s);

    // An upload in the middle of its body when the signal comes is dropped.
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, upload);
    QVERIFY(socket.waitForConnected(5000));
    socket.write(uploadBlock(1000, "chatdata", "cut.jpg") + QByteArray(10, 'x'));
    QVERIFY(socket.waitForBytesWritten(5000));
    const QString staging = dir.path() + u"/staging"_s;
    QTRY_COMPARE(QDir(staging).entryList(QDir::Files).size(), 1);
    QCOMPARE(stop(serve, signalNumber), 0);
    QVERIFY(QDir(staging).isEmpty());
    QVERIFY(!QFile::exists(dir.path() + u"/image/chatdata/cut.jpg"_s));
}

void TestServerProcess::killNineLosesNothingCommitted() {
    ServerProcess server(kBinary);
    QCOMPARE(server.admin(words("add-member kim pw")), QByteArray("1\n"));
    QString deviceId;
    {
        QProcess serve;
        const quint16 port = startBare(serve, server.dataFolder()).captured(1).toUShort();
        QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>0"_s);
        QVERIFY(!server.admin(words("approve-pc kim")).isNull());
        deviceId = login(port, u"kim"_s, u"pw"_s).split(u"</>"_s).value(3);
        QCOMPARE(deviceId.size(), 32);
        // A second server on a port in use says so and ends.
        QProcess second;
        const QString busy = QString::number(port);
        QVERIFY(
            !startBare(second, server.dataFolder(), words("--upload-port 0 --http-port") << busy)
                 .hasMatch());
        second.waitForFinished(30000);
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(busy));
        QCOMPARE(stop(serve, SIGKILL), -1);
    }
    QVERIFY2(server.start(), server.output().constData());
    // The member and the admitted session survived.
    QCOMPARE(login(server.httpPort(), u"kim"_s, u"pw"_s), u"1</>0"_s);
    const QByteArray close = "deviceid=" + deviceId.toUtf8();
    QCOMPARE(
        bodyOf(httpExchange(server.httpPort(), clientRequest(u"/android/closeusepc.php"_s, close))),
        QByteArray("1"));
}

QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
