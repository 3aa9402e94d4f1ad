// Receiving and sending without windows: the poll reply's branches, filing a record into its
// room, the outgoing queue's bodies and sequences, the photo chain with its failures, and the
// preparation of a chosen photo.

#include "app/fonts.h"
#include "chat/chat_conversation.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_room_list.h"
#include "chat/image_object.h"
#include "chat/incoming_messages.h"
#include "chat/outgoing_chain.h"
#include "chat/photo_preparer.h"
#include "chat/poll_reply.h"
#include "chat/room_list_reply.h"
#include "chat/send_queue.h"
#include "imaging/dib_picture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;

namespace {

// Records what the filing asked of the windows; downloads write a small picture, except of
// names listed as missing.
struct RecordingHost : IncomingMessages::Host {
    QStringList calls;
    QStringList missing;
    void requestRoomList() override { calls << u"list"_s; }
    void relayoutConversation() override { calls << u"relayout"_s; }
    void repaintConversation() override { calls << u"repaint view"_s; }
    void repaintRoomList() override { calls << u"repaint list"_s; }
    void playSound() override { calls << u"sound"_s; }
    int download(const QString& address, const QString& path) override {
        calls << u"get "_s + address;
        if (missing.contains(QFileInfo(path).fileName()))
            return 0;
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        return picture.save(path, "PNG") ? 1 : 0;
    }
};

QString record(const QString& room, const QString& from, const QString& to, const QString& content,
               const QString& kind) {
    return u"1</>1</>77</>%1</>%2</>%3</>%4</>%5</></>2026-12-06 09:05</></></>img:8080"_s.arg(
        room, from, to, content, kind);
}

// Records the chain's requests, uploads and pauses.
struct RecordingSender : OutgoingChain::Host {
    struct Call {
        QString what;
        int id;
        QString detail;
    };
    QList<Call> calls;
    QStringList states;
    void sendRequest(int request, const QString& body) override {
        calls.append({u"request"_s, request, body});
    }
    void startUpload(int upload, const QString& folder, const QString& name,
                     const QString& localPath) override {
        calls.append({u"upload"_s, upload, folder + u' ' + name + u' ' + localPath});
    }
    void startPause(int photo, std::chrono::milliseconds pause) override {
        calls.append({u"pause"_s, photo, QString::number(pause.count())});
    }
    int done = -1;
    void setDone(int value) override { done = value; }
    void entryChanged(const SendQueueEntry& entry) override {
        static const char* names[] = {"queued", "sending", "sent", "not sent"};
        states << entry.sequence + u' ' + QString::fromLatin1(names[int(entry.state)]);
    }
    Call take() { return calls.takeFirst(); }
};

} // namespace

class TestChatMessages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void pollReply_data();
    void pollReply();
    void filingRecords_data();
    void filingRecords();
    void queueBodiesAndSequences();
    void textChainAndFailures();
    void photoChainUploadsThumbnailFirst();
    void preparePhoto_data();
    void preparePhoto();
};

void TestChatMessages::pollReply_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("fields"); // the eleven fields joined by "|"
    using S = PollReply::Status;
    QTest::newRow("failure") << u"0"_s << int(S::Failure) << QString();
    QTest::newRow("failure with more") << u"0</>1</>x"_s << int(S::Failure) << QString();
    QTest::newRow("ended") << u"1</>-1"_s << int(S::AccessEnded) << QString();
    QTest::newRow("nothing") << u"1</>0"_s << int(S::Nothing) << QString();
    QTest::newRow("record")
        << u"1</>1</>a</>5</>3</>4</>hi <b></>1</>g</>2026-12-06 09:05</>i</>j</>h:1</>extra"_s
        << int(S::Record) << u"a|5|3|4|hi <b>|1|g|2026-12-06 09:05|i|j|h:1"_s;
    QTest::newRow("short record") << u"1</>1</>a</>5"_s << int(S::Record) << u"a|5|||||||||"_s;
}

void TestChatMessages::pollReply() {
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(QString, fields);
    const PollReply reply = PollReply::parse(text);
    QCOMPARE(int(reply.status), status);
    if (status == int(PollReply::Status::Record)) {
        QStringList got;
        for (const QString& field : reply.fields)
            got << field;
        QCOMPARE(got.join(u'|'), fields);
    }
}

void TestChatMessages::filingRecords_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("rooms"); // order, with unread counts and message counts
    using O = IncomingMessages::Outcome;
    const QString get = u"get http://img:8080/image/chatdata/"_s;

    QTest::newRow("text for the shown room")
        << record(u"5"_s, u"3"_s, u"1"_s, u"hello"_s, u"1"_s) << int(O::Filed)
        << QStringList{u"sound"_s, u"relayout"_s, u"repaint list"_s} << u"5:0:2 6:0:0 7:0:0"_s;
    QTest::newRow("text for another room: badge and top")
        << record(u"7"_s, u"3"_s, u"1"_s, u"hello"_s, u"1"_s) << int(O::Filed)
        << QStringList{u"sound"_s, u"repaint list"_s} << u"7:1:1 5:0:1 6:0:0"_s;
    QTest::newRow("own message from elsewhere")
        << record(u"6"_s, u"1"_s, u"1"_s, u"mine"_s, u"1"_s) << int(O::Filed)
        << QStringList{u"sound"_s, u"repaint list"_s} << u"6:1:1 5:0:1 7:0:0"_s;
    QTest::newRow("photo: thumbnail, then photo")
        << record(u"5"_s, u"3"_s, u"1"_s, u"cP.png|P.png"_s, u"3"_s) << int(O::Filed)
        << QStringList{get + u"cP.png"_s, get + u"P.png"_s, u"sound"_s, u"relayout"_s,
                       u"repaint list"_s}
        << u"5:0:2 6:0:0 7:0:0"_s;
    QTest::newRow("photo without bar")
        << record(u"5"_s, u"3"_s, u"1"_s, u"cQ.png"_s, u"3"_s) << int(O::Filed)
        << QStringList{get + u"cQ.png"_s, u"sound"_s, u"relayout"_s, u"repaint list"_s}
        << u"5:0:2 6:0:0 7:0:0"_s;
    QTest::newRow("hostile photo names are not fetched")
        << record(u"5"_s, u"3"_s, u"1"_s, u"../../evil.png|C:\\x.png"_s, u"3"_s) << int(O::Filed)
        << QStringList{u"sound"_s, u"relayout"_s, u"repaint list"_s} << u"5:0:2 6:0:0 7:0:0"_s;
    QTest::newRow("room closed") << record(u"5"_s, u"0"_s, u"1"_s, QString(), u"9"_s)
                                 << int(O::RoomClosed) << QStringList{u"list"_s, u"repaint view"_s}
                                 << u"5:0:- 6:0:0 7:0:0"_s;
    QTest::newRow("other room closed")
        << record(u"6"_s, u"0"_s, u"1"_s, QString(), u"9"_s) << int(O::RoomClosed)
        << QStringList{u"list"_s} << u"5:0:1 6:0:- 7:0:0"_s;
    QTest::newRow("unknown room") << record(u"8"_s, u"3"_s, u"1"_s, u"x"_s, u"1"_s)
                                  << int(O::RoomUnknown) << QStringList{u"list"_s}
                                  << u"5:0:1 6:0:0 7:0:0"_s;
    QTest::newRow("kind 2 dropped") << record(u"5"_s, u"3"_s, u"1"_s, u"x"_s, u"2"_s)
                                    << int(O::Dropped) << QStringList() << u"5:0:1 6:0:0 7:0:0"_s;
}

void TestChatMessages::filingRecords() {
    QFETCH(QString, reply);
    QFETCH(int, outcome);
    QFETCH(QStringList, calls);
    QFETCH(QString, rooms);
    QTemporaryDir dir;
    ChatRoomList list;
    list.Rebuild(RoomListReply::parse(u"happychatlist</>3</>5</></></>old</></>Kim</>0</>3</>h</>"
                                      u"6</></></>old</></>Lee</>0</>4</>h</>"
                                      u"7</></></>old</></>Park</>0</>5</>h</>"_s),
                 {}, QImage(50, 50, QImage::Format_RGB32));
    list.select(list.at(0));
    auto first = std::make_unique<ChatMessage>();
    first->SetContent(ChatMessage::Text, u"earlier"_s, {}, ChatMessage::Partner, {});
    list.at(0).messages->append(std::move(first));
    ChatConversation conversation;
    conversation.show(u"5"_s, u"3"_s, list.at(0).messages.get());
    RecordingHost host;
    IncomingMessages incoming(list, conversation, host);
    QImage memberDefault(50, 50, QImage::Format_RGB32);
    memberDefault.fill(Qt::yellow);
    incoming.setSettings({dir.path(), nullptr, memberDefault, nullptr});

    const PollReply parsed = PollReply::parse(reply);
    QCOMPARE(int(incoming.Accept(parsed)), outcome);
    QCOMPARE(host.calls, calls);
    QStringList state;
    for (int i = 0; i < list.size(); ++i) {
        const ChatRoom& room = list.at(i);
        state << u"%1:%2:%3"_s.arg(room.number)
                     .arg(room.unread)
                     .arg(room.messages ? QString::number(room.messages->size()) : u"-"_s);
    }
    QCOMPARE(state.join(u' '), rooms);
    if (outcome == int(IncomingMessages::Outcome::RoomClosed) && parsed.roomNumber() == u"5"_s)
        QCOMPARE(conversation.messages(), nullptr);
    if (outcome != int(IncomingMessages::Outcome::Filed))
        return;
    ChatRoom& room = *list.FindRoom(parsed.roomNumber());
    QCOMPARE(list.indexOf(room), 0);
    const ChatMessage& message = room.messages->at(room.messages->size() - 1);
    QCOMPARE(message.label(), u"2026-12-06 09:05"_s);
    QCOMPARE(message.side(), parsed.isOwn() ? 1 : 2);
    if (message.side() == 1)
        QCOMPARE(message.senderDefaultPicture().pixelColor(0, 0), QColor(Qt::yellow));
    if (message.kind() == ChatMessage::Text) {
        QCOMPARE(room.preview, parsed.content());
        QCOMPARE(message.textBubble()->fillColour(),
                 message.side() == 1 ? QColor(0, 255, 0) : QColor(255, 255, 255));
    } else {
        QCOMPARE(room.preview, u"old"_s); // a photo leaves the preview
        const bool fetched = host.calls.first().startsWith(u"get"_s);
        QCOMPARE(message.photoBubble()->height(), fetched ? 150 : 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), host.calls.size() - 3);
    }
}

void TestChatMessages::queueBodiesAndSequences() {
    SendQueue queue;
    const SendQueueEntry& a = queue.EnqueueMessage(u"12"_s, u"3"_s, u"1"_s, u"a b=c<d>/"_s, u"7"_s);
    queue.EnqueueMessage(u"12"_s, u"3"_s, u"3"_s, u"c7T.jpg|7T.jpg"_s, u"7"_s);
    queue.EnqueueMessage(u"13"_s, u"4"_s, u"1"_s, u"%1 한국어"_s, u"7"_s);
    QCOMPARE(queue.at(0).sequence + queue.at(1).sequence + queue.at(2).sequence, u"123"_s);
    QCOMPARE(SendQueue::requestBody(a, u"dev"_s),
             u"deviceid=dev&idx=1&roomidx=12&receiveidx=3&content=a b=c<d>/&style=1&sendidx=7"
             u"&pcsend=1"_s);
    QCOMPARE(SendQueue::requestBody(queue.at(2), u"dev"_s),
             u"deviceid=dev&idx=3&roomidx=13&receiveidx=4&content=%1 한국어&style=1&sendidx=7"
             u"&pcsend=1"_s);
    QCOMPARE(queue.firstUnsent(), queue.find(u"1"_s));
    QCOMPARE(queue.firstUnsent()->content, u"a b=c<d>/"_s);
    QVERIFY(!queue.resend(u"1"_s)); // only a message that was not sent goes back in line
    QVERIFY(!queue.resend(u"9"_s));
}

void TestChatMessages::textChainAndFailures() {
    SendQueue queue;
    RecordingSender sender;
    OutgoingChain chain(queue, sender);
    chain.setDeviceId(u"dev"_s);
    chain.SendNext(); // nothing queued
    QCOMPARE(sender.done, 1);
    QVERIFY(sender.calls.isEmpty());
    for (const char* text : {"one", "two", "three"})
        queue.EnqueueMessage(u"5"_s, u"3"_s, u"1"_s, QString::fromLatin1(text), u"7"_s);

    // One entry per step: the done flag waits for the reply.
    chain.SendNext();
    QCOMPARE(sender.done, 0);
    RecordingSender::Call first = sender.take();
    QCOMPARE(first.what, u"request"_s);
    QVERIFY(first.detail.startsWith(u"deviceid=dev&idx=1&roomidx=5&receiveidx=3&content=one&"_s));
    chain.replyArrived(first.id, u"1"_s);
    QCOMPARE(sender.done, 1);

    chain.SendNext(); // refused by the server
    const RecordingSender::Call second = sender.take();
    QVERIFY(second.detail.contains(u"idx=2&"_s));
    chain.replyArrived(second.id, u"0"_s);
    chain.SendNext(); // the connection fails: no reply, the flag stays 0
    const RecordingSender::Call third = sender.take();
    chain.requestFailed(third.id);
    QCOMPARE(sender.done, 0);
    QCOMPARE(sender.states, (QStringList{u"1 sending"_s, u"1 sent"_s, u"2 sending"_s,
                                         u"2 not sent"_s, u"3 sending"_s, u"3 not sent"_s}));
    // A late answer to a request that was given up changes nothing.
    chain.replyArrived(third.id, u"1"_s);
    QCOMPARE(queue.find(u"3"_s)->state, SendQueueEntry::State::NotSent);

    // Sent again, with the same idx and the same bytes.
    QVERIFY(queue.resend(u"3"_s));
    QVERIFY(!queue.resend(u"3"_s));
    chain.SendNext();
    const RecordingSender::Call again = sender.take();
    QCOMPARE(again.detail, third.detail);
    chain.replyArrived(again.id, u"1"_s);
    QCOMPARE(sender.states.last(), u"3 sent"_s);
    chain.SendNext();
    QVERIFY(sender.calls.isEmpty());
    QCOMPARE(sender.done, 1);
}

void TestChatMessages::photoChainUploadsThumbnailFirst() {
    SendQueue queue;
    RecordingSender sender;
    OutgoingChain chain(queue, sender);
    chain.setDeviceId(u"dev"_s);
    chain.setWorkFolder(u"/work"_s);
    queue.EnqueueMessage(u"5"_s, u"3"_s, u"3"_s, u"c7T.jpg|7T.jpg"_s, u"7"_s);
    queue.EnqueueMessage(u"5"_s, u"3"_s, u"1"_s, u"while uploading"_s, u"7"_s);
    queue.EnqueueMessage(u"5"_s, u"3"_s, u"3"_s, u"c8T.jpg|8T.jpg"_s, u"7"_s);
    queue.EnqueueMessage(u"5"_s, u"3"_s, u"3"_s, u"../x|y"_s, u"7"_s);

    chain.SendNext();
    const RecordingSender::Call thumb = sender.take();
    QCOMPARE(thumb.detail, u"chatdata c7T.jpg /work/c7T.jpg"_s);
    QCOMPARE(sender.done, 0);
    // A text queued meanwhile goes at the next step, while the photo still uploads.
    chain.SendNext();
    const RecordingSender::Call text = sender.take();
    QCOMPARE(text.what, u"request"_s);
    chain.SendNext(); // a second photo starts beside the first
    const RecordingSender::Call otherThumb = sender.take();
    QCOMPARE(otherThumb.detail, u"chatdata c8T.jpg /work/c8T.jpg"_s);

    chain.uploadFinished(thumb.id); // events go to the photo that started them
    const RecordingSender::Call photo = sender.take();
    QCOMPARE(photo.detail, u"chatdata 7T.jpg /work/7T.jpg"_s);
    chain.uploadFailed(otherThumb.id); // the second photo fails at its thumbnail
    QVERIFY(sender.calls.isEmpty());
    chain.uploadFinished(photo.id);
    const RecordingSender::Call pause = sender.take();
    QCOMPARE(pause.what + u' ' + pause.detail, u"pause 5000"_s);
    QVERIFY(sender.calls.isEmpty());
    chain.photoPauseOver(pause.id);
    const RecordingSender::Call request = sender.take();
    QCOMPARE(request.detail, u"deviceid=dev&idx=1&roomidx=5&receiveidx=3&content=c7T.jpg|7T.jpg"
                             u"&style=3&sendidx=7&pcsend=1"_s);
    chain.photoPauseOver(pause.id); // once only
    QVERIFY(sender.calls.isEmpty());
    chain.replyArrived(request.id, u"1"_s);
    chain.replyArrived(text.id, u"1"_s);
    chain.SendNext(); // a photo name that leaves the folder fails at once
    QVERIFY(sender.calls.isEmpty());
    QCOMPARE(chain.photosInProgress(), 0);
    QCOMPARE(sender.states,
             (QStringList{u"1 sending"_s, u"2 sending"_s, u"3 sending"_s, u"3 not sent"_s,
                          u"1 sent"_s, u"2 sent"_s, u"4 sending"_s, u"4 not sent"_s}));
}

void TestChatMessages::preparePhoto_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("stored");    // the copy; empty: nothing is sent
    QTest::addColumn<QSize>("thumbnail"); // stored size of the thumbnail
    QTest::addColumn<QByteArray>("thumbFormat");
    QTest::newRow("1600 wide shrinks to 800")
        << QSize(1600, 1200) << u"big.JPG"_s << QSize(800, 600) << QSize(200, 150)
        << QByteArray("jpeg");
    QTest::newRow("1500 wide stays") << QSize(1500, 1000) << u"edge.png"_s << QSize(1500, 1000)
                                     << QSize(200, 133) << QByteArray("png");
    QTest::newRow("odd width counts as stored")
        << QSize(1499, 400) << u"odd.png"_s << QSize(1499, 400) << QSize(200, 53)
        << QByteArray("png");
    QTest::newRow("a name fit to travel") << QSize(300, 300) << u"a&b|c.png"_s << QSize(300, 300)
                                          << QSize(200, 200) << QByteArray("png");
    QTest::newRow("GIF: thumbnail in GIF") << QSize(400, 200) << u"anim.gif"_s << QSize(400, 200)
                                           << QSize(200, 100) << QByteArray("gif");
    QTest::newRow("not a picture")
        << QSize() << u"notes.jpg"_s << QSize() << QSize() << QByteArray();
}

void TestChatMessages::preparePhoto() {
    QFETCH(QSize, size);
    QFETCH(QString, name);
    QFETCH(QSize, stored);
    QFETCH(QSize, thumbnail);
    QFETCH(QByteArray, thumbFormat);
    QTemporaryDir source;
    QTemporaryDir work;
    const QString path = source.filePath(name);
    if (size.isValid()) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(20, 120, 220));
        const QByteArray format = QFileInfo(name).suffix().toLower() == u"gif"_s ? "gif" : "";
        QVERIFY(format.isEmpty() ? picture.save(path)
                                 : picture.save(path, "GIF") || picture.save(path, "PNG"));
    } else {
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("just text") > 0);
    }
    PhotoPreparer preparer(work.path(), u"7"_s);
    const auto content = preparer.PreparePhoto(path, name, 1700000000);
    if (!stored.isValid()) {
        QVERIFY(!content);
        QVERIFY(QDir(work.path()).isEmpty());
        return;
    }
    QVERIFY(content);
    const QString photoName =
        u"71700000000"_s + QString(name).replace(u'&', u'_').replace(u'|', u'_');
    QCOMPARE(*content, u"c"_s + photoName + u'|' + photoName);
    CDibPicture copy;
    QVERIFY(copy.Load(work.filePath(photoName)));
    QCOMPARE(QSize(copy.header().width, copy.height()), stored);
    CDibPicture thumb;
    QVERIFY(thumb.Load(work.filePath(u"c"_s + photoName)));
    QCOMPARE(QSize(thumb.storedWidth(), thumb.height()), thumbnail);
    QImageReader reader(work.filePath(u"c"_s + photoName));
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), thumbFormat);
    QCOMPARE(QDir(work.path()).entryList(QDir::Files).size(), 2);
}

QTEST_MAIN(TestChatMessages)
#include "tst_chat_messages.moc"
