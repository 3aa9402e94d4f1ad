#include "net/url_download.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QPointer>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <chrono>

using namespace std::chrono_literals;
using orvix::UrlDownload;

namespace {

// A scripted HTTP peer on a thread of its own (the test's thread is blocked while a download
// runs). It records what each client sends and, once a request's head has arrived, answers with
// the scripted pieces, each after its delay, and then closes the connection or holds it open.
class ScriptedServer final : public QThread {
public:
    struct Piece {
        QByteArray bytes;
        int delayMs = 0;
    };
    enum class End { Close, Hold };

    ScriptedServer(QList<Piece> pieces, End end = End::Close)
        : m_pieces(std::move(pieces))
        , m_end(end) {
        start();
        m_ready.acquire();
    }
    ~ScriptedServer() override {
        quit();
        wait();
    }

    quint16 port() const { return m_port; }
    QString address(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }
    QByteArray received() const {
        QMutexLocker lock(&m_mutex);
        return m_received;
    }
    int connections() const {
        QMutexLocker lock(&m_mutex);
        return m_connections;
    }
    // The value of a header of the first request, as sent.
    QByteArray header(const QByteArray& name) const {
        const QByteArray all = received();
        const QByteArray head = all.left(all.indexOf("\r\n\r\n"));
        for (const QByteArray& line : head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }

protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                {
                    QMutexLocker lock(&m_mutex);
                    ++m_connections;
                }
                auto request = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    const QByteArray bytes = socket->readAll();
                    {
                        QMutexLocker lock(&m_mutex);
                        m_received += bytes;
                    }
                    const bool headWasComplete = request->contains("\r\n\r\n");
                    *request += bytes;
                    if (!headWasComplete && request->contains("\r\n\r\n"))
                        send(socket, 0);
                });
            }
        });
        m_ready.release();
        exec();
    }

private:
    void send(QTcpSocket* socket, int index) {
        if (index == m_pieces.size()) {
            if (m_end == End::Close)
                socket->disconnectFromHost();
            return;
        }
        const Piece& piece = m_pieces.at(index);
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(piece.delayMs, socket, [this, guard, index] {
            if (!guard)
                return;
            guard->write(m_pieces.at(index).bytes);
            send(guard, index + 1);
        });
    }

    const QList<Piece> m_pieces;
    const End m_end;
    QSemaphore m_ready;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QByteArray m_received;
    int m_connections = 0;
};

QByteArray response(const QByteArray& status, const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nContent-Type: image/jpeg\r\nConnection: close\r\n\r\n" + body;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
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
    QString target() const { return m_dir.filePath(QStringLiteral("photo.jpg")); }
    QStringList filesInFolder() const { return QDir(m_dir.path()).entryList(QDir::Files); }

private slots:
    void init() {
        for (const QString& name : filesInFolder())
            QFile::remove(m_dir.filePath(name));
    }

    void okWritesTheBodyAndSendsTheAddressAsAgent() {
        static const char bytes[] = "\xff\xd8\xff photo bytes \x00\x01 end";
        const QByteArray body(bytes, sizeof bytes - 1);
        ScriptedServer server({{response("200 OK", body)}});
        const QString address = server.address(QStringLiteral("/image/0000000042/m42.jpg"));
        write(target(), "old photo");

        QCOMPARE(orvix::DownloadUrl(address, target()), 1);
        QCOMPARE(contents(target()), body);
        QCOMPARE(filesInFolder(), QStringList{QStringLiteral("photo.jpg")});
        QVERIFY(server.received().startsWith("GET /image/0000000042/m42.jpg HTTP/1.1\r\n"));
        QCOMPARE(server.header("User-Agent"), address.toUtf8());
        QCOMPARE(server.header("Cache-Control"), QByteArray("no-cache"));
        QCOMPARE(server.connections(), 1);
    }

    void emptyBodyGivesAnEmptyFile() {
        ScriptedServer server({{response("200 OK", {})}});
        write(target(), "old photo");
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/image/empty")), target()), 1);
        QVERIFY(QFile::exists(target()));
        QCOMPARE(contents(target()), QByteArray());
    }

    void bodyWithoutLengthOrInChunksIsWrittenWhole_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("until close") << QByteArray("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"
                                                   "abcdefghij");
        QTest::newRow("chunked") << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                                               "\r\n4\r\nabcd\r\n6\r\nefghij\r\n0\r\n\r\n");
    }
    void bodyWithoutLengthOrInChunksIsWrittenWhole() {
        QFETCH(QByteArray, reply);
        ScriptedServer server({{reply}});
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/x")), target()), 1);
        QCOMPARE(contents(target()), QByteArray("abcdefghij"));
    }

    void errorStatusLeavesTheTargetAsItWas_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("404") << response("404 Not Found", "<html>Not Found</html>");
        QTest::newRow("500") << response("500 Internal Server Error", "oops");
        QTest::newRow("redirect not followed")
            << QByteArray("HTTP/1.1 302 Found\r\nLocation: /image/other.jpg\r\n"
                          "Content-Length: 0\r\n\r\n");
        QTest::newRow("not http") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n\r\n");
    }
    void errorStatusLeavesTheTargetAsItWas() {
        QFETCH(QByteArray, reply);
        ScriptedServer server({{reply}});
        write(target(), "old photo");
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/image/a.jpg")), target()), 0);
        QCOMPARE(contents(target()), QByteArray("old photo"));
        QCOMPARE(filesInFolder(), QStringList{QStringLiteral("photo.jpg")});
        QVERIFY(!server.received().contains("other.jpg"));

        // Without an existing target nothing appears either.
        QFile::remove(target());
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/image/a.jpg")), target()), 0);
        QVERIFY(filesInFolder().isEmpty());
    }

    void missingFolderWritesNothing() {
        ScriptedServer server({{response("200 OK", "body")}});
        const QString folder = m_dir.filePath(QStringLiteral("no/such"));
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/x")),
                                    folder + QStringLiteral("/a.jpg")),
                 0);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("no"))));
        QCOMPARE(server.connections(), 0);
    }

    void droppedConnectionLeavesTheTargetAsItWas() {
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n";
        ScriptedServer server({{head + QByteArray(4000, 'x')}, {QByteArray(1000, 'y'), 50}});
        write(target(), "old photo");
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/x")), target()), 0);
        QCOMPARE(contents(target()), QByteArray("old photo"));
        QCOMPARE(filesInFolder(), QStringList{QStringLiteral("photo.jpg")});
    }

    void silentServerTimesOut() {
        ScriptedServer silent({}, ScriptedServer::End::Hold);
        ScriptedServer stalled({{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789"}},
                               ScriptedServer::End::Hold);
        write(target(), "old photo");
        for (const ScriptedServer* server : {&silent, &stalled}) {
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(UrlDownload(300ms).run(server->address(QStringLiteral("/x")), target()), 0);
            // Well below the default time-out: the one given was used.
            QVERIFY(timer.elapsed() < 15000);
            QCOMPARE(contents(target()), QByteArray("old photo"));
        }
        QCOMPARE(filesInFolder(), QStringList{QStringLiteral("photo.jpg")});
    }

    void slowButSteadyServerIsNotCutOff() {
        QList<ScriptedServer::Piece> pieces{{"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n"}};
        for (const char* piece : {"a", "b", "c", "d", "e", "f"})
            pieces.append({piece, 250});
        ScriptedServer server(pieces);
        QCOMPARE(UrlDownload(800ms).run(server.address(QStringLiteral("/x")), target()), 1);
        QCOMPARE(contents(target()), QByteArray("abcdef"));
    }

    void largeBodyIsWrittenWhole() {
        QByteArray body(5 * 1024 * 1024 + 123, Qt::Uninitialized);
        QRandomGenerator random(11);
        for (char& byte : body)
            byte = char(random.bounded(256));
        ScriptedServer server({{response("200 OK", body)}});
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/big")), target()), 1);
        QVERIFY(contents(target()) == body);
    }

    void unusableAddressesGiveZero() {
        quint16 closedPort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            closedPort = probe.serverPort();
        }
        const QStringList addresses{
            QString(),
            QStringLiteral("not an address"),
            QStringLiteral("ftp://127.0.0.1/a.jpg"),
            QStringLiteral("file:///etc/hostname"),
            QStringLiteral("http:///a.jpg"),
            QStringLiteral("http://127.0.0.1:%1/a.jpg").arg(closedPort),
        };
        for (const QString& address : addresses) {
            QCOMPARE(orvix::DownloadUrl(address, target()), 0);
            QVERIFY2(filesInFolder().isEmpty(), qPrintable(address));
        }
        ScriptedServer server({{response("200 OK", "x")}});
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/x")), QString()), 0);
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/x")), m_dir.path()), 0);
        QVERIFY(filesInFolder().isEmpty());
    }

    void callerHandlesNoEventsWhileWaiting() {
        ScriptedServer server({{response("200 OK", "body"), 100}});
        bool fired = false;
        QTimer::singleShot(0, this, [&fired] { fired = true; });
        QCOMPARE(orvix::DownloadUrl(server.address(QStringLiteral("/x")), target()), 1);
        QVERIFY(!fired);
        QTRY_VERIFY(fired);
    }
};

QTEST_MAIN(TestUrlDownload)
#include "tst_url_download.moc"
