// Measures the request socket and the upload socket against a local peer that runs on a thread
// of its own:
//   - form request round trips per second (one new request and connection each, as the
//     program makes them), with a small reply and with a 20,000-byte reply;
//   - upload throughput with the 5 ms pause between pieces and without it, and how late a
//     10 ms timer on the window thread runs meanwhile (the progress notices are handled there).
//
// Usage: bench_net [requests] [paced upload MiB] [unpaced upload MiB]

#include "net/orvi_http.h"
#include "net/orvi_upload.h"
#include "net/reply_notice.h"
#include "net/upload_notice.h"
#include "platform/message_target.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace orvix;

namespace {

// The peer: answers every whole form request with a fixed reply, and swallows uploads.
class Peer : public QObject {
public:
    QByteArray reply;
    QTcpServer server;

    void listen() {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                    requests.remove(socket);
                    socket->deleteLater();
                });
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    QByteArray& seen = requests[socket];
                    seen += socket->readAll();
                    if (seen.startsWith("POST ") && seen.contains("\r\n\r\n")) {
                        const qsizetype end = seen.indexOf("\r\n\r\n") + 4;
                        const qsizetype at = seen.indexOf("Content-Length: ") + 16;
                        const qint64 length =
                            seen.mid(at, seen.indexOf('\r', at) - at).toLongLong();
                        if (seen.size() >= end + length) {
                            socket->write(reply);
                            requests.remove(socket);
                        }
                    } else if (!seen.startsWith("POST") && seen.size() > 4096) {
                        seen.clear(); // an upload: keep nothing
                        seen += "UPLOAD";
                    }
                });
            }
        });
    }

private:
    QHash<QTcpSocket*, QByteArray> requests;
};

class Owner : public QObject, public MessageTarget {
public:
    int replies = 0;
    int progress = 0;
    bool finished = false;
    int onMessage(int message, WParam wParam, LParam lParam) override {
        if (ReplyNotice::from(message, wParam, lParam)) {
            ++replies;
        } else if (const auto notice = UploadNotice::from(message, wParam, lParam)) {
            if (notice->kind == UploadNotice::Kind::Progress)
                ++progress;
            else if (notice->kind == UploadNotice::Kind::Finished)
                finished = true;
        }
        return 1;
    }
};

void waitFor(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

QByteArray framed(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nContent-Type: text/html\r\n\r\n" + body;
}

void roundTrips(Peer& peer, QThread& peerThread, int count, const QByteArray& body) {
    QMetaObject::invokeMethod(
        &peer, [&] { peer.reply = framed(body); }, Qt::BlockingQueuedConnection);
    Q_UNUSED(peerThread);
    const QString server = QStringLiteral("127.0.0.1:%1").arg(peer.server.serverPort());
    Owner owner;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        const int before = owner.replies;
        COrviHttp::Send(server, server.toLatin1(), "/android/getreceivechatpc.php",
                        QStringLiteral("deviceid=12345&mbno=77"), &owner);
        waitFor([&] { return owner.replies > before; });
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("requests, %6lld-byte reply: %d in %.3f s = %.0f round trips/s\n",
                static_cast<long long>(body.size()), count, seconds, count / seconds);
}

void upload(Peer& peer, const QString& path, qint64 size, int pauseMs) {
    Owner owner;
    // A 10 ms timer on the window thread: how late it fires shows how busy the thread is.
    QElapsedTimer tick;
    qint64 worstLateness = 0;
    qint64 ticks = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (ticks++ > 0)
            worstLateness = std::max(worstLateness, tick.nsecsElapsed() / 1000 - 10000);
        tick.restart();
    });
    auto* up = new COrviUpload;
    up->setPiecePause(std::chrono::milliseconds(pauseMs));
    QElapsedTimer clock;
    clock.start();
    timer.start();
    up->Start(QStringLiteral("127.0.0.1"), peer.server.serverPort(), QStringLiteral("bench"),
              QStringLiteral("file.bin"), path, &owner);
    waitFor([&] { return owner.finished; });
    const double seconds = clock.nsecsElapsed() / 1e9;
    timer.stop();
    std::printf("upload %5.1f MiB, pause %d ms: %.3f s = %8.1f KiB/s, %d progress notices "
                "(%.0f/s), window-thread timer at most %.1f ms late\n",
                size / 1048576.0, pauseMs, seconds, size / 1024.0 / seconds, owner.progress,
                owner.progress / seconds, worstLateness / 1000.0);
}

QString makeFile(const QTemporaryDir& dir, qint64 size) {
    const QString path = dir.filePath(QStringLiteral("upload-%1.bin").arg(size));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray block(1 << 20, 'u');
    for (qint64 left = size; left > 0; left -= block.size())
        file.write(block.constData(), std::min<qint64>(left, block.size()));
    return path;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int requests = args.size() > 1 ? args.at(1).toInt() : 2000;
    const qint64 pacedMiB = args.size() > 2 ? args.at(2).toLongLong() : 2;
    const qint64 unpacedMiB = args.size() > 3 ? args.at(3).toLongLong() : 64;

    QThread peerThread;
    Peer peer;
    peer.moveToThread(&peerThread);
    peer.server.moveToThread(&peerThread);
    peerThread.start();
    QMetaObject::invokeMethod(
        &peer, [&] { peer.listen(); }, Qt::BlockingQueuedConnection);

    roundTrips(peer, peerThread, requests / 10, "warm-up"); // connections, allocator, caches
    roundTrips(peer, peerThread, requests, "1</>ok");
    roundTrips(peer, peerThread, requests / 4, QByteArray(20000, 'r'));

    QTemporaryDir dir;
    upload(peer, makeFile(dir, pacedMiB << 20), pacedMiB << 20, 5);
    upload(peer, makeFile(dir, unpacedMiB << 20), unpacedMiB << 20, 0);

    QMetaObject::invokeMethod(
        &peer,
        [&] {
            peer.server.close();
            qDeleteAll(peer.findChildren<QTcpSocket*>());
        },
        Qt::BlockingQueuedConnection);
    peerThread.quit();
    peerThread.wait();
    return 0;
}
