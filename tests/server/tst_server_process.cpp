// The orvix-server program itself: the ready line, admin commands beside a running server, demo
// data, a busy port, data that survives kill -9, clean stops on SIGTERM and SIGINT.

#include "server_test_support.h"
#include "support/server_process.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTcpSocket>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;
using namespace orvix::server::test;
using orvix::test::ServerProcess;

namespace {

const QString kBinary = QStringLiteral(ORVIX_SERVER_BINARY);

QByteArray closeSession(quint16 port, const QString& deviceId) {
    return bodyOf(httpExchange(
        port, clientRequest(u"/android/closeusepc.php"_s, "deviceid=" + deviceId.toUtf8())));
}

// Stops the server with a signal while an upload is in the middle of its body: the server ends
// cleanly and the upload leaves nothing behind, not even in the staging folder.
void stopDuringUpload(ServerProcess& server, int signalNumber) {
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, server.uploadPort());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(uploadBlock(1000, "chatdata", "cut.jpg") + QByteArray(10, 'x'));
    QVERIFY(socket.waitForBytesWritten(5000));
    const QString staging = server.dataFolder() + u"/staging"_s;
    QTRY_COMPARE(QDir(staging).entryList(QDir::Files).size(), 1);
    ::kill(pid_t(server.processId()), signalNumber);
    QCOMPARE(server.waitForExit(), 0);
    QVERIFY(QDir(staging).isEmpty());
    QVERIFY(!QFile::exists(server.dataFolder() + u"/image/chatdata/cut.jpg"_s));
}

} // namespace

class TestServerProcess : public QObject {
    Q_OBJECT
private slots:
    void readyLineAdminCommandsAndSigterm();
    void demoDataBusyPortKillNineAndSigint();
};

void TestServerProcess::readyLineAdminCommandsAndSigterm() {
    ServerProcess server(kBinary);
    QVERIFY2(server.start(), server.output().constData());
    const quint16 port = server.httpPort();
    QCOMPARE(server.output().split('\n').first(),
             u"orvix-server ready: http 127.0.0.1:%1, upload 127.0.0.1:%2"_s.arg(port)
                 .arg(server.uploadPort())
                 .toUtf8());
    const QString png = server.dataFolder() + u"/face.png"_s;
    QImage face(40, 30, QImage::Format_ARGB32);
    face.fill(QColor(10, 200, 30, 128));
    QVERIFY(face.save(png));
    QCOMPARE(server.admin(words("add-member kim pw --photo") << png), QByteArray("1\n"));
    // The photo is stored as a JPEG under the member's number, whatever it was given as.
    QImageReader stored(server.dataFolder() + u"/image/memberphoto/mem1.jpg"_s);
    QCOMPARE(stored.format(), QByteArray("jpeg"));
    QCOMPARE(stored.size(), QSize(40, 30));
    // Refused commands add nothing: the next member is still number 2.
    const QString text = server.dataFolder() + u"/not.png"_s;
    QVERIFY(writeFile(text, "this is text"));
    for (const char* line :
         {"add-member kim x", "approve-pc nobody", "end-pc nobody", "add-member a&b x",
          "add-member lee x --photo @text", "add-member lee", "remove-member kim"})
        QVERIFY2(server.admin(words(line).replaceInStrings(u"@text"_s, text)).isNull(), line);
    // A password may begin with '-'.
    QCOMPARE(server.admin(words("add-member lee -pw2")), QByteArray("2\n"));

    // The running server sees each answer of the phone on the very next login.
    QCOMPARE(login(port, u"lee"_s, u"-pw2"_s), u"1</>0"_s);
    QVERIFY(!server.admin(words("approve-pc lee")).isNull());
    const QStringList lee = login(port, u"lee"_s, u"-pw2"_s).split(u"</>"_s);
    QCOMPARE(lee.value(2) + lee.value(4) + lee.value(5), u"202"_s); // member 2, no photo, store 2
    QCOMPARE(lee.value(8), server.httpAddress());
    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>0"_s);
    QVERIFY(!server.admin(words("refuse-pc kim")).isNull());
    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>2"_s);
    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"1</>0"_s);
    QVERIFY(!server.admin(words("approve-pc kim")).isNull());
    // The photo given to add-member shows in the login reply.
    QCOMPARE(login(port, u"kim"_s, u"pw"_s).split(u"</>"_s).value(4), u"1"_s);
    // end-pc ends lee's session: closing it afterwards finds nothing open.
    QVERIFY(server.admin(words("end-pc lee")).contains("1 PC session"));
    QCOMPARE(closeSession(port, lee.value(3)), QByteArray("0"));
    stopDuringUpload(server, SIGTERM);
}

void TestServerProcess::demoDataBusyPortKillNineAndSigint() {
    ServerProcess server(kBinary);
    QVERIFY2(server.start(words("--demo --auto-approve")), server.output().constData());
    const quint16 port = server.httpPort();
    const QStringList demo = login(port, u"demo"_s, u"demo1234"_s).split(u"</>"_s);
    QCOMPARE(demo.value(2) + demo.value(4), u"11"_s); // member 1 with a photo
    const QByteArray photo = httpExchange(port, getRequest(u"/image/memberphoto/mem1.jpg"_s));
    QVERIFY(photo.contains("Content-Type: image/jpeg\r\n"));
    QVERIFY(QImage::fromData(bodyOf(photo), "JPG").width() >= 50);
    QCOMPARE(login(port, u"minji"_s, u"minji1234"_s).split(u"</>"_s).value(4), u"1"_s);

    // A second server on a port in use says so and ends.
    ServerProcess second(kBinary);
    QVERIFY(!second.start(words("--http-port") << QString::number(port)));
    QCOMPARE(second.waitForExit(), 1);
    QVERIFY(second.output().contains(QByteArray::number(port)));

    // The admitted session survives kill -9, and seeding again on the next start adds nobody
    // twice.
    ::kill(pid_t(server.processId()), SIGKILL);
    QCOMPARE(server.waitForExit(), -1);
    QVERIFY2(server.start(words("--demo")), server.output().constData());
    QCOMPARE(closeSession(server.httpPort(), demo.value(3)), QByteArray("1"));
    QCOMPARE(server.admin(words("add-member new pw")), QByteArray("5\n"));
    stopDuringUpload(server, SIGINT);
}

QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
