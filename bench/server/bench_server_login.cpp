// Login replies per second on loopback. The server runs in this process on a thread of its own
// (the HTTP side is single-threaded: one core); clients on the main thread send the desktop
// client's exact login request. Reported per wall-clock second and per CPU second of the server
// thread.
//
// usage: bench_server_login [seconds per run, default 5] [concurrent clients, default 8]
//                           [only the runs whose name contains this text]

#include "server/admin/member_registration.h"
#include "server/app/orvix_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <QEventLoop>

#include <ctime>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

using namespace orvix::server;

namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

QByteArray loginRequest(const QByteArray& id, const QByteArray& password) {
    const QByteArray body = "id=" + id + "&password=" + password;
    return "POST /android/pclogin.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
           "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US; rv:1.9.1.5) "
           "Gecko/20091102 Firefox/3.5.5 (.NET CLR 3.5.30729)\r\n"
           "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
           "Accept-Language: en-us,en;q=0.5\r\nAccept-Encoding: gzip,deflate\r\n"
           "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\nKeep-Alive: 300\r\n"
           "Connection: keep-alive\r\nReferer: http://127.0.0.1/test.php\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// The server on its own thread; cpuSeconds() asks that thread for its CPU time.
class ServerThread : public QThread {
public:
    explicit ServerThread(ServerConfig config)
        : m_config(std::move(config)) {}

    bool startAndWait() {
        start();
        m_ready.acquire();
        return m_port != 0;
    }
    quint16 port() const { return m_port; }

    double cpuSeconds() {
        double seconds = 0;
        QMetaObject::invokeMethod(
            m_probe, [&] { seconds = threadCpuSeconds(); }, Qt::BlockingQueuedConnection);
        return seconds;
    }

protected:
    void run() override {
        QObject probe;
        m_probe = &probe;
        OrvixServer server(m_config);
        QString error;
        if (!server.start(&error)) {
            QTextStream(stderr) << error << '\n';
            m_ready.release();
            return;
        }
        MemberRegistration(server.context())
            .add(QStringLiteral("bench"), QStringLiteral("bench pw"), {}, {}, nullptr);
        m_port = server.httpPort();
        m_ready.release();
        exec();
    }

private:
    ServerConfig m_config;
    QSemaphore m_ready;
    QObject* m_probe = nullptr;
    quint16 m_port = 0;
};

// Clients that each send a request, read the whole reply, and go again: on the same connection
// (keepAlive) or on a new one each time, as the desktop client does.
class LoadRun : public QObject {
public:
    using Requests = std::function<QByteArray()>;

    LoadRun(quint16 port, Requests requests, int clients, bool keepAlive, qint64 limit)
        : m_port(port)
        , m_requests(std::move(requests))
        , m_keepAlive(keepAlive)
        , m_limit(limit) {
        for (int i = 0; i < clients; ++i)
            m_clients.push_back(std::make_unique<Client>());
    }

    // Runs for the given time (or until limit replies) and gives the number of replies.
    qint64 run(int milliseconds) {
        for (auto& client : m_clients)
            begin(*client);
        QTimer::singleShot(milliseconds, &m_loop, &QEventLoop::quit);
        m_loop.exec();
        m_stopped = true;
        for (auto& client : m_clients)
            client->socket.reset();
        return m_replies;
    }
    qint64 failures() const { return m_failures; }
    QByteArray lastBody() const { return m_lastBody; }

private:
    struct Client {
        std::unique_ptr<QTcpSocket> socket;
        QByteArray buffer;
    };

    void begin(Client& client) {
        if (m_stopped)
            return;
        if (client.socket && client.socket->state() == QAbstractSocket::ConnectedState &&
            m_keepAlive) {
            client.socket->write(m_requests());
            return;
        }
        if (client.socket) {
            client.socket->disconnect();
            client.socket->abort();
            client.socket.release()->deleteLater();
        }
        client.socket = std::make_unique<QTcpSocket>();
        client.buffer.clear();
        QTcpSocket* socket = client.socket.get();
        connect(socket, &QTcpSocket::connected, this,
                [this, socket] { socket->write(m_requests()); });
        connect(socket, &QTcpSocket::readyRead, this, [this, &client] { onData(client); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, &client] {
            ++m_failures;
            QTimer::singleShot(0, this, [this, &client] { begin(client); });
        });
        socket->connectToHost(QStringLiteral("127.0.0.1"), m_port);
    }

    void onData(Client& client) {
        client.buffer += client.socket->readAll();
        const qsizetype end = client.buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const qsizetype at = client.buffer.indexOf("Content-Length: ");
        const qsizetype length =
            client.buffer.mid(at + 16, client.buffer.indexOf('\r', at) - at - 16).toLongLong();
        if (client.buffer.size() < end + 4 + length)
            return;
        m_lastBody = client.buffer.mid(end + 4, length);
        client.buffer.remove(0, end + 4 + length);
        if (++m_replies >= m_limit) {
            m_loop.quit();
            return;
        }
        begin(client);
    }

    quint16 m_port;
    Requests m_requests;
    bool m_keepAlive;
    qint64 m_limit;
    std::vector<std::unique_ptr<Client>> m_clients;
    QEventLoop m_loop;
    qint64 m_replies = 0;
    qint64 m_failures = 0;
    bool m_stopped = false;
    QByteArray m_lastBody;
};

struct Result {

    qint64 replies;
    double wallSeconds;
    double serverCpuSeconds;
    QByteArray body;
};

Result measure(ServerThread& server, LoadRun::Requests requests, int clients, bool keepAlive,
               int milliseconds, qint64 limit = std::numeric_limits<qint64>::max()) {
    LoadRun load(server.port(), std::move(requests), clients, keepAlive, limit);
    const double cpuBefore = server.cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const qint64 replies = load.run(milliseconds);
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = server.cpuSeconds() - cpuBefore;
    return {replies, wallSeconds, cpu, load.lastBody()};
}

void report(QTextStream& out, const QString& name, const Result& r) {
    out << QStringLiteral("%1: %2 replies in %3 s = %4 per second; server thread CPU %5 s = %6 "
                          "replies per CPU second; last body \"%7\"\n")
               .arg(name)
               .arg(r.replies)
               .arg(r.wallSeconds, 0, 'f', 2)
               .arg(double(r.replies) / r.wallSeconds, 0, 'f', 0)
               .arg(r.serverCpuSeconds, 0, 'f', 2)
               .arg(r.serverCpuSeconds > 0 ? double(r.replies) / r.serverCpuSeconds : 0.0, 0, 'f',
                    0)
               .arg(QString::fromUtf8(r.body));
    out.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int seconds = args.size() > 1 ? args[1].toInt() : 5;
    const int clients = args.size() > 2 ? args[2].toInt() : 8;
    const QString only = args.value(3);
    QTextStream out(stdout);

    QTemporaryDir dir;
    ServerConfig config;
    config.dataDir = dir.path();
    config.httpPort = 0;
    config.uploadPort = 0;
    // These runs measure what each kind of login costs, so guessing is not throttled here
    // (bench_server_attack measures the throttling).
    config.limits.loginFreeFailuresPerAddress = std::numeric_limits<int>::max();
    config.limits.loginFreeFailuresPerId = std::numeric_limits<int>::max();
    config.limits.maxPasswordChecksPerAddress = std::numeric_limits<int>::max();
    ServerThread pending(config);
    if (!pending.startAndWait())
        return 1;
    out << "clients: " << clients << ", seconds per run: " << seconds << '\n';

    auto fixed = [](QByteArray request) { return [request] { return request; }; };
    const auto good = fixed(loginRequest("bench", "bench pw"));
    const int milliseconds = seconds * 1000;
    auto run = [&](ServerThread& server, const QString& name, LoadRun::Requests requests,
                   bool keepAlive) {
        if (only.isEmpty() || name.contains(only))
            report(out, name,
                   measure(server, std::move(requests), clients, keepAlive, milliseconds));
    };
    // First login: opens the pending approval and remembers the password check.
    measure(pending, good, 1, false, 2000, 1);
    run(pending, QStringLiteral("pending login, new connection per request"), good, false);
    run(pending, QStringLiteral("pending login, keep-alive connections"), good, true);
    run(pending, QStringLiteral("the same wrong password again and again"),
        fixed(loginRequest("bench", "wrong")), true);
    int attempt = 0;
    run(
        pending, QStringLiteral("a new wrong password each time (full PBKDF2 each)"),
        [&attempt] { return loginRequest("bench", "wrong" + QByteArray::number(++attempt)); },
        true);
    run(pending, QStringLiteral("unknown ID"), fixed(loginRequest("nobody", "x")), true);
    pending.quit();
    pending.wait();

    QTemporaryDir admittedDir;
    config.dataDir = admittedDir.path();
    config.autoApprove = true;
    ServerThread admitted(config);
    if (!admitted.startAndWait())
        return 1;
    run(admitted, QStringLiteral("admitted login (auto-approve: a new session written each)"), good,
        false);
    admitted.quit();
    admitted.wait();
    return 0;
}
