// How long the server takes to serve the page of a post with 200 opinions (each with its
// ".tml" file, as the client uploads them), a photo, a document and a content, over a real
// socket on loopback, and how long building the page alone takes. Also the post list reply of
// a board of 1,000 posts.
//
// usage: bench_board_page [rounds, default 50] [opinions, default 200]

#include "server/app/orvix_server.h"
#include "server/pages/board/opinion_file.h"
#include "server/pages/board/post_page.h"
#include "server/scripts/board/board_store.h"
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

struct Stats {
    std::vector<double> ms;
    void add(qint64 ns) { ms.push_back(double(ns) / 1e6); }
    QString text() {
        std::sort(ms.begin(), ms.end());
        return QStringLiteral("median %1 ms, min %2 ms, max %3 ms (%4 rounds)")
            .arg(ms[ms.size() / 2], 0, 'f', 3)
            .arg(ms.front(), 0, 'f', 3)
            .arg(ms.back(), 0, 'f', 3)
            .arg(ms.size());
    }
};

// One whole exchange on a new connection, as the embedded browser or the client makes it.
QByteArray exchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    QEventLoop loop;
    QByteArray reply;
    qint64 expected = -1;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        const qsizetype end = reply.indexOf("\r\n\r\n");
        if (expected < 0 && end >= 0) {
            const qsizetype at = reply.indexOf("Content-Length: ");
            expected = end + 4 + reply.mid(at + 16, reply.indexOf('\r', at) - at - 16).toLongLong();
        }
        if (expected >= 0 && reply.size() >= expected)
            loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    socket.write(request);
    loop.exec();
    return reply;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : 50;
    const int opinions = argc > 2 ? QByteArray(argv[2]).toInt() : 200;
    QTextStream out(stdout);

    QTemporaryDir dir;
    ServerConfig config;
    config.dataDir = dir.path();
    config.httpPort = 0;
    config.uploadPort = 0;
    OrvixServer server(config);
    QString error;
    if (!server.start(&error)) {
        out << "server did not start: " << error << '\n';
        return 1;
    }
    ServerContext& context = server.context();
    const qint64 owner =
        context.members()
            .add(QStringLiteral("owner"), QStringLiteral("-"), QStringLiteral("Owner"), nullptr)
            ->memberNo;
    const qint64 writer =
        context.members()
            .add(QStringLiteral("writer"), QStringLiteral("-"), QStringLiteral("작성자"), nullptr)
            ->memberNo;
    const QString device = context.pcAccess().admit(writer, true).deviceId;
    BoardStore store(context.database());
    const qint64 mail = *store.addPost(owner, QStringLiteral("A post with many opinions"),
                                       QString(), std::nullopt, 1000, nullptr);
    for (int i = 0; i < opinions; ++i) {
        OpinionFile opinion;
        opinion.text =
            QStringLiteral("의견 %1: a line of text [with brackets]\nand a second line").arg(i);
        opinion.size = 12 + i % 20;
        opinion.bold = i % 3 == 0;
        opinion.textColour = quint32(i * 7919) & 0xffffff;
        ContentRecord content;
        content.memberNo = writer;
        content.style = QStringLiteral("text");
        content.fileName = QStringLiteral("%1%2").arg(writer).arg(2000 + i);
        content.title = QStringLiteral("0");
        content.html = opinion.clientParagraph();
        const QString tml = QStringLiteral("%1/%2/%3.tml")
                                .arg(context.folder().imageRoot(),
                                     BoardStore::mailboxFolder(writer), content.fileName);
        if (!StagedFile::writeWhole(context.folder().stagingDir(), tml, opinion.toBytes(),
                                    &error)) {
            out << error << '\n';
            return 1;
        }
        content.createdAt = 2000 + i;
        const auto contentNo = store.contents().add(content);
        store.addEntry(mail, writer, PostEntry::Kind::Opinion, QString(), contentNo, QString(),
                       2000 + i);
    }
    store.addEntry(mail, writer, PostEntry::Kind::Document,
                   QStringLiteral("http://h/image/document/2/a.PDF|a.pdf|notes"), std::nullopt,
                   QString(), 9000);

    const QString path = PostPage::address(device, mail);
    const QByteArray request =
        "GET " + path.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\n\r\n";
    exchange(server.httpPort(), request); // warm up: statements prepared, files cached
    Stats served;
    qsizetype bytes = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray reply = exchange(server.httpPort(), request);
        served.add(timer.nsecsElapsed());
        bytes = reply.size();
        if (!reply.startsWith("HTTP/1.1 200 OK")) {
            out << "unexpected reply: " << reply.left(80) << '\n';
            return 1;
        }
    }
    out << "post page with " << opinions << " opinions (" << bytes
        << " bytes), served over loopback: " << served.text() << '\n';

    PostPage page(context, std::make_shared<BoardStore>(context.database()));
    PageRequest pageRequest;
    pageRequest.query = {{QStringLiteral("deviceid"), device},
                         {QStringLiteral("mailidx"), QString::number(mail)}};
    Stats built;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const PageReply reply = page(pageRequest);
        built.add(timer.nsecsElapsed());
        if (reply.status != 200)
            return 1;
    }
    out << "the same page built without the socket: " << built.text() << '\n';

    // The list of a board of 1,000 posts (its reply holds the newest that fit 10,240 bytes).
    for (int i = 0; i < 1000; ++i)
        store.addPost(owner, QStringLiteral("Post %1").arg(i), QString(), std::nullopt, 3000 + i,
                      nullptr);
    const QByteArray body = "deviceid=" + device.toUtf8() + "&id=writer";
    const QByteArray list = "POST /android/pcorvixlist.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                            QByteArray::number(body.size()) + "\r\n\r\n" + body;
    exchange(server.httpPort(), list);
    Stats listed;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        bytes = exchange(server.httpPort(), list).size();
        listed.add(timer.nsecsElapsed());
    }
    out << "post list of a board of 1,000 posts (" << bytes << " bytes): " << listed.text() << '\n';
    return 0;
}
