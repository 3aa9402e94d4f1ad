#include "net/url_download.h"
#include "support/http_peer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
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

    // A 200 reply's body, empty or not, replaces the target whole; the caller's thread handles no
    // events meanwhile.
    void writesTheWholeBody() {
        for (const QByteArray& body :
             {QByteArray("\xff\xd8\xff photo \x00\x01", 13).repeated(100000), QByteArray()}) {
            TcpPeer peer(HttpPeer::answering({{{response("200 OK", body), 50}}}));
            const QString address = url(peer, "/image/0000000042/m42.jpg");
            write(target(), "old photo");
            bool fired = false;
            QTimer::singleShot(0, this, [&fired] { fired = true; });
            QCOMPARE(orvix::DownloadUrl(address, target()), 1);
            QVERIFY(!fired);
            QVERIFY(contents(target()) == body);
            QCOMPARE(files(), QStringList{u"photo.jpg"_qs});
            const auto request = HttpPeer::Request::parse(peer.received(0));
            QVERIFY(request);
            QCOMPARE(request->head.left(request->head.indexOf('\r')),
                     "GET /image/0000000042/m42.jpg HTTP/1.1");
            QCOMPARE(request->header("User-Agent"), address.toUtf8());
            QCOMPARE(request->header("Cache-Control"), QByteArray("no-cache"));
            QTRY_VERIFY(fired);
        }
    }

    void failureLeavesTheTargetAsItWas_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("hold"); // the connection stays open: only the time-out ends it
        const auto row = [](const char* name, const QByteArray& reply, bool hold = false) {
            QTest::newRow(name) << reply << hold;
        };
        row("404", response("404 Not Found", "<html>Not Found</html>"));
        row("redirect to another scheme",
            "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/other.jpg\r\n\r\n");
        row("dropped connection",
            "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + QByteArray(4000, 'x'));
        row("silent server", {}, true);
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
    }

    // Redirects are followed (relative or absolute, any of the usual codes) up to five in a row;
    // the sixth fails. Only the final body reaches the file.
    void followsAtMostFiveRedirects_data() {
        QTest::addColumn<int>("redirects");
        QTest::addColumn<int>("result");
        for (int redirects : {1, 5, 6})
            QTest::addRow("%d", redirects) << redirects << (redirects <= 5 ? 1 : 0);
    }
    void followsAtMostFiveRedirects() {
        QFETCH(int, redirects);
        QFETCH(int, result);
        const QList<QByteArray> codes{"301 Moved Permanently", "302 Found", "303 See Other",
                                      "307 Temporary Redirect", "308 Permanent Redirect"};
        quint16 port = 0;
        HttpPeer peer([&](const HttpPeer::Request& request) {
            const int step = request.path.mid(request.path.lastIndexOf('/') + 2).toInt();
            if (step >= redirects)
                return response("200 OK", "final photo");
            // Every other hop names the whole address, the others only the path.
            const QByteArray next = "/hop/r" + QByteArray::number(step + 1);
            const QByteArray location =
                step % 2 ? "http://127.0.0.1:" + QByteArray::number(port) + next : next;
            return "HTTP/1.1 " + codes[step % codes.size()] + "\r\nLocation: " + location +
                   "\r\nContent-Length: 9\r\n\r\nredirect!";
        });
        port = peer.port();
        write(target(), "old photo");
        const int got =
            orvix::DownloadUrl(u"http://"_qs + peer.address() + u"/hop/r0"_qs, target());
        QCOMPARE(got, result);
        QCOMPARE(contents(target()), result ? QByteArray("final photo") : "old photo");
        // Qt may ask again on a fresh connection; what counts is how far the chain was followed.
        QSet<QByteArray> asked;
        for (const HttpPeer::Request& request : peer.requests())
            asked.insert(request.path);
        QCOMPARE(asked.size(), std::min(redirects, 5) + 1);
        QCOMPARE(files().size(), 1);
    }

    // Every download is bounded: by the size cap, announced or counted, and by the deadline
    // however steadily the server trickles. Past either the target is untouched.
    void limitsEndTheDownload_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("bytes");   // body bytes the server sends
        QTest::addColumn<int>("spacing"); // milliseconds between them (0: all at once)
        QTest::addColumn<int>("result");
        const QByteArray plain = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n";
        QTest::newRow("at the cap") << plain << 1000 << 0 << 1;
        QTest::newRow("one byte over the cap, no length") << plain << 1001 << 0 << 0;
        QTest::newRow("over the cap, announced")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n\r\n") << 10 << 0 << 0;
        QTest::newRow("trickling past the deadline") << plain << 100 << 40 << 0;
    }
    void limitsEndTheDownload() {
        QFETCH(QByteArray, head);
        QFETCH(int, bytes);
        QFETCH(int, spacing);
        QFETCH(int, result);
        TcpPeer::Answer answer{{{head}}};
        if (spacing == 0) {
            answer.pieces.append({QByteArray(bytes, 'p')});
        } else {
            for (int i = 0; i < bytes; ++i)
                answer.pieces.append({QByteArray(1, 'p'), spacing});
        }
        TcpPeer peer(HttpPeer::answering(answer));
        write(target(), "old photo");
        QElapsedTimer timer;
        timer.start();
        // The server is never silent for the time-out, but the whole trickle takes 4 s.
        QCOMPARE(UrlDownload(2s).setDeadline(600ms).setSizeCap(1000).run(url(peer), target()),
                 result);
        QVERIFY(timer.elapsed() < 3000);
        QCOMPARE(contents(target()), result ? QByteArray(bytes, 'p') : "old photo");
        QCOMPARE(files().size(), 1);
    }

    // What the callers get without setting anything: bounded, and enough for a photo.
    void defaultsSuitPictures() {
        const UrlDownload download;
        QVERIFY(download.timeout() <= 30s && download.deadline() <= 60s);
        QVERIFY(download.sizeCap() >= 2 * 1024 * 1024 && download.sizeCap() <= 16 * 1024 * 1024);
        QCOMPARE(UrlDownload(5s).deadline(), UrlDownload::kDefaultDeadline);
    }

    void unusableAddressOrTargetGivesZero() {
        TcpPeer peer(HttpPeer::answering({{{response("200 OK", "x")}}}));
        for (const QString& address : {QString(), u"ftp://127.0.0.1/a.jpg"_qs, u"http:///a.jpg"_qs,
                                       u"http://127.0.0.1:%1/a.jpg"_qs.arg(TcpPeer().port())})
            QCOMPARE(orvix::DownloadUrl(address, target()), 0);
        for (const QString& path : {m_dir.path(), m_dir.filePath(u"no/such/a.jpg"_qs)})
            QCOMPARE(orvix::DownloadUrl(url(peer), path), 0);
        QVERIFY(files().isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(u"no"_qs)));
        QCOMPARE(peer.connectionCount(), 0); // a target that cannot be written is not fetched
    }
};

QTEST_MAIN(TestUrlDownload)
#include "tst_url_download.moc"
