// orvix-server under hostile load, measured from outside: the real program runs as a child
// process; clients in this process play the members and the attackers over loopback, each
// attacker from an address of its own (127.0.0.2 and up; all of 127/8 is loopback on Linux).
//
// 1. logins: correct logins from 127.0.0.1 (a first login, whose password check is a full
//    PBKDF2, and the repeat of a client waiting for the phone, answered from memory), first
//    alone, then while flood clients send wrong passwords for other IDs as fast as they are
//    answered; throughput and latency percentiles of each.
// 2. memory: the server's resident memory while clients GET a 100 MiB file and never read it.
// 3. connections: under a limit of 1,024 descriptors, idle and then trickling HTTP connections
//    from many addresses, with a fresh login tried after each batch; then trickling uploads
//    from addresses without a session beside a real upload.
//
// usage: bench_server_attack [seconds per login run, default 5] [flood clients, default 200]
//                            [runs: any of "logins", "memory", "connections"; default all]

#include "server/admin/member_registration.h"
#include "server/app/descriptor_limit.h"
#include "server/core/server_context.h"
#include "server/storage/password_hasher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <future>
#include <memory>
#include <vector>

#include <sys/resource.h>

using namespace orvix::server;

namespace {

QTextStream out(stdout);

const QString kBinary = QStringLiteral(ORVIX_SERVER_BINARY);

QByteArray loginRequest(const QByteArray& id, const QByteArray& password) {
    const QByteArray body = "id=" + id + "&password=" + password;
    return "POST /android/pclogin.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
           "Accept-Encoding: gzip,deflate\r\nConnection: keep-alive\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QString loopback(int n) {
    // 127.0.0.2 and up, through 127.0.x.y.
    return QStringLiteral("127.0.%1.%2").arg((n + 2) / 250).arg((n + 2) % 250 + 1);
}

// Runs the event loop until done() holds or the time is up; true when it held.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// The server program, optionally under a descriptor limit.
class ServerChild {
public:
    bool start(const QString& data, int descriptorLimit = 0) {
        if (descriptorLimit > 0) {
            m_process.setChildProcessModifier([descriptorLimit] {
                const rlimit limit{rlim_t(descriptorLimit), rlim_t(descriptorLimit)};
                setrlimit(RLIMIT_NOFILE, &limit);
            });
        }
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(kBinary, {QStringLiteral("serve"), QStringLiteral("--data"), data,
                                  QStringLiteral("--http-port"), QStringLiteral("0"),
                                  QStringLiteral("--upload-port"), QStringLiteral("0")});
        QByteArray output;
        static const QRegularExpression ready(
            QStringLiteral("http [^ ,]*:(\\d+).*upload [^ ,]*:(\\d+)"));
        const bool started = runUntil(
            [&] {
                output += m_process.readAllStandardOutput();
                const auto match = ready.match(QString::fromUtf8(output));
                if (match.hasMatch()) {
                    m_httpPort = quint16(match.captured(1).toUInt());
                    m_uploadPort = quint16(match.captured(2).toUInt());
                }
                return m_httpPort != 0 || m_process.state() == QProcess::NotRunning;
            },
            30000);
        return started && m_httpPort != 0;
    }
    void stop() {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    ~ServerChild() { stop(); }

    quint16 httpPort() const { return m_httpPort; }
    quint16 uploadPort() const { return m_uploadPort; }

    // "VmRSS" or "VmHWM" of the server, in KiB.
    qint64 memoryKiB(const char* field) const {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith(field))
                return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toLongLong();
        }
        return -1;
    }

private:
    QProcess m_process;
    quint16 m_httpPort = 0;
    quint16 m_uploadPort = 0;
};

// One request on a new connection from an address; reports the reply's body and the time taken
// (or failure after the time limit).
class Call : public QObject {
public:
    using Done = std::function<void(bool ok, const QByteArray& body, double ms)>;

    Call(quint16 port, const QString& from, QByteArray request, Done done, int timeoutMs = 30000)
        : m_request(std::move(request))
        , m_done(std::move(done)) {
        m_clock.start();
        if (!from.isEmpty())
            m_socket.bind(QHostAddress(from), 0);
        connect(&m_socket, &QTcpSocket::connected, this, [this] { m_socket.write(m_request); });
        connect(&m_socket, &QTcpSocket::readyRead, this, &Call::onData);
        connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] { finish(false); });
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] { finish(false); });
        m_timer.start(timeoutMs);
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    }

private:
    void onData() {
        m_buffer += m_socket.readAll();
        const qsizetype end = m_buffer.indexOf("\r\n\r\n");
        const qsizetype at = m_buffer.indexOf("Content-Length: ");
        if (end < 0 || at < 0)
            return;
        const qsizetype length =
            m_buffer.mid(at + 16, m_buffer.indexOf('\r', at) - at - 16).toLongLong();
        if (m_buffer.size() >= end + 4 + length) {
            m_body = m_buffer.mid(end + 4, length);
            finish(true);
        }
    }
    void finish(bool ok) {
        if (m_finished)
            return;
        m_finished = true;
        m_timer.stop();
        m_socket.disconnect(this);
        m_socket.abort();
        const double ms = double(m_clock.nsecsElapsed()) / 1e6;
        QTimer::singleShot(0, this, [this, ok, ms] {
            m_done(ok, m_body, ms);
            deleteLater();
        });
    }

    QTcpSocket m_socket;
    QByteArray m_request;
    QByteArray m_buffer;
    QByteArray m_body;
    Done m_done;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_finished = false;
};

struct Series {
    std::vector<double> ms;
    int failures = 0;
    double seconds = 0;

    double percentile(double p) const {
        if (ms.empty())
            return 0;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        const size_t at = std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5));
        return sorted[at];
    }
    QString text() const {
        return QStringLiteral("%1 in %2 s = %3/s, p50 %4 ms, p99 %5 ms, max %6 ms, failed %7")
            .arg(ms.size())
            .arg(seconds, 0, 'f', 1)
            .arg(double(ms.size()) / qMax(seconds, 0.001), 0, 'f', 1)
            .arg(percentile(0.5), 0, 'f', 1)
            .arg(percentile(0.99), 0, 'f', 1)
            .arg(ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()), 0, 'f', 1)
            .arg(failures);
    }
};

// Sends requests one after another from 127.0.0.1 (each on a new connection, as the client
// does) for the given time or number, checking each body.
Series sequential(quint16 port, const std::function<QByteArray(int)>& request,
                  const QByteArray& expected, int milliseconds, int count,
                  bool expectedBeginsOnly = false) {
    Series series;
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    bool running = false;
    std::function<void()> next = [&] {
        if (sent >= count || clock.elapsed() >= milliseconds) {
            running = false;
            return;
        }
        running = true;
        new Call(port, {}, request(sent++), [&](bool ok, const QByteArray& body, double ms) {
            if (ok && (expectedBeginsOnly ? body.startsWith(expected) : body == expected))
                series.ms.push_back(ms);
            else
                ++series.failures;
            next();
        });
    };
    next();
    runUntil([&] { return !running; }, milliseconds + 60000);
    series.seconds = double(clock.nsecsElapsed()) / 1e9;
    return series;
}

// Clients that send wrong passwords for other IDs, each from its own address, as fast as they
// are answered.
class Flood {
public:
    Flood(quint16 port, int clients, QStringList ids)
        : m_port(port)
        , m_ids(std::move(ids)) {
        for (int i = 0; i < clients; ++i)
            send(i);
    }
    ~Flood() { m_stopped = true; }
    void stop() { m_stopped = true; }
    qint64 replies() const { return m_replies; }
    qint64 failures() const { return m_failures; }

private:
    void send(int client) {
        if (m_stopped)
            return;
        const qint64 n = ++m_sent;
        const QByteArray id = m_ids[int(n % m_ids.size())].toUtf8();
        new Call(m_port, loopback(client), loginRequest(id, "wrong" + QByteArray::number(n)),
                 [this, client](bool ok, const QByteArray&, double) {
                     ok ? ++m_replies : ++m_failures;
                     send(client);
                 });
    }

    quint16 m_port;
    QStringList m_ids;
    qint64 m_sent = 0;
    qint64 m_replies = 0;
    qint64 m_failures = 0;
    bool m_stopped = false;
};

// Members with the real hashing, made in parallel (a full PBKDF2 each).
bool addMembers(const QString& data, const QStringList& ids) {
    ServerConfig config;
    config.dataDir = data;
    ServerContext context(config);
    QString error;
    if (!context.open(&error)) {
        out << error << '\n';
        return false;
    }
    std::vector<std::future<QString>> hashes;
    for (const QString& id : ids)
        hashes.push_back(std::async(std::launch::async, [id] {
            return PasswordHasher().hash(id + QStringLiteral(" pw"));
        }));
    for (size_t i = 0; i < hashes.size(); ++i) {
        if (!context.members().add(ids[int(i)], hashes[i].get(), {}, &error)) {
            out << error << '\n';
            return false;
        }
    }
    return true;
}

void runLogins(int seconds, int floodClients) {
    out << "== logins: correct logins from 127.0.0.1, alone and beside " << floodClients
        << " clients sending wrong passwords for other IDs from other addresses\n";
    QTemporaryDir dir;
    QStringList firsts;
    for (int i = 0; i < 90; ++i)
        firsts << QStringLiteral("first%1").arg(i);
    QStringList victims;
    for (int i = 0; i < 10; ++i)
        victims << QStringLiteral("victim%1").arg(i);
    if (!addMembers(dir.path(), firsts + victims + QStringList{QStringLiteral("waiting")}))
        return;
    ServerChild server;
    if (!server.start(dir.path())) {
        out << "the server did not start\n";
        return;
    }
    const quint16 port = server.httpPort();
    const QByteArray pending("1</>0");
    const QByteArray waiting = loginRequest("waiting", "waiting pw");
    // The waiting client's first login opens the approval and remembers the check.
    sequential(
        port, [&](int) { return waiting; }, pending, 10000, 1);

    auto measure = [&](const QString& name, int offset) {
        const Series first = sequential(
            port,
            [&](int i) {
                const QByteArray id = firsts[offset + i].toUtf8();
                return loginRequest(id, id + " pw");
            },
            pending, 60000, 30);
        out << name << ", first login (full check): " << first.text() << '\n';
        const Series repeat = sequential(
            port, [&](int) { return waiting; }, pending, seconds * 1000, 1 << 30);
        out << name << ", repeat of a waiting client: " << repeat.text() << '\n';
        out.flush();
    };
    measure(QStringLiteral("no flood"), 0);

    // Victims and IDs that do not exist, in turn.
    QStringList targets = victims;
    for (int i = 0; i < 10; ++i)
        targets << QStringLiteral("nobody%1").arg(i);
    Flood flood(port, floodClients, targets);
    // Right after the flood began (its first guesses are all waiting for a check), then once
    // the throttling has caught up with it.
    const struct {
        int waitMs;
        const char* name;
    } phases[] = {{2000, "flood, from 2 s"}, {30000, "flood, from 45 s"}};
    int offset = 30;
    for (const auto& phase : phases) {
        runUntil([] { return false; }, phase.waitMs);
        const qint64 floodBefore = flood.replies();
        QElapsedTimer clock;
        clock.start();
        measure(QString::fromLatin1(phase.name), offset);
        offset += 30;
        out << phase.name << ": the flood got "
            << double(flood.replies() - floodBefore) / (double(clock.elapsed()) / 1000)
            << " wrong-password replies/s meanwhile, " << flood.failures()
            << " failed requests so far\n";
    }
    flood.stop();
    runUntil([] { return false; }, 500);
}

void runMemory() {
    out << "== memory: 20 clients GET a 100 MiB file and never read it\n";
    QTemporaryDir dir;
    if (!addMembers(dir.path(), {QStringLiteral("reader")}))
        return;
    const QString path = dir.path() + QStringLiteral("/image/mailbox/0000000001/big.bin");
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        const QByteArray mib(1024 * 1024, 'x');
        for (int i = 0; i < 100; ++i)
            file.write(mib);
    }
    ServerChild server;
    if (!server.start(dir.path()))
        return;
    runUntil([] { return false; }, 1000);
    const qint64 before = server.memoryKiB("VmRSS:");
    std::vector<std::unique_ptr<QTcpSocket>> readers;
    for (int i = 0; i < 20; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->setReadBufferSize(4096);
        socket->connectToHost(QStringLiteral("127.0.0.1"), server.httpPort());
        socket->write("GET /image/mailbox/0000000001/big.bin HTTP/1.1\r\nHost: x\r\n\r\n");
        readers.push_back(std::move(socket));
    }
    runUntil([] { return false; }, 5000);
    const qint64 during = server.memoryKiB("VmRSS:");
    const Series login = sequential(
        server.httpPort(), [](int) { return loginRequest("reader", "reader pw"); }, "1</>0", 10000,
        5);
    out << "resident memory before " << before / 1024 << " MiB, with the 20 unread GETs "
        << during / 1024 << " MiB, peak " << server.memoryKiB("VmHWM:") / 1024
        << " MiB; logins meanwhile: " << login.text() << '\n';
    readers.clear();

    // A content registration with 4 MiB of exported HTML goes through: the phone approves the
    // reader's PC, whose next login opens a session.
    QProcess approve;
    approve.start(kBinary, {QStringLiteral("admin"), QStringLiteral("--data"), dir.path(),
                            QStringLiteral("approve-pc"), QStringLiteral("reader")});
    approve.waitForFinished(30000);
    QByteArray device;
    new Call(
        server.httpPort(), {}, loginRequest("reader", "reader pw"),
        [&](bool ok, const QByteArray& reply, double) {
            device = ok ? reply.split('<').value(3).mid(2) : QByteArray("none");
        },
        10000);
    runUntil([&] { return !device.isEmpty(); }, 15000);
    const QByteArray html = "<p>" + QByteArray(4 * 1024 * 1024, 'h') + "</p>";
    const Series content = sequential(
        server.httpPort(),
        [&](int i) {
            const QByteArray body = "deviceid=" + device + "&style=replayinfo&content=" + html +
                                    "&file=big" + QByteArray::number(i) +
                                    "&idate=1&title=T&imagefile=";
            return "POST /android/contentadd_new.php HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                   QByteArray::number(body.size()) + "\r\n\r\n" + body;
        },
        "1</>", 60000, 5, true);
    out << "content registrations with 4 MiB of HTML: " << content.text() << '\n';

    // Twenty clients each announce 8 MiB and send all but the last byte: the budget of bodies
    // being received (128 MiB) takes sixteen, the others get 503.
    std::vector<std::unique_ptr<QTcpSocket>> senders;
    const QByteArray almost(8 * 1024 * 1024 - 1, 'b');
    for (int i = 0; i < 20; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress(loopback(i)), 0);
        socket->connectToHost(QStringLiteral("127.0.0.1"), server.httpPort());
        socket->write("POST /android/pclogin.php HTTP/1.1\r\nHost: x\r\nContent-Length: 8388608"
                      "\r\n\r\n" +
                      almost);
        senders.push_back(std::move(socket));
    }
    runUntil(
        [&] {
            return std::all_of(senders.begin(), senders.end(), [](const auto& socket) {
                return socket->bytesToWrite() == 0 ||
                       socket->state() != QAbstractSocket::ConnectedState;
            });
        },
        60000);
    std::vector<QByteArray> replies(senders.size());
    auto refusals = [&] {
        int count = 0;
        for (size_t i = 0; i < senders.size(); ++i) {
            replies[i] += senders[i]->readAll();
            count += replies[i].startsWith("HTTP/1.1 503") ? 1 : 0;
        }
        return count;
    };
    runUntil([&] { return refusals() >= 4; }, 20000);
    runUntil([] { return false; }, 3000); // the accepted bodies arrive whole but a byte
    const int refused = refusals();
    out << "20 bodies of 8 MiB at once: " << refused << " refused with 503; resident memory "
        << server.memoryKiB("VmRSS:") / 1024 << " MiB, peak " << server.memoryKiB("VmHWM:") / 1024
        << " MiB\n";
    out.flush();
}

// Tries a login from 127.0.0.1 on a new connection.
bool freshLogin(quint16 port, int timeoutMs) {
    bool done = false;
    bool ok = false;
    new Call(
        port, {}, loginRequest("fresh", "fresh pw"),
        [&](bool success, const QByteArray& body, double) {
            ok = success && body == "1</>0";
            done = true;
        },
        timeoutMs);
    runUntil([&] { return done; }, timeoutMs + 5000);
    return ok;
}

void runConnections() {
    out << "== connections: the server under a limit of 1,024 descriptors\n";
    DescriptorLimit::raise(); // this process holds thousands of sockets
    QTemporaryDir dir;
    if (!addMembers(dir.path(), {QStringLiteral("fresh")}))
        return;
    ServerChild server;
    if (!server.start(dir.path(), 1024))
        return;
    const quint16 port = server.httpPort();
    freshLogin(port, 10000);

    // Idle connections, 100 from each address.
    std::vector<std::unique_ptr<QTcpSocket>> held;
    int failedLogins = 0;
    for (int batch = 0; batch < 30; ++batch) {
        for (int i = 0; i < 100; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            socket->bind(QHostAddress(loopback(batch)), 0);
            socket->connectToHost(QStringLiteral("127.0.0.1"), port);
            held.push_back(std::move(socket));
        }
        runUntil([] { return false; }, 100);
        failedLogins += freshLogin(port, 5000) ? 0 : 1;
    }
    runUntil([] { return false; }, 500);
    const auto open = std::count_if(held.begin(), held.end(), [](const auto& s) {
        return s->state() == QAbstractSocket::ConnectedState;
    });
    out << "idle: " << held.size() << " connections opened from 30 addresses, " << open
        << " still open (the longest idle make room), fresh logins failed: " << failedLogins
        << " of 30\n";
    held.clear();
    runUntil([] { return false; }, 1000);

    // Trickling connections: each sends part of a request head and stays in the middle of it.
    int trickling = 0;
    int failedAt = -1;
    QElapsedTimer clock;
    for (int batch = 0; batch < 40 && failedAt < 0; ++batch) {
        for (int i = 0; i < 25; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            socket->bind(QHostAddress(loopback(batch)), 0);
            socket->connectToHost(QStringLiteral("127.0.0.1"), port);
            socket->write("POST /android/pclogin.php HTTP/1.1\r\nHost: x\r\n");
            held.push_back(std::move(socket));
            ++trickling;
        }
        runUntil([] { return false; }, 100);
        if (!freshLogin(port, 3000)) {
            failedAt = trickling;
            clock.start();
        }
    }
    if (failedAt < 0) {
        out << "trickling: " << trickling << " connections held, every fresh login went through\n";
    } else {
        const bool back = runUntil([&] { return freshLogin(port, 2000); }, 60000);
        out << "trickling: a fresh login first failed with " << failedAt
            << " trickling connections open; logins "
            << (back ? QStringLiteral("worked again %1 s later (their request deadline)")
                           .arg(double(clock.elapsed()) / 1000, 0, 'f', 1)
                     : QStringLiteral("did not come back within 60 s"))
            << '\n';
    }
    held.clear();
    runUntil([] { return false; }, 1000);

    // The upload port: trickling uploads from addresses that hold no PC session, beside a real
    // upload from the address of a logged-in member.
    {
        ServerConfig config;
        config.dataDir = dir.path();
        ServerContext context(config);
        QString error;
        if (!context.openExisting(&error) ||
            context.pcAccess().admit(1, true, QStringLiteral("127.0.0.1")).deviceId.isEmpty()) {
            out << "cannot open a session: " << error << '\n';
            return;
        }
    }
    for (int i = 0; i < 600; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress(loopback(i % 100)), 0);
        socket->connectToHost(QStringLiteral("127.0.0.1"), server.uploadPort());
        socket->write(QByteArray(100, '9'));
        held.push_back(std::move(socket));
    }
    runUntil([] { return false; }, 1000);
    const auto dropped = std::count_if(held.begin(), held.end(), [](const auto& s) {
        return s->state() != QAbstractSocket::ConnectedState;
    });
    const QByteArray file(1024 * 1024, 'u');
    const QByteArray text = QByteArray::number(file.size()) + " chatdata 1bench.jpg";
    QTcpSocket upload;
    clock.start();
    upload.connectToHost(QStringLiteral("127.0.0.1"), server.uploadPort());
    upload.write(text + QByteArray(2048 - text.size(), '\0') + file);
    const bool stored =
        runUntil([&] { return upload.state() == QAbstractSocket::UnconnectedState; }, 60000);
    const qint64 size = QFileInfo(dir.path() + QStringLiteral("/image/chatdata/1bench.jpg")).size();
    out << "uploads: " << dropped << " of 600 trickling connections without a session closed "
        << "within 1 s; a 1 MiB upload beside them "
        << (stored && size == file.size() ? QStringLiteral("stored in %1 ms").arg(clock.elapsed())
                                          : QStringLiteral("FAILED"))
        << '\n';
    held.clear();
    out.flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int seconds = args.size() > 1 ? qMax(1, args[1].toInt()) : 5;
    const int flood = args.size() > 2 ? qMax(1, args[2].toInt()) : 200;
    const QStringList runs = args.mid(3);
    auto wanted = [&](const char* name) {
        return runs.isEmpty() || runs.contains(QLatin1String(name));
    };
    if (wanted("logins"))
        runLogins(seconds, flood);
    if (wanted("memory"))
        runMemory();
    if (wanted("connections"))
        runConnections();
    return 0;
}
