// The upload port over real sockets: files stored whole under the image tree, refusals that
// leave nothing behind, who may upload where, the time and rate limits and the caps, and
// uploads that never hold up the HTTP side.

#include "server_test_support.h"

#include "server/storage/password_hasher.h"
#include "server/upload/upload_server.h"

#include <QDir>
#include <QDirIterator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
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

// Connects to the upload port (from a loopback address, 127.0.0.1 unless given) and writes the
// bytes, in pieces of pieceSize when given, each piece leaving before the next; the connection
// stays open.
void send(QTcpSocket& socket, quint16 port, const QByteArray& bytes, qsizetype pieceSize = 0,
          const QString& from = {}) {
    QVERIFY(connectFrom(socket, port, from));
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
    void onlyFromAddressesWithASession();
    void symbolicLinksDoNotLeadOut();
    void slowHeadersAndTricklesAreDropped();
    void capPerAddress();
    void manyUploadsAtOnceDoNotBlockHttp();

private:
    void start(const ServerConfig& config);

    std::unique_ptr<ServerFixture> m_fixture;
    std::unique_ptr<QSignalSpy> m_stored;
    std::unique_ptr<QSignalSpy> m_refused;
};

void TestServerUpload::init() {
    ServerConfig config;
    config.maxUpload = 1024 * 1024;
    start(config);
}

// A server with member 1 logged in from 127.0.0.1 (the address the tests upload from).
void TestServerUpload::start(const ServerConfig& config) {
    m_stored.reset();
    m_refused.reset();
    m_fixture = std::make_unique<ServerFixture>(config);
    QVERIFY(m_fixture->running());
    // A cheap hash: these tests are about uploads, not about password checks.
    QVERIFY(m_fixture->context().members().add(u"kim"_s, PasswordHasher(100).hash(u"pw"_s), {},
                                               nullptr));
    QVERIFY(!m_fixture->openSession(1).isEmpty());
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
    row("chatdata", "1170000사진 한장.jpg", 10000);
    row("document/1", "my  report v2 .PDF", 3000);
    row("mailbox/0000000001", "empty.txt", 0);
    row("document/1", "cap.bin", 1024 * 1024); // exactly the cap
    row("chatdata", "c1t.jpg", 4, "EXTRA");
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
    QTest::newRow("parent folder") << uploadBlock(1, "chatdata/../..", "1x.jpg") + "x" << false;
    QTest::newRow("name with slash") << uploadBlock(1, "chatdata", "../../1x.jpg") + "x" << false;
    // Refused on the header alone: the body is never waited for.
    QTest::newRow("over the cap") << uploadBlock(1024 * 1024 + 1, "chatdata", "1x.jpg") << false;
    // A folder of the tree cannot be replaced by a file.
    QTest::newRow("onto a folder") << uploadBlock(1, "mailbox/0000000001", "sub") + "x" << false;
    QTest::newRow("half a header") << uploadBlock(10, "chatdata", "1x.jpg").left(1000) << true;
    QTest::newRow("header only") << uploadBlock(10, "chatdata", "1x.jpg") << true;
    QTest::newRow("short body") << uploadBlock(100000, "chatdata", "1x.jpg") + pattern(99999)
                                << true;
    // Only the folders the client writes, for the member logged in from this address (1); the
    // rules in detail are a unit test's.
    for (const char* target :
         {"memberphoto mem1.jpg", "chatdata 2x.jpg", "document/2 1x.pdf", "mailbox/12 1x.sml"}) {
        const QList<QByteArray> parts = QByteArray(target).split(' ');
        QTest::newRow(target) << uploadBlock(1, parts[0], parts[1]) + "x" << false;
    }
}

void TestServerUpload::refusalsLeaveNothing() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, clientCloses);
    // An older file of that name, a member photo and the tree's folders stay as they were.
    const QString old = m_fixture->imageRoot() + u"/chatdata/1x.jpg"_s;
    const QString folder = m_fixture->imageRoot() + u"/mailbox/0000000001/sub"_s;
    QVERIFY(writeFile(old, "old") && QDir().mkpath(folder));
    QVERIFY(writeFile(m_fixture->imageRoot() + u"/memberphoto/mem1.jpg"_s, "photo"));
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

void TestServerUpload::onlyFromAddressesWithASession() {
    const QByteArray upload = uploadBlock(2, "document/2", "2a.pdf") + "ok";
    // Member 2 logs in over HTTP from 127.0.0.2: that address may then upload to member 2's
    // folder; before, it is turned away as soon as it connects, before any byte is read.
    QVERIFY(m_fixture->context().members().add(u"lee"_s, PasswordHasher(100).hash(u"pw2"_s), {},
                                               nullptr));
    {
        QTcpSocket early;
        send(early, m_fixture->uploadPort(), upload, 0, u"127.0.0.2"_s);
        QTRY_COMPARE(early.state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(m_refused->size(), 1);
        QVERIFY2(m_refused->at(0).at(0).toString().contains(u"without a PC session"_s),
                 qPrintable(m_refused->at(0).at(0).toString()));
    }
    QVERIFY(m_fixture->context().pcAccess().decide(2, true));
    QCOMPARE(login(m_fixture->httpPort(), u"lee"_s, u"pw2"_s, u"127.0.0.2"_s).left(5), u"1</>1"_s);
    QTcpSocket socket;
    send(socket, m_fixture->uploadPort(), upload, 0, u"127.0.0.2"_s);
    QTRY_COMPARE(m_stored->size(), 1);
    QCOMPARE(readFile(m_fixture->imageRoot() + u"/document/2/2a.pdf"_s), QByteArray("ok"));
    // Member 1's session is from 127.0.0.1, not from here; and once member 2's session ends, the
    // address may upload nothing.
    QTcpSocket other;
    send(other, m_fixture->uploadPort(), uploadBlock(2, "document/1", "1a.pdf") + "no", 0,
         u"127.0.0.2"_s);
    QTRY_COMPARE(m_refused->size(), 2);
    QCOMPARE(m_fixture->context().pcAccess().endSessions(2, u"test"_s), 1);
    QTcpSocket late;
    send(late, m_fixture->uploadPort(), upload, 0, u"127.0.0.2"_s);
    QTRY_COMPARE(m_refused->size(), 3);
    QTRY_COMPARE(late.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(m_stored->size(), 1);
    QVERIFY(!QFile::exists(m_fixture->imageRoot() + u"/document/1/1a.pdf"_s));
}

void TestServerUpload::symbolicLinksDoNotLeadOut() {
    // A folder of the tree that is a link to a place outside, and one to the member photos.
    QTemporaryDir outside;
    const QString image = m_fixture->imageRoot();
    QVERIFY(QDir().mkpath(image + u"/mailbox"_s));
    QVERIFY(QFile::link(outside.path(), image + u"/mailbox/0000000007"_s));
    QVERIFY(QFile::link(image + u"/memberphoto"_s, image + u"/mailbox/0000000008"_s));
    QVERIFY(QFile::link(outside.path(), image + u"/document"_s));
    // A link that stays inside the tree is followed.
    QVERIFY(QDir().mkpath(image + u"/real"_s));
    QVERIFY(QFile::link(image + u"/real"_s, image + u"/mailbox/0000000009"_s));
    const char* const targets[][2] = {{"mailbox/0000000007", "a.sml"},
                                      {"mailbox/0000000008", "mem1.jpg"},
                                      {"document/1", "1a.pdf"},
                                      {"mailbox/0000000009", "in.sml"}};
    for (int i = 0; i < 4; ++i) {
        QTcpSocket socket;
        send(socket, m_fixture->uploadPort(),
             uploadBlock(4, targets[i][0], targets[i][1]) + "data");
        QTRY_COMPARE(m_stored->size() + m_refused->size(), i + 1);
    }
    QCOMPARE(m_refused->size(), 3);
    QCOMPARE(m_stored->size(), 1);
    QCOMPARE(readFile(image + u"/real/in.sml"_s), QByteArray("data"));
    QVERIFY(QDir(outside.path()).isEmpty()); // not even the member's folder was made there
    QVERIFY(!QFile::exists(image + u"/memberphoto/mem1.jpg"_s));
}

void TestServerUpload::slowHeadersAndTricklesAreDropped() {
    ServerConfig config;
    config.limits.uploadHeaderTimeoutMs = 300;
    config.limits.uploadRateWindowMs = 200;
    config.limits.uploadMinBytesPerSecond = 50000; // 10,000 bytes per window
    start(config);
    // A header that never completes, and a body that trickles after its header.
    QTcpSocket header;
    send(header, m_fixture->uploadPort(), uploadBlock(10, "chatdata", "1h.jpg").left(2000));
    QTcpSocket trickle;
    send(trickle, m_fixture->uploadPort(), uploadBlock(100000, "chatdata", "1t.jpg") + "x");
    // An upload at the usual speed goes through meanwhile.
    QTcpSocket steady;
    send(steady, m_fixture->uploadPort(),
         uploadBlock(40000, "chatdata", "1s.jpg") + pattern(40000));
    QTRY_COMPARE(m_refused->size(), 2);
    QTRY_COMPARE(m_stored->size(), 1);
    QTRY_COMPARE(header.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(trickle.state(), QAbstractSocket::UnconnectedState);
    const QString reasons =
        m_refused->at(0).at(0).toString() + u' ' + m_refused->at(1).at(0).toString();
    QVERIFY2(reasons.contains(u"header not complete"_s) && reasons.contains(u"slower than"_s),
             qPrintable(reasons));
    QVERIFY(QDir(m_fixture->context().folder().stagingDir()).isEmpty());
}

void TestServerUpload::capPerAddress() {
    ServerConfig config;
    config.limits.maxUploadsPerAddress = 2;
    start(config);
    m_fixture->openSession(1, u"127.0.0.2"_s);
    // Two unfinished uploads take this address's slots: the third is closed at once, while
    // another address still uploads.
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 3; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        send(*held.back(), m_fixture->uploadPort(), uploadBlock(10, "chatdata", "1c.jpg"));
    }
    QTRY_COMPARE(held.back()->state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(m_refused->size(), 1);
    QVERIFY(m_refused->at(0).at(0).toString().contains(u"per address"_s));
    QTcpSocket other;
    send(other, m_fixture->uploadPort(), uploadBlock(2, "chatdata", "1o.jpg") + "ok", 0,
         u"127.0.0.2"_s);
    QTRY_COMPARE(m_stored->size(), 1);
    // When one of them ends, the slot is free again.
    held.front()->abort();
    QTRY_COMPARE(m_refused->size(), 2);
    QTcpSocket again;
    send(again, m_fixture->uploadPort(), uploadBlock(2, "chatdata", "1a.jpg") + "ok");
    QTRY_COMPARE(m_stored->size(), 2);
}

void TestServerUpload::manyUploadsAtOnceDoNotBlockHttp() {
    // As many uploads at once as one address may have, each stopped half way through its body.
    const int count = m_fixture->server().limits().maxUploadsPerAddress;
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    const QByteArray body = pattern(200000);
    for (int i = 0; i < count; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        send(*sockets.back(), m_fixture->uploadPort(),
             uploadBlock(body.size(), "chatdata", "c1" + QByteArray::number(i)) +
                 body.left(100000));
    }
    // Meanwhile the HTTP side answers as usual.
    for (int i = 0; i < 10; ++i)
        QCOMPARE(login(m_fixture->httpPort(), u"kim"_s, u"pw"_s), u"1</>0"_s);
    QCOMPARE(m_stored->size(), 0);
    // Then every upload completes.
    for (auto& socket : sockets)
        socket->write(body.mid(100000));
    QTRY_COMPARE_WITH_TIMEOUT(m_stored->size(), count, 30000);
    for (int i = 0; i < count; ++i)
        QVERIFY(readFile(m_fixture->imageRoot() + u"/chatdata/c1%1"_s.arg(i)) == body);
    QCOMPARE(m_refused->size(), 0);
}

QTEST_GUILESS_MAIN(TestServerUpload)
#include "tst_server_upload.moc"
