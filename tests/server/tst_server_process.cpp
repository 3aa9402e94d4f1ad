// The orvix-server program itself: the ready line, admin commands beside a running server (and
// on folders that are not one), passwords on standard input, demo data, a busy port, a data
// folder served twice, data that survives kill -9 and staging files it leaves, clean stops on
// SIGTERM and SIGINT.

#include "server_test_support.h"
#include "support/server_process.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <utility>

using namespace Qt::StringLiterals;
using namespace orvix::server::test;
using orvix::test::ServerProcess;

namespace {

const QString kBinary = QStringLiteral(ORVIX_SERVER_BINARY);

// An admin command given input on its standard input: its exit code, and its standard output
// and error together.
std::pair<int, QByteArray> adminWithInput(const QString& data, const QStringList& arguments,
                                          const QByteArray& input) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(kBinary, QStringList{u"admin"_s, u"--data"_s, data} + arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000))
        return {-1, process.readAll()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

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
    socket.write(uploadBlock(1000, "chatdata", "1cut.jpg") + QByteArray(10, 'x'));
    QVERIFY(socket.waitForBytesWritten(5000));
    const QString staging = server.dataFolder() + u"/staging"_s;
    QTRY_COMPARE(QDir(staging).entryList(QDir::Files).size(), 1);
    ::kill(pid_t(server.processId()), signalNumber);
    QCOMPARE(server.waitForExit(), 0);
    QVERIFY(QDir(staging).isEmpty());
    QVERIFY(!QFile::exists(server.dataFolder() + u"/image/chatdata/1cut.jpg"_s));
}

} // namespace

class TestServerProcess : public QObject {
    Q_OBJECT
private slots:
    void adminCommandsCreateNoDataFolder();
    void readyLineAdminCommandsAndSigterm();
    void demoDataBusyPortKillNineAndSigint();
};

void TestServerProcess::adminCommandsCreateNoDataFolder() {
    // Only serve makes a data folder: an admin command on a wrong path says what is wrong and
    // leaves nothing behind.
    QTemporaryDir dir;
    const QString missing = dir.path() + u"/missing"_s;
    const QString empty = dir.path() + u"/empty"_s;
    QVERIFY(QDir().mkpath(empty));
    const std::pair<QString, const char*> rows[] = {{missing, "no data folder"},
                                                    {empty, "holds no orvix-server database"}};
    for (const auto& [folder, reason] : rows) {
        const auto [code, output] = adminWithInput(folder, words("list-members"), {});
        QCOMPARE(code, 1);
        QVERIFY2(output.contains(reason), output.constData());
    }
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(QDir(empty).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

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
          "add-member lee x --photo @text", "add-member lee", "remove-member nobody",
          "set-password nobody", "add-member lee x --password-stdin", "list-members x"})
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

    // Passwords on standard input never show in the process list; set-password changes what
    // the running server checks at once.
    const QString data = server.dataFolder();
    QCOMPARE(
        adminWithInput(data, words("add-member park --password-stdin --photo") << png, "p a r k\n"),
        std::make_pair(0, QByteArray("3\n")));
    const QString parkPhoto = data + u"/image/memberphoto/mem3.jpg"_s;
    QVERIFY(QFile::exists(parkPhoto));
    QCOMPARE(adminWithInput(data, words("set-password kim"), "new pw\r\n").first, 0);
    QCOMPARE(adminWithInput(data, words("set-password kim"), "").first, 1);
    QCOMPARE(adminWithInput(data, words("set-password kim"), "a&b\n").first, 1);
    QCOMPARE(login(port, u"kim"_s, u"pw"_s), u"0"_s);
    QCOMPARE(login(port, u"park"_s, u"p a r k"_s), u"1</>0"_s);
    QCOMPARE(login(port, u"kim"_s, u"new pw"_s), u"1</>0"_s);
    QCOMPARE(server.admin(words("list-members")),
             QByteArray("number\tID\tname\tstore\topen PC sessions\n"
                        "1\tkim\tkim\t1\t1\n2\tlee\tlee\t2\t0\n3\tpark\tpark\t3\t0\n"));
    // Removing a member takes its photo and sessions with it.
    QCOMPARE(server.admin(words("remove-member lee")), QByteArray("removed member 2 (lee)\n"));
    QVERIFY(server.admin(words("remove-member lee")).isNull());
    QVERIFY(server.admin(words("remove-member park")).contains("member 3"));
    QVERIFY(!QFile::exists(parkPhoto));
    QCOMPARE(login(port, u"park"_s, u"p a r k"_s), u"0"_s);
    QCOMPARE(server.admin(words("list-members")).count('\n'), 2);
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

    // A second server on a port in use says so and ends; so does one on a data folder that is
    // being served.
    ServerProcess second(kBinary);
    QVERIFY(!second.start(words("--http-port") << QString::number(port)));
    QCOMPARE(second.waitForExit(), 1);
    QVERIFY(second.output().contains(QByteArray::number(port)));
    QProcess twice;
    twice.setProcessChannelMode(QProcess::MergedChannels);
    twice.start(kBinary, {u"serve"_s, u"--data"_s, server.dataFolder(), u"--http-port"_s, u"0"_s,
                          u"--upload-port"_s, u"0"_s});
    QVERIFY(twice.waitForFinished(20000));
    QCOMPARE(twice.exitCode(), 1);
    QVERIFY2(twice.readAll().contains("in use by another orvix-server"), "second serve");

    // An admin command leaves the staging folder alone, even while a file waits there.
    const QString staging = server.dataFolder() + u"/staging"_s;
    QVERIFY(writeFile(staging + u"/stage-left-by-kill"_s, "half an upload"));
    QVERIFY(server.admin(words("list-members")).contains("minji"));
    QVERIFY(QFile::exists(staging + u"/stage-left-by-kill"_s));

    // The admitted session survives kill -9; the next start takes over the folder, clears the
    // staging files the killed server left, and adds no demo member twice.
    ::kill(pid_t(server.processId()), SIGKILL);
    QCOMPARE(server.waitForExit(), -1);
    QVERIFY2(server.start(words("--demo")), server.output().constData());
    QVERIFY(QDir(staging).isEmpty());
    QCOMPARE(closeSession(server.httpPort(), demo.value(3)), QByteArray("1"));
    QCOMPARE(server.admin(words("add-member new pw")), QByteArray("5\n"));
    // A new PC session from this address lets it upload again.
    QCOMPARE(login(server.httpPort(), u"demo"_s, u"demo1234"_s), u"1</>0"_s);
    QVERIFY(!server.admin(words("approve-pc demo")).isNull());
    QCOMPARE(login(server.httpPort(), u"demo"_s, u"demo1234"_s).left(5), u"1</>1"_s);
    stopDuringUpload(server, SIGINT);
}

QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
