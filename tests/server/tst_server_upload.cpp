// The upload port over real sockets: files stored whole under the image tree, refusals that
// leave nothing behind, and uploads that never hold up the HTTP side.

#include "server_test_support.h"

#include "server/upload/upload_server.h"
#include "server/upload/upload_service.h"

#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;

namespace {

// Content whose period does not divide the header block, so a misplaced offset shows.
QByteArray pattern(qsizetype size) {
    return QByteArray("\x00\x01 photo \xff\r\n", 12).repeated(size / 12 + 1).left(size);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file below a folder but the database's.
QStringList filesBelow(const QString& root) {
    QStringList files;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        if (const QString file = it.next(); !file.contains(u"/orvix.db"_s))
            files.append(file);
    }
    files.sort();
    return files;
}

// Connects to the upload port and writes the bytes, in pieces of pieceSize when given, each
// piece leaving before the next; the connection stays open.
void send(QTcpSocket& socket, quint16 port, const QByteArray& bytes, qsizetype pieceSize = 0) {
    socket.connectToHost(u"127.0.0.1"_s, port);
    QVERIFY(socket.waitForConnected(5000));
    const qsizetype step = pieceSize > 0 ? pieceSize : qMax<qsizetype>(1, bytes.size());
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        socket.write(bytes.mid(at, step));
        QTRY_COMPARE(socket.bytesToWrite(), 0);
    }
}

} // namespace

class TestServerUpload : public QObject {
    Q_OBJECT
private slots:
    void init();
    void storesFiles_data();
    void storesFiles();
    void refusalsLeaveNothing_data();
    void refusalsLeaveNothing();
    void silentConnectionIsDropped();
    void manyUploadsAtOnceDoNotBlockHttp();

private:
    std::unique_ptr<ServerFixture> m_fixture;
    std::unique_ptr<QSignalSpy> m_stored;
    std::unique_ptr<QSignalSpy> m_refused;
};

void TestServerUpload::init() {
    ServerConfig config;
    config.maxUpload = 1024 * 1024;
    m_fixture = std::make_unique<ServerFixture>(config);
    QVERIFY(m_fixture->running());
    UploadServer* uploads = m_fixture->server().uploadServer();
    m_stored = std::make_unique<QSignalSpy>(uploads, &UploadServer::uploadStored);
    m_refused = std::make_unique<QSignalSpy>(uploads, &UploadServer::uploadRefused);
}

void TestServerUpload::storesFiles_data() {
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("after"); // bytes after the file, to be ignored
    const auto row = [](const char* folder, const char* name, int size, const char* after = "") {
        QTest::newRow(name) << QByteArray(folder) << QByteArray(name) << size << QByteArray(after);
    };
    row("mailbox/0000000012", "12170000.sml", 2049);
    row("chatdata", "사진 한장.jpg", 10000);
    row("document/12", "my  report v2 .PDF", 3000);
    row("mailbox/0000000001", "empty.txt", 0);
    row("document/1", "cap.bin", 1024 * 1024); // exactly the cap
    row("chatdata", "t.jpg", 4, "EXTRA");
}

void TestServerUpload::storesFiles() {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(int, size);
    QFETCH(QByteArray, after);
    const QString relative = QString::fromUtf8(folder + '/' + name);
    const QString path = m_fixture->imageRoot() + u'/' + relative;
    QVERIFY(writeFile(path, "an older file of that name"));
    const QByteArray bytes = pattern(size);
    // Sent in smaller pieces than the header block, as a slow link delivers them.
    QTcpSocket socket;
    send(socket, m_fixture->uploadPort(), uploadBlock(size, folder, name) + bytes + after, 700);
    QTRY_COMPARE(m_stored->size(), 1);
    QCOMPARE(m_stored->at(0), QVariantList({relative, qint64(size)}));
    QVERIFY(readFile(path) == bytes);
    QVERIFY(QDir(m_fixture->context().folder().stagingDir()).isEmpty());
    // The server closes the connection after the file.
    QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    // What was uploaded is served under /image/ at the same folder and name.
    const QByteArray address = "/image/" + QUrl::toPercentEncoding(relative, "/");
    QVERIFY(bodyOf(httpExchange(m_fixture->httpPort(), getRequest(QString::fromLatin1(address)))) ==
            bytes);
}

void TestServerUpload::refusalsLeaveNothing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("clientCloses"); // otherwise the server must drop the connection
    QTest::newRow("parent folder") << uploadBlock(1, "chatdata/../..", "x.jpg") + "x" << false;
    QTest::newRow("name with slash") << uploadBlock(1, "chatdata", "../../x.jpg") + "x" << false;
    // Refused on the header alone: the body is never waited for.
    QTest::newRow("over the cap") << uploadBlock(1024 * 1024 + 1, "chatdata", "x.jpg") << false;
    // The tree's own folder cannot be replaced by a file.
    QTest::newRow("onto a folder") << uploadBlock(1, "image", "memberphoto") + "x" << false;
    QTest::newRow("half a header") << uploadBlock(10, "chatdata", "x.jpg").left(1000) << true;
    QTest::newRow("header only") << uploadBlock(10, "chatdata", "x.jpg") << true;
    QTest::newRow("short body") << uploadBlock(100000, "chatdata", "x.jpg") + pattern(99999)
                                << true;
}

void TestServerUpload::refusalsLeaveNothing() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, clientCloses);
    // An older file of that name and the tree's own folders stay as they were.
    const QString old = m_fixture->imageRoot() + u"/chatdata/x.jpg"_s;
    const QString folder = m_fixture->imageRoot() + u"/image/memberphoto"_s;
    QVERIFY(writeFile(old, "old") && QDir().mkpath(folder));
    const QStringList before = filesBelow(m_fixture->dataDir());
    QTcpSocket socket;
    send(socket, m_fixture->uploadPort(), bytes);
    if (clientCloses)
        socket.disconnectFromHost();
    QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(m_refused->size(), 1);
    QCOMPARE(m_stored->size(), 0);
    QCOMPARE(filesBelow(m_fixture->dataDir()), before); // staging included
    QCOMPARE(readFile(old), QByteArray("old"));
}

void TestServerUpload::silentConnectionIsDropped() {
    const UploadSettings settings{.imageRoot = m_fixture->imageRoot(),
                                  .stagingDir = m_fixture->context().folder().stagingDir(),
                                  .idleTimeoutMs = 300};
    UploadService service(settings);
    QVERIFY(service.start(u"127.0.0.1"_s, 0, nullptr));
    QSignalSpy refused(service.server(), &UploadServer::uploadRefused);
    QTcpSocket socket;
    send(socket, service.port(), uploadBlock(100, "chatdata", "slow.jpg") + "only a part");
    QTRY_COMPARE(refused.size(), 1);
    QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!QFile::exists(m_fixture->imageRoot() + u"/chatdata/slow.jpg"_s));
    QVERIFY(QDir(settings.stagingDir).isEmpty());
}

void TestServerUpload::manyUploadsAtOnceDoNotBlockHttp() {
    m_fixture->addMember(u"kim"_s, u"pw"_s);
    // Twenty uploads open at once, each stopped half way through its body.
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    const QByteArray body = pattern(200000);
    for (int i = 0; i < 20; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        send(*sockets.back(), m_fixture->uploadPort(),
             uploadBlock(body.size(), "chatdata", "c" + QByteArray::number(i)) + body.left(100000));
    }
    // Meanwhile the HTTP side answers as usual.
    for (int i = 0; i < 10; ++i)
        QCOMPARE(login(m_fixture->httpPort(), u"kim"_s, u"pw"_s), u"1</>0"_s);
    QCOMPARE(m_stored->size(), 0);
    // Then every upload completes.
    for (auto& socket : sockets)
        socket->write(body.mid(100000));
    QTRY_COMPARE_WITH_TIMEOUT(m_stored->size(), 20, 30000);
    for (int i = 0; i < 20; ++i)
        QVERIFY(readFile(m_fixture->imageRoot() + u"/chatdata/c%1"_s.arg(i)) == body);
    QCOMPARE(m_refused->size(), 0);
}

QTEST_GUILESS_MAIN(TestServerUpload)
#include "tst_server_upload.moc"
