// Chat polls per second on loopback: 1,000 PC sessions (one member each, every member in a room
// with the next) poll "/android/getreceivechatpc.php" in turn, as the desktop client does every
// two seconds. The server runs in this process on a thread of its own (its HTTP side is one
// thread: one core). Compared in the same run with a script that answers "1" without touching
// the database: the cost of the HTTP round trip alone.
//
// usage: bench_server_poll [seconds per run, default 5] [concurrent clients, default 8]
//                          [devices, default 1000]

#include "server/app/orvix_server.h"
#include "server/storage/database.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using namespace orvix::server;

namespace {

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

QByteArray formRequest(const QByteArray& path, const QByteArray& body) {
    return "POST " + path +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
           "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 6.1; en-US; rv:1.9.1.5) "
           "Gecko/20091102 Firefox/3.5.5 (.NET CLR 3.5.30729)\r\n"
           "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
           "Accept-Language: en-us,en;q=0.5\r\nAccept-Encoding: gzip,deflate\r\n"
           "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\nKeep-Alive: 300\r\n"
           "Connection: keep-alive\r\nReferer: http://127.0.0.1/test.php\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// Members, rooms and open sessions written straight into the database in one transaction (the
// registration path hashes each password, which would take minutes for a thousand members).
QStringList seed(Database& db, int devices, int pendingPerRoom) {
    QStringList ids;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    db.begin();
    QSqlQuery& member = db.statement(QStringLiteral(
        "INSERT INTO members (login_id, password_hash, name, created_at) VALUES (?, 'x', ?, ?)"));
    QSqlQuery& room =
        db.statement(QStringLiteral("INSERT INTO chat_rooms (created_at) VALUES (?)"));
    QSqlQuery& join = db.statement(QStringLiteral(
        "INSERT INTO chat_room_members (room_no, member_no, joined_at) VALUES (?, ?, ?)"));
    QSqlQuery& session = db.statement(QStringLiteral(
        "INSERT INTO pc_sessions (device_id, member_no, started_at, chat_cursor) VALUES (?, ?, "
        "?, 0)"));
    QSqlQuery& message = db.statement(QStringLiteral(
        "INSERT INTO chat_messages (room_no, sender_member_no, kind, content, sent_at) VALUES "
        "(?, ?, 1, 'a message of the benchmark', ?)"));
    for (int i = 1; i <= devices; ++i) {
        member.addBindValue(QStringLiteral("m%1").arg(i));
        member.addBindValue(QStringLiteral("Member %1").arg(i));
        member.addBindValue(now);
        member.exec();
        const QString device = QStringLiteral("%1").arg(i, 32, 10, QLatin1Char('0'));
        session.addBindValue(device);
        session.addBindValue(i);
        session.addBindValue(now);
        session.exec();
        ids << device;
    }
    for (int i = 1; i <= devices; ++i) {
        room.addBindValue(now);
        room.exec();
        const qint64 roomNo = room.lastInsertId().toLongLong();
        for (int m : {i, i % devices + 1}) {
            join.addBindValue(roomNo);
            join.addBindValue(m);
            join.addBindValue(now);
            join.exec();
        }
        for (int k = 0; k < pendingPerRoom; ++k) {
            message.addBindValue(roomNo);
            message.addBindValue(i);
            message.addBindValue(now);
            message.exec();
        }
    }
    db.commit();
    return ids;
}

class ServerThread : public QThread {
public:
    ServerThread(ServerConfig config, int devices, int pending)
        : m_config(std::move(config))
        , m_devices(devices)
        , m_pending(pending) {}

    bool startAndWait() {
        start();
        m_ready.acquire();
        return m_port != 0;
    }
    quint16 port() const { return m_port; }
    QStringList devices() const { return m_ids; }
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
        server.routes().addScript(QStringLiteral("/android/empty.php"), [](const ScriptRequest&) {
            return ScriptReply::text(QStringLiteral("1"));
        });
        m_ids = seed(server.context().database(), m_devices, m_pending);
        m_port = server.httpPort();
        m_ready.release();
        exec();
    }

private:
    ServerConfig m_config;
    int m_devices;
    int m_pending;
    QSemaphore m_ready;
    QObject* m_probe = nullptr;
    quint16 m_port = 0;
    QStringList m_ids;
};

// Clients that each send a request, read the whole reply and go again, on kept-alive
// connections or a new connection per request (as the desktop client does).
class LoadRun : public QObject {
public:
    using Requests = std::function<QByteArray()>;

    LoadRun(quint16 port, Requests requests, int clients, bool keepAlive)
        : m_port(port)
        , m_requests(std::move(requests))
        , m_keepAlive(keepAlive) {
        for (int i = 0; i < clients; ++i)
            m_clients.push_back(std::make_unique<Client>());
    }

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
    qint64 records() const { return m_records; }

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
        if (client.buffer.mid(end + 4, 5) == "1</>1")
            ++m_records;
        client.buffer.remove(0, end + 4 + length);
        ++m_replies;
        begin(client);
    }

    quint16 m_port;
    Requests m_requests;
    bool m_keepAlive;
    std::vector<std::unique_ptr<Client>> m_clients;
    QEventLoop m_loop;
    qint64 m_replies = 0;
    qint64 m_records = 0;
    bool m_stopped = false;
};

void measure(QTextStream& out, ServerThread& server, const QString& name,
             LoadRun::Requests requests, int clients, bool keepAlive, int milliseconds) {
    LoadRun load(server.port(), std::move(requests), clients, keepAlive);
    const double cpuBefore = server.cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const qint64 replies = load.run(milliseconds);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = server.cpuSeconds() - cpuBefore;
    out << QStringLiteral("%1: %2 replies (%3 with a message) in %4 s = %5 per second; server "
                          "thread CPU %6 s = %7 per CPU second\n")
               .arg(name)
               .arg(replies)
               .arg(load.records())
               .arg(seconds, 0, 'f', 2)
               .arg(double(replies) / seconds, 0, 'f', 0)
               .arg(cpu, 0, 'f', 2)
               .arg(cpu > 0 ? double(replies) / cpu : 0.0, 0, 'f', 0);
    out.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int seconds = args.size() > 1 ? args[1].toInt() : 5;
    const int clients = args.size() > 2 ? args[2].toInt() : 8;
    const int devices = args.size() > 3 ? args[3].toInt() : 1000;
    QTextStream out(stdout);
    out << "clients: " << clients << ", devices: " << devices << ", seconds per run: " << seconds
        << '\n';

    for (int pending : {0, 5}) {
        QTemporaryDir dir;
        ServerConfig config;
        config.dataDir = dir.path();
        config.httpPort = 0;
        config.uploadPort = 0;
        ServerThread server(config, devices, pending);
        if (!server.startAndWait())
            return 1;
        QList<QByteArray> polls;
        for (const QString& device : server.devices())
            polls << formRequest("/android/getreceivechatpc.php", "deviceid=" + device.toUtf8());
        int next = 0;
        auto poll = [&] { return polls[next++ % polls.size()]; };
        const QByteArray empty = formRequest("/android/empty.php", "deviceid=x");
        const int ms = seconds * 1000;
        if (pending == 0) {
            measure(
                out, server, QStringLiteral("baseline: empty script, keep-alive"),
                [&] { return empty; }, clients, true, ms);
            measure(out, server, QStringLiteral("poll, nothing new, keep-alive"), poll, clients,
                    true, ms);
            measure(
                out, server, QStringLiteral("baseline: empty script, new connection each"),
                [&] { return empty; }, clients, false, ms);
            measure(out, server, QStringLiteral("poll, nothing new, new connection each"), poll,
                    clients, false, ms);
        } else {
            measure(out, server,
                    QStringLiteral("poll with %1 messages waiting per device (each handed out "
                                   "moves the cursor: one committed write), keep-alive")
                        .arg(2 * pending),
                    poll, clients, true, ms);
        }
        server.quit();
        server.wait();
    }
    return 0;
}
