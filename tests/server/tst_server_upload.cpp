// The upload port over real sockets: files stored whole under the image tree, refusals that
// leave nothing behind, and uploads that never hold up the HTTP side.

#include "server_test_support.h"

#include "server/upload/upload_server.h"
#include "server/upload/upload_service.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

using namespace orvix::server;
using namespace orvix::server::test;

namespace {

QByteArray pattern(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + 7) % 256);
    return bytes;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

// Every file below a folder, relative to it.
QStringList filesBelow(const QString& root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

} // namespace

class TestServerUpload : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void storesFiles_data();
    void storesFiles();
    void pieceByPieceLikeTheClient();
    void replacesAnExistingFile();
    void refusedHeaders_data();
    void refusedHeaders();
    void earlyCloseLeavesNothing_data();
    void earlyCloseLeavesNothing();
    void sizeCap();
    void silentConnectionIsDropped();
    void bytesAfterTheFileAreIgnored();
    void manyUploadsAtOnceDoNotBlockHttp();
    void shutdownDropsUnfinishedUploads();

private:
    void expectNothingStored();

    std::unique_ptr<ServerFixture> m_fixture;
    std::unique_ptr<QSignalSpy> m_stored;
    std::unique_ptr<QSignalSpy> m_refused;
    QStringList m_filesBefore;
};

void TestServerUpload::init() {
    ServerConfig config;
    config.maxUpload = 1024 * 1024;
    m_fixture = std::make_unique<ServerFixture>(config);
    QString error;
    QVERIFY2(m_fixture->start(&error), qPrintable(error));
    m_stored = std::make_unique<QSignalSpy>(m_fixture->server().uploadServer(),
                                            &UploadServer::uploadStored);
    m_refused = std::make_unique<QSignalSpy>(m_fixture->server().uploadServer(),
                                             &UploadServer::uploadRefused);
    m_filesBefore = filesBelow(m_fixture->dataDir());
}

void TestServerUpload::cleanup() {
    m_stored.reset();
    m_refused.reset();
    m_fixture.reset();
}

void TestServerUpload::expectNothingStored() {
    QTRY_COMPARE(m_refused->size(), 1);
    QCOMPARE(m_stored->size(), 0);
    // Nothing new anywhere in the data folder (the database files aside), staging included.
    QStringList now = filesBelow(m_fixture->dataDir());
    now.removeIf([](const QString& f) { return f.startsWith(QLatin1String("orvix.db")); });
    QStringList before = m_filesBefore;
    before.removeIf([](const QString& f) { return f.startsWith(QLatin1String("orvix.db")); });
    QCOMPARE(now, before);
}

void TestServerUpload::storesFiles_data() {
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("size");
    QTest::newRow("chat photo") << QByteArray("chatdata") << QByteArray("s1700000000.jpg") << 5000;
    QTest::newRow("mailbox") << QByteArray("mailbox/0000000012") << QByteArray("12170000.sml")
                             << 2049;
    QTest::newRow("korean name") << QByteArray("chatdata") << QByteArray("사진 한장.jpg") << 100;
    QTest::newRow("spaced name") << QByteArray("document/12") << QByteArray("my  report v2.PDF")
                                 << 3000;
    QTest::newRow("empty file") << QByteArray("mailbox/0000000001") << QByteArray("empty.txt") << 0;
    QTest::newRow("exactly the cap")
        << QByteArray("document/1") << QByteArray("cap.bin") << 1024 * 1024;
}

void TestServerUpload::storesFiles() {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(int, size);
    const QByteArray bytes = pattern(size);
    QVERIFY(sendRaw(m_fixture->uploadPort(), uploadBlock(size, folder, name) + bytes, false));
    QTRY_COMPARE(m_stored->size(), 1);
    const QString relative = QString::fromUtf8(folder + '/' + name);
    QCOMPARE(m_stored->at(0).at(0).toString(), relative);
    QCOMPARE(m_stored->at(0).at(1).toLongLong(), qint64(size));
    QVERIFY(readFile(m_fixture->imageRoot() + u'/' + relative) == bytes);
    QVERIFY(QDir(m_fixture->context().folder().stagingDir()).isEmpty());

    // What was uploaded is served under /image/ at the same folder and name.
    const QString address =
        QStringLiteral("/image/") + QString::fromLatin1(QUrl::toPercentEncoding(relative, "/"));
    const HttpReply reply = httpExchange(m_fixture->httpPort(), getRequest(address));
    QCOMPARE(reply.status(), 200);
    QVERIFY(reply.body == bytes);
}

void TestServerUpload::pieceByPieceLikeTheClient() {
    // The client sends the header block, then 2,048-byte pieces; here they even arrive in
    // smaller pieces than the block.
    const QByteArray bytes = pattern(10000);
    QVERIFY(sendRaw(m_fixture->uploadPort(), uploadBlock(10000, "chatdata", "p.jpg") + bytes, false,
                    700));
    QTRY_COMPARE(m_stored->size(), 1);
    QVERIFY(readFile(m_fixture->imageRoot() + QStringLiteral("/chatdata/p.jpg")) == bytes);
}

void TestServerUpload::replacesAnExistingFile() {
    QVERIFY(sendRaw(m_fixture->uploadPort(), uploadBlock(3, "document/1", "a.PDF") + "old", false));
    QTRY_COMPARE(m_stored->size(), 1);
    QVERIFY(
        sendRaw(m_fixture->uploadPort(), uploadBlock(5, "document/1", "a.PDF") + "newer", false));
    QTRY_COMPARE(m_stored->size(), 2);
    QCOMPARE(readFile(m_fixture->imageRoot() + QStringLiteral("/document/1/a.PDF")),
             QByteArray("newer"));
}

void TestServerUpload::refusedHeaders_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::newRow("parent folder") << uploadBlock(1, "..", "x.jpg");
    QTest::newRow("escaping folder") << uploadBlock(1, "chatdata/../..", "x.jpg");
    QTest::newRow("absolute folder") << uploadBlock(1, "/tmp", "x.jpg");
    QTest::newRow("backslash folder") << uploadBlock(1, "..\\..", "x.jpg");
    QTest::newRow("name with slash") << uploadBlock(1, "chatdata", "../../x.jpg");
    QTest::newRow("name with backslash") << uploadBlock(1, "chatdata", "..\\x.jpg");
    QTest::newRow("dot dot name") << uploadBlock(1, "chatdata", "..");
    QTest::newRow("control character") << uploadBlock(1, "chatdata", "a\x01.jpg");
    QTest::newRow("no name") << uploadBlock(1, "chatdata", "");
    QTest::newRow("not a number") << uploadBlock(1, "chatdata", "x").replace(0, 1, "z");
    QTest::newRow("over the cap") << uploadBlock(1024 * 1024 + 1, "chatdata", "big.jpg");
    QTest::newRow("onto a folder") << uploadBlock(1, "image", "memberphoto");
}

void TestServerUpload::refusedHeaders() {
    QFETCH(QByteArray, block);
    // "onto a folder": the tree's own folder cannot be replaced by a file.
    QVERIFY(QDir().mkpath(m_fixture->imageRoot() + QStringLiteral("/image/memberphoto")));
    m_filesBefore = filesBelow(m_fixture->dataDir());
    QVERIFY(sendRaw(m_fixture->uploadPort(), block + "x", false));
    expectNothingStored();
    QVERIFY(QFileInfo(m_fixture->imageRoot() + QStringLiteral("/image/memberphoto")).isDir());
}

void TestServerUpload::earlyCloseLeavesNothing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("half a header") << uploadBlock(10, "chatdata", "x.jpg").left(1000);
    QTest::newRow("header only") << uploadBlock(10, "chatdata", "x.jpg");
    QTest::newRow("short body") << uploadBlock(100000, "chatdata", "x.jpg") + pattern(99999);
}

void TestServerUpload::earlyCloseLeavesNothing() {
    QFETCH(QByteArray, bytes);
    // An older file of that name stays as it was.
    QVERIFY(QDir().mkpath(m_fixture->imageRoot() + QStringLiteral("/chatdata")));
    QFile old(m_fixture->imageRoot() + QStringLiteral("/chatdata/x.jpg"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    m_filesBefore = filesBelow(m_fixture->dataDir());
    QVERIFY(sendRaw(m_fixture->uploadPort(), bytes, true));
    expectNothingStored();
    QCOMPARE(readFile(old.fileName()), QByteArray("old"));
}

void TestServerUpload::sizeCap() {
    // The cap is read from the header: nothing of the body needs to arrive.
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), m_fixture->uploadPort());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(uploadBlock(qint64(1) << 40, "chatdata", "huge.jpg"));
    QTRY_COMPARE(m_refused->size(), 1);
    QVERIFY(m_refused->at(0).at(0).toString().contains(QStringLiteral("limit")));
    // The server dropped the connection.
    QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!QFile::exists(m_fixture->imageRoot() + QStringLiteral("/chatdata/huge.jpg")));
}

void TestServerUpload::silentConnectionIsDropped() {
    UploadSettings settings;
    settings.imageRoot = m_fixture->imageRoot();
    settings.stagingDir = m_fixture->context().folder().stagingDir();
    settings.idleTimeoutMs = 300;
    UploadService service(settings);
    QString error;
    QVERIFY2(service.start(QStringLiteral("127.0.0.1"), 0, &error), qPrintable(error));
    QSignalSpy refused(service.server(), &UploadServer::uploadRefused);

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), service.port());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(uploadBlock(100, "chatdata", "slow.jpg") + "only a part");
    QTRY_COMPARE(refused.size(), 1);
    QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!QFile::exists(m_fixture->imageRoot() + QStringLiteral("/chatdata/slow.jpg")));
    QVERIFY(QDir(settings.stagingDir).isEmpty());
}

void TestServerUpload::bytesAfterTheFileAreIgnored() {
    QVERIFY(
        sendRaw(m_fixture->uploadPort(), uploadBlock(4, "chatdata", "t.jpg") + "abcdEXTRA", false));
    QTRY_COMPARE(m_stored->size(), 1);
    QCOMPARE(readFile(m_fixture->imageRoot() + QStringLiteral("/chatdata/t.jpg")),
             QByteArray("abcd"));
}

void TestServerUpload::manyUploadsAtOnceDoNotBlockHttp() {
    m_fixture->addMember(QStringLiteral("kim"), QStringLiteral("pw"));
    // Twenty uploads open at once, each stopped half way through its body.
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    const QByteArray body = pattern(200000);
    for (int i = 0; i < 20; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QStringLiteral("127.0.0.1"), m_fixture->uploadPort());
        QVERIFY(socket->waitForConnected(5000));
        socket->write(
            uploadBlock(body.size(), "chatdata", QByteArray("c") + QByteArray::number(i)) +
            body.left(100000));
        sockets.push_back(std::move(socket));
    }
    // Meanwhile the HTTP side answers as usual.
    for (int i = 0; i < 10; ++i)
        QCOMPARE(m_fixture->login(QStringLiteral("kim"), QStringLiteral("pw")),
                 QStringLiteral("1</>0"));
    QCOMPARE(m_stored->size(), 0);
    // Then every upload completes.
    for (auto& socket : sockets)
        socket->write(body.mid(100000));
    QTRY_COMPARE_WITH_TIMEOUT(m_stored->size(), 20, 30000);
    for (int i = 0; i < 20; ++i) {
        QVERIFY(readFile(m_fixture->imageRoot() + QStringLiteral("/chatdata/c%1").arg(i)) == body);
    }
    QCOMPARE(m_refused->size(), 0);
}

void TestServerUpload::shutdownDropsUnfinishedUploads() {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), m_fixture->uploadPort());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(uploadBlock(1000, "chatdata", "cut.jpg") + pattern(500));
    QVERIFY(socket.waitForBytesWritten(5000));
    // Wait until the server holds a staged file for it.
    const QString staging = m_fixture->context().folder().stagingDir();
    QTRY_COMPARE(QDir(staging).entryList(QDir::Files).size(), 1);
    m_stored.reset();
    m_refused.reset();
    m_fixture->server().stop();
    QVERIFY(QDir(staging).isEmpty());
    QVERIFY(!QFile::exists(m_fixture->imageRoot() + QStringLiteral("/chatdata/cut.jpg")));
}

QTEST_GUILESS_MAIN(TestServerUpload)
#include "tst_server_upload.moc"
