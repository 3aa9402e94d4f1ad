// Login replies per second on loopback. The server runs in this process on a thread of its own
// (the HTTP side is single-threaded: one core); clients on the main thread send the desktop
// client's exact login request. Reported per wall-clock second and per CPU second of the server
// thread.
//
// usage: bench_server_login [seconds per run, default 5] [concurrent clients, default 8]
//                           [only the runs whose name contains this text]

#include "server/admin/member_registration.h"
#include "server/app/orvix_server.h"
#include "server_load.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <limits>

using namespace orvix::server;
using namespace orvix::server::bench;

namespace {

QByteArray loginRequest(const QByteArray& id, const QByteArray& password) {
    return formRequest("/android/pclogin.php", "id=" + id + "&password=" + password);
}

// Adds the member every run logs in as.
void addBenchMember(OrvixServer& server) {
    MemberRegistration(server.context())
        .add(QStringLiteral("bench"), QStringLiteral("bench pw"), {}, {}, nullptr);
}

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
    ServerThread pending(config, addBenchMember);
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
    ServerThread admitted(config, addBenchMember);
    if (!admitted.startAndWait())
        return 1;
    run(admitted, QStringLiteral("admitted login (auto-approve: a new session written each)"), good,
        false);
    admitted.quit();
    admitted.wait();
    return 0;
}
