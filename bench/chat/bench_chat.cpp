// Chat speed on the window thread, each beside a baseline measured in the same run:
//   - a room list reply of 500 rooms whose partner photos are already on disk: reading the reply,
//     rebuilding the list (no download) and drawing the first screen of rows, against splitting
//     the same reply text into its fields;
//   - adding one text message to a room of 1,000 messages (bubble layout, appending, the
//     conversation's relayout), against measuring the same text once;
//   - painting one screen of a conversation of 1,000 text messages, against a bare QPainter pass
//     that draws the same texts without bubbles.
//
// usage: bench_chat [rounds, default 200]

#include "app/fonts.h"
#include "chat/chat_conversation.h"
#include "chat/chat_downloads.h"
#include "chat/chat_frame.h"
#include "chat/chat_list_view.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_room_list.h"
#include "chat/chat_view.h"
#include "chat/room_list_reply.h"
#include "chat/text_object.h"
#include "net/reply_text.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

using namespace orvix;

namespace {

struct Stats {
    double median;
    double min;
    double max;
};

// Runs a step `rounds` times and gives its times in milliseconds.
Stats time(int rounds, const std::function<void()>& step) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

void report(QTextStream& out, const QString& name, const Stats& s) {
    out << QStringLiteral("%1: median %2 ms (min %3, max %4)\n")
               .arg(name)
               .arg(s.median, 0, 'f', 3)
               .arg(s.min, 0, 'f', 3)
               .arg(s.max, 0, 'f', 3);
    out.flush();
}

QString roomListReply(int rooms) {
    QString text = QStringLiteral("happychatlist</>%1</>").arg(rooms);
    for (int i = 1; i <= rooms; ++i)
        text += QStringLiteral("%1</>2</>40</>The last message of room %1, a few words long</>"
                               "12-06 09:%2</>Partner %1</>1</>%1</>127.0.0.1:9</>")
                    .arg(i)
                    .arg(i % 60, 2, 10, QLatin1Char('0'));
    return text;
}

std::unique_ptr<ChatMessage> textMessage(int i) {
    auto message = std::make_unique<ChatMessage>();
    message->SetContent(ChatMessage::Text,
                        QStringLiteral("Message %1: a few words, sometimes more than fit on one "
                                       "line of the bubble, so that it wraps once or twice.")
                            .arg(i),
                        QStringLiteral("2026-12-06 09:05"), i % 2 ? ChatMessage::Own : 2, {});
    return message;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installFontSubstitutes();
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    QTextStream out(stdout);
    out << "rounds: " << rounds << '\n';

    // The room list: 500 partners' photos on disk.
    QTemporaryDir work;
    QImage face(160, 160, QImage::Format_RGB32);
    face.fill(QColor(90, 140, 200));
    for (int i = 1; i <= 500; ++i)
        face.save(work.filePath(QStringLiteral("mem%1.jpg").arg(i)), "JPG");
    const QString reply = roomListReply(500);
    report(out, QStringLiteral("baseline: split a 500-room reply into fields"),
           time(rounds, [&] { ReplyFields fields(reply); }));
    ChatDownloads downloads([](const QString&, const QString&) { return 0; });
    const QImage fallback(50, 50, QImage::Format_RGB32);
    CChatListView listView;
    listView.resize(250, 450);
    QImage screen(250, 450, QImage::Format_RGB32);
    auto handleReply = [&] {
        const RoomListReply parsed = RoomListReply::parse(reply);
        listView.rooms().Rebuild(
            parsed,
            [&](const RoomListReply::Room& room) {
                return downloads.partnerPhoto(work.path(), room.partnerNumber, room.photoHost);
            },
            fallback);
        QPainter painter(&screen);
        for (int i = 0; i < 8; ++i)
            listView.drawRow(painter, listView.rooms().at(i), 10 + 60 * i);
    };
    report(out,
           QStringLiteral("first 500-room reply of a run: read, rebuild, decode and draw the "
                          "first screen of rows"),
           time(rounds, [&] {
               const RoomListReply parsed = RoomListReply::parse(reply);
               CChatListView freshView; // nothing decoded yet
               ChatRoomList& fresh = freshView.rooms();
               fresh.Rebuild(
                   parsed,
                   [&](const RoomListReply::Room& room) {
                       return downloads.partnerPhoto(work.path(), room.partnerNumber,
                                                     room.photoHost);
                   },
                   fallback);
               QPainter painter(&screen);
               for (int i = 0; i < 8; ++i)
                   freshView.drawRow(painter, fresh.at(i), 10 + 60 * i);
           }));
    handleReply(); // the photos of the first screen are decoded once
    report(out, QStringLiteral("500-room reply again: read, rebuild, draw the first screen"),
           time(rounds, handleReply));
    out << "downloads attempted: " << downloads.attempts() << '\n';

    // A conversation of 1,000 text messages.
    ChatMessageList list;
    for (int i = 0; i < 1000; ++i)
        list.append(textMessage(i));
    ChatConversation conversation;
    conversation.show(QStringLiteral("1"), QStringLiteral("2"), &list);
    const QString added = QStringLiteral("One more message added to a long conversation.");
    QFont bubbleFont(ChatMessage::FontFace);
    bubbleFont.setPixelSize(ChatMessage::FontSize);
    const QFontMetrics metrics(bubbleFont);
    report(out, QStringLiteral("baseline: measure the added text once"),
           time(rounds, [&] { (void)metrics.horizontalAdvance(added); }));
    report(out, QStringLiteral("add one message to a room of 1,000 (layout, append, relayout)"),
           time(rounds, [&] {
               auto message = std::make_unique<ChatMessage>();
               message->SetContent(ChatMessage::Text, added, QStringLiteral("2026-12-06 09:06"),
                                   ChatMessage::Own, {});
               list.append(std::move(message));
               conversation.Relayout(450);
           }));

    CChatView chatView;
    chatView.resize(550, 450);
    ChatMessageList thousand;
    for (int i = 0; i < 1000; ++i)
        thousand.append(textMessage(i));
    chatView.conversation().show(QStringLiteral("1"), QStringLiteral("2"), &thousand);
    chatView.conversation().Relayout(450);
    QImage page(550, 450, QImage::Format_RGB32);
    const int top = thousand.total() / 2;
    report(out, QStringLiteral("baseline: bare QPainter pass of the same screen's texts"),
           time(rounds, [&] {
               QPainter painter(&page);
               painter.translate(0, -top);
               painter.setFont(bubbleFont);
               const auto [first, last] = thousand.visibleRange(top, top + 450);
               for (int i = first; i < last; ++i) {
                   const ChatMessage& m = thousand.at(i);
                   for (const QString& line : m.textBubble()->lines())
                       painter.drawText(QPoint(80, m.top() + 40), line);
               }
           }));
    report(out, QStringLiteral("paint one screen of a conversation of 1,000 messages"),
           time(rounds, [&] {
               QPainter painter(&page);
               painter.translate(0, -top);
               chatView.drawContent(painter, top, top + 450);
           }));
    return 0;
}
