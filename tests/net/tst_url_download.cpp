#include "net/url_download.h"
#include "support/http_peer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;
using orvix::UrlDownload;
using orvix::test::HttpPeer;
using orvix::test::TcpPeer;
using Then = TcpPeer::Then;

namespace {

QByteArray response(const QByteArray& status, const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nContent-Type: image/jpeg\r\nConnection: close\r\n\r\n" + body;
}

QString url(const TcpPeer& peer, const char* path = "/x") {
    return u"http://"_qs + peer.address() + QLatin1String(path);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
}

} // namespace

class TestUrlDownload : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString target() const { return m_dir.filePath(u"photo.jpg"_qs); }
    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files); }

private slots:
    void init() {
        for (const QString& name : files())
            QFile::remove(m_dir.filePath(name));
    }

    void writesTheWholeBody_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("body");
        const QByteArray photo("\xff\xd8\xff photo bytes \x00\x01 end", 23);
        QTest::newRow("200") << response("200 OK", photo) << photo;
        QTest::newRow("empty 200") << response("200 OK", {}) << QByteArray();
        QTest::newRow("until close")
            << QByteArray("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nabcdefghij")
            << QByteArray("abcdefghij");
        QTest::newRow("chunked") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                                               "\r\n4\r\nabcd\r\n6\r\nefghij\r\n0\r\n\r\n")
                                 << QByteArray("abcdefghij");
        QByteArray large(5 * 1024 * 1024 + 123, Qt::Uninitialized);
        QRandomGenerator random(11);
        for (char& byte : large)
            byte = char(random.bounded(256));
        QTest::newRow("5 MiB") << response("200 OK", large) << large;
    }
    void writesTheWholeBody() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, body);
        TcpPeer peer(HttpPeer::answering({{{reply}}}));
        const QString address = url(peer, "/image/0000000042/m42.jpg");
        write(target(), "old photo");
        QCOMPARE(orvix::DownloadUrl(address, target()), 1);
        QVERIFY(contents(target()) == body);
        QCOMPARE(files(), QStringList{u"photo.jpg"_qs});
        const auto request = HttpPeer::Request::parse(peer.received(0));
        QVERIFY(request);
        QCOMPARE(request->head.left(request->head.indexOf('\r')),
                 "GET /image/0000000042/m42.jpg HTTP/1.1");
        QCOMPARE(request->header("User-Agent"), address.toUtf8());
        QCOMPARE(request->header("Cache-Control"), QByteArray("no-cache"));
    }

    void failureLeavesTheTargetAsItWas_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("hold"); // the connection stays open: only the time-out ends it
        QTest::newRow("404") << response("404 Not Found", "<html>Not Found</html>") << false;
        QTest::newRow("500") << response("500 Internal Server Error", "oops") << false;
        QTest::newRow("redirect not followed")
            << QByteArray(
                   "HTTP/1.1 302 Found\r\nLocation: /image/other.jpg\r\nContent-Length: 0\r\n\r\n")
            << false;
        QTest::newRow("not http") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n\r\n") << false;
        QTest::newRow("dropped connection")
            << "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + QByteArray(4000, 'x') << false;
        QTest::newRow("silent server") << QByteArray() << true;
        QTest::newRow("stalled body")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789") << true;
    }
    void failureLeavesTheTargetAsItWas() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, hold);
        TcpPeer peer(HttpPeer::answering({{{reply}}, hold ? Then::Hold : Then::Close}));
        for (bool existing : {true, false}) {
            if (existing)
                write(target(), "old photo");
            else
                QFile::remove(target());
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(UrlDownload(500ms).run(url(peer), target()), 0);
            QVERIFY(timer.elapsed() < 15000); // the time-out given was used
            QCOMPARE(contents(target()), existing ? QByteArray("old photo") : "<missing>");
            QCOMPARE(files().size(), existing ? 1 : 0);
        }
        QVERIFY(!peer.received(0).contains("other.jpg"));
    }

    void slowButSteadyServerIsNotCutOff() {
        TcpPeer::Answer answer{{{"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n"}}};
        for (const char* piece : {"a", "b", "c", "d", "e", "f"})
            answer.pieces.append({piece, 250});
        TcpPeer peer(HttpPeer::answering(answer));
        QCOMPARE(UrlDownload(800ms).run(url(peer), target()), 1);
        QCOMPARE(contents(target()), QByteArray("abcdef"));
    }

    void unusableAddressOrTargetGivesZero() {
        TcpPeer peer(HttpPeer::answering({{{response("200 OK", "x")}}}));
        quint16 closedPort;
        {
            TcpPeer gone;
            closedPort = gone.port();
        }
        for (const QString& address : {QString(), u"not an address"_qs, u"ftp://127.0.0.1/a.jpg"_qs,
                                       u"file:///etc/hostname"_qs, u"http:///a.jpg"_qs,
                                       u"http://127.0.0.1:%1/a.jpg"_qs.arg(closedPort)})
            QCOMPARE(orvix::DownloadUrl(address, target()), 0);
        for (const QString& path : {QString(), m_dir.path(), m_dir.filePath(u"no/such/a.jpg"_qs)})
            QCOMPARE(orvix::DownloadUrl(url(peer), path), 0);
        QVERIFY(files().isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(u"no"_qs)));
        QCOMPARE(peer.connectionCount(), 0); // a target that cannot be written is not fetched
    }

    void callerHandlesNoEventsWhileWaiting() {
        TcpPeer peer(HttpPeer::answering({{{response("200 OK", "body"), 100}}}));
        bool fired = false;
        QTimer::singleShot(0, this, [&fired] { fired = true; });
        QCOMPARE(orvix::DownloadUrl(url(peer), target()), 1);
        QVERIFY(!fired);
        QTRY_VERIFY(fired);
    }
};

QTEST_MAIN(TestUrlDownload)
#include "tst_url_download.moc"
