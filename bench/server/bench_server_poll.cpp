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
#include "server_load.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <limits>

using namespace orvix::server;
using namespace orvix::server::bench;

namespace {

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

void measure(QTextStream& out, ServerThread& server, const QString& name,
             LoadRun::Requests requests, int clients, bool keepAlive, int milliseconds) {
    qint64 records = 0;
    LoadRun load(server.port(), std::move(requests), clients, keepAlive,
                 std::numeric_limits<qint64>::max(), [&records](const QByteArray& body) {
                     if (body.startsWith("1</>1"))
                         ++records;
                 });
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
               .arg(records)
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
        QStringList devicesSeeded;
        ServerThread server(config, [&](OrvixServer& running) {
            // A script answering "1" without touching the database: the round trip alone.
            running.routes().addScript(
                QStringLiteral("/android/empty.php"),
                [](const ScriptRequest&) { return ScriptReply::text(QStringLiteral("1")); });
            devicesSeeded = seed(running.context().database(), devices, pending);
        });
        if (!server.startAndWait())
            return 1;
        QList<QByteArray> polls;
        for (const QString& device : devicesSeeded)
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
