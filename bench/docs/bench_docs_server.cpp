// Measures the documents feature of orvix-server in-process over loopback HTTP: how many
// document registrations ("/android/adddocument.php") it answers per second, one client after
// the other, and how long the library page takes with that many documents in both orders.
//
// Usage: bench_docs_server [documents]

#include "server/admin/member_registration.h"
#include "server/app/orvix_server.h"
#include "server/storage/staged_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

using namespace orvix::server;

namespace {

// One request on its own connection; the reply's body, once it has arrived whole.
QByteArray exchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    QEventLoop loop;
    QByteArray reply;
    qsizetype bodyStart = -1;
    qint64 length = -1;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (bodyStart < 0 && (bodyStart = reply.indexOf("\r\n\r\n")) >= 0) {
            bodyStart += 4;
            const qsizetype at = reply.indexOf("Content-Length: ") + 16;
            length = reply.mid(at, reply.indexOf('\r', at) - at).toLongLong();
        }
        if (bodyStart >= 0 && reply.size() - bodyStart >= length)
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    socket.write(request);
    loop.exec();
    return bodyStart < 0 ? QByteArray() : reply.mid(bodyStart);
}

QByteArray post(const QByteArray& path, const QByteArray& body) {
    return "POST " + path +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int count = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 1000;

    QTemporaryDir dir;
    ServerConfig config;
    config.dataDir = dir.path();
    config.httpPort = config.uploadPort = 0;
    OrvixServer server(config);
    QString error;
    if (!server.start(&error)) {
        out << "server did not start: " << error << '\n';
        return 1;
    }
    const auto member =
        MemberRegistration(server.context())
            .add(QStringLiteral("kim"), QStringLiteral("pw"), QStringLiteral("Kim"), {}, &error);
    if (!member) {
        out << error << '\n';
        return 1;
    }
    const QString device = server.context().pcAccess().admit(member->memberNo, true).deviceId;
    const QString folder = dir.path() + QStringLiteral("/image/document/%1/").arg(member->memberNo);
    QDir().mkpath(folder);

    // Registrations: each document a file of its own, then its registration.
    std::vector<double> times;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("%1%2.PDF").arg(member->memberNo).arg(1700000000 + i);
        QFile file(folder + name);
        if (!file.open(QIODevice::WriteOnly) || file.write("%PDF-1.4 bench") < 0)
            return 1;
        file.close();
        const QByteArray body =
            QStringLiteral("deviceid=%1&path=http://%2/image/document/%3/%4&comment=Bench "
                           "document %5 with a description of ordinary length&ext=PDF"
                           "&filename=document %5.pdf")
                .arg(device, server.config().publicAddress)
                .arg(member->memberNo)
                .arg(name)
                .arg(i)
                .toUtf8();
        QElapsedTimer timer;
        timer.start();
        if (exchange(server.httpPort(), post("/android/adddocument.php", body)) != "1</>1") {
            out << "registration " << i << " refused\n";
            return 1;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double seconds = total.nsecsElapsed() / 1e9;
    out << count << " registrations: " << QString::number(count / seconds, 'f', 0)
        << " per second, median " << QString::number(median(times), 'f', 2) << " ms, max "
        << QString::number(*std::max_element(times.begin(), times.end()), 'f', 2) << " ms\n";

    // The library page with all of them, in both orders.
    for (int order : {0, 1}) {
        std::vector<double> pageTimes;
        qsizetype size = 0;
        for (int round = 0; round < 20; ++round) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray page = exchange(
                server.httpPort(),
                QStringLiteral("GET /android/pcdocument.php?deviceid=%1&order=%2 HTTP/1.1\r\n"
                               "Host: 127.0.0.1\r\n\r\n")
                    .arg(device)
                    .arg(order)
                    .toUtf8());
            pageTimes.push_back(timer.nsecsElapsed() / 1e6);
            size = page.size();
        }
        out << "library page, order " << order << ", " << count << " documents (" << size / 1024
            << " KiB): median " << QString::number(median(pageTimes), 'f', 2) << " ms, max "
            << QString::number(*std::max_element(pageTimes.begin(), pageTimes.end()), 'f', 2)
            << " ms\n";
    }
    return 0;
}
