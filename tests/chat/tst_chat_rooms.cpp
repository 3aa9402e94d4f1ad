// The room list: reading the server's reply, the list's order, hits and badges, a reload that
// keeps the conversations, partner photos fetched once and names that must not leave the
// working folder.

#include "chat/chat_downloads.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_room_list.h"
#include "chat/local_file_name.h"
#include "chat/room_list_reply.h"
#include "imaging/dib_picture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;

namespace {

QString roomFields(int number, const QString& title = u"t"_s, const QString& marker = u"0"_s,
                   const QString& partner = u"9"_s) {
    return u"%1</>x1</>x2</>preview %1</>caption</>%2</>%3</>%4</>host:80</>"_s.arg(number).arg(
        title, marker, partner);
}

RoomListReply replyOf(std::initializer_list<int> numbers) {
    QString text = u"happychatlist</>%1</>"_s.arg(numbers.size());
    for (int number : numbers)
        text += roomFields(number);
    return RoomListReply::parse(text);
}

QStringList order(const ChatRoomList& rooms) {
    QStringList numbers;
    for (int i = 0; i < rooms.size(); ++i)
        numbers << rooms.at(i).numberText();
    return numbers;
}

} // namespace

class TestChatRooms : public QObject {
    Q_OBJECT
private slots:
    void reply_data();
    void reply();
    void localNames_data();
    void localNames();
    void orderHitsAndBadges();
    void reloadKeepsConversations();
    void partnerPhotosFetchedOnce();
};

void TestChatRooms::reply_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("first"); // number, the eight text fields; empty: no room
    QTest::addColumn<int>("rooms");

    const QStringList one{u"12"_s,      u"a"_s, u"b"_s,  u"last"_s,    u"03-01 10:00"_s,
                          u"Kim/<b>"_s, u"1"_s, u"42"_s, u"img:8080"_s};
    QTest::newRow("one room") << u"happychatlist</>1</>12</>a</>b</>last</>03-01 10:00</>Kim/<b>"
                                 u"</>1</>42</>img:8080</>"_s
                              << true << one << 1;
    QTest::newRow("no rooms") << u"happychatlist</>0"_s << true << QStringList() << 0;
    QTest::newRow("not the list") << u"1</>1</>12"_s << false << QStringList() << 0;
    QTest::newRow("refused") << u"0"_s << false << QStringList() << 0;
    QTest::newRow("empty fields keep their place")
        << u"happychatlist</>1</>5</></></></></>Lee</>0</>7</>"_s << true
        << QStringList{u"5"_s, {}, {}, {}, {}, u"Lee"_s, u"0"_s, u"7"_s, {}} << 1;
    QTest::newRow("more rooms announced than carried")
        << u"happychatlist</>3</>"_s + roomFields(1) + roomFields(2) << true
        << QStringList{u"1"_s, u"x1"_s, u"x2"_s, u"preview 1"_s, u"caption"_s,
                       u"t"_s, u"0"_s,  u"9"_s,  u"host:80"_s}
        << 3;
    QTest::newRow("negative count") << u"happychatlist</>-4</>1"_s << true << QStringList() << 0;
    QTest::newRow("a huge count is capped")
        << u"happychatlist</>2147483647"_s << true
        << QStringList{u"0"_s, {}, {}, {}, {}, {}, {}, {}, {}} << RoomListReply::MaxRooms;
    // Fields cut to the room they have: 19, 79, 99 characters.
    QTest::newRow("long fields") << u"happychatlist</>1</>77x</>"_s + u"e"_s.repeated(30) +
                                        u"</></>"_s + u"p"_s.repeated(200) + u"</>"_s +
                                        u"c"_s.repeated(90) + u"</>"_s + u"t"_s.repeated(120) +
                                        u"</>1</>"_s + u"9"_s.repeated(25) + u"</>"_s +
                                        u"h"_s.repeated(85)
                                 << true
                                 << QStringList{u"77"_s,
                                                u"e"_s.repeated(19),
                                                {},
                                                u"p"_s.repeated(200),
                                                u"c"_s.repeated(79),
                                                u"t"_s.repeated(99),
                                                u"1"_s,
                                                u"9"_s.repeated(19),
                                                u"h"_s.repeated(79)}
                                 << 1;
    QTest::newRow("preview of 201 cut to 190")
        << u"happychatlist</>1</>1</></></>"_s + u"q"_s.repeated(201) << true
        << QStringList{u"1"_s, {}, {}, u"q"_s.repeated(190), {}, {}, {}, {}, {}} << 1;
}

void TestChatRooms::reply() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QStringList, first);
    QFETCH(int, rooms);
    const RoomListReply reply = RoomListReply::parse(text);
    QCOMPARE(reply.accepted, accepted);
    QCOMPARE(int(reply.rooms.size()), rooms);
    if (first.isEmpty())
        return;
    const RoomListReply::Room& room = reply.rooms.front();
    QCOMPARE((QStringList{QString::number(room.number), room.extra1, room.extra2, room.preview,
                          room.caption, room.title, room.photoMarker, room.partnerNumber,
                          room.photoHost}),
             first);
}

void TestChatRooms::localNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::addColumn<QString>("sanitized");
    QTest::newRow("plain") << u"c1t2r3.jpg"_s << true << u"c1t2r3.jpg"_s;
    QTest::newRow("Korean and blanks") << u"사진 한장.jpg"_s << true << u"사진 한장.jpg"_s;
    QTest::newRow("dot dot") << u".."_s << false << u"_"_s;
    QTest::newRow("dot") << u"."_s << false << u"_"_s;
    QTest::newRow("empty") << QString() << false << u"_"_s;
    QTest::newRow("up and out") << u"../../.bashrc"_s << false << u".._.._.bashrc"_s;
    QTest::newRow("backslash") << u"..\\..\\x.jpg"_s << false << u".._.._x.jpg"_s;
    QTest::newRow("drive letter") << u"C:evil.jpg"_s << false << u"C_evil.jpg"_s;
    QTest::newRow("NUL") << u"a\0b.jpg"_s << false << u"a_b.jpg"_s;
    QTest::newRow("line break") << u"a\nb"_s << false << u"a_b"_s;
    QTest::newRow("bar") << u"a|b.jpg"_s << false << u"a_b.jpg"_s;
    QTest::newRow("form and address characters") << u"a&b%20#c.png"_s << true << u"a_b_20_c.png"_s;
}

void TestChatRooms::localNames() {
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QFETCH(QString, sanitized);
    QCOMPARE(LocalFileName::isSafe(name), safe);
    QCOMPARE(LocalFileName::pathIn(u"/work"_s, name), safe ? u"/work/"_s + name : QString());
    QCOMPARE(LocalFileName::sanitized(name), sanitized);
    QVERIFY(LocalFileName::isSafe(LocalFileName::sanitized(name)));
}

void TestChatRooms::orderHitsAndBadges() {
    ChatRoomList rooms;
    QCOMPARE(rooms.contentHeight(), 0);
    rooms.Rebuild(RoomListReply::parse(u"happychatlist</>0"_s), {}, QImage());
    QCOMPARE(rooms.contentHeight(), 10);
    rooms.Rebuild(replyOf({5, 15, 25}), {}, QImage());
    QCOMPARE(rooms.contentHeight(), 190);
    QCOMPARE(rooms.FindRoom(u"15"), &rooms.at(1));
    for (const char16_t* text : {u"015", u"15 ", u"+15", u"", u"1"})
        QCOMPARE(rooms.FindRoom(QStringView(text)), nullptr);

    // A row is hit strictly inside its top 55 pixels; the 5 below hit nothing.
    const struct {
        int y;
        int index;
    } hits[] = {{10, -1}, {11, 0},   {64, 0},  {65, -1}, {67, -1},  {70, -1},
                {71, 1},  {130, -1}, {131, 2}, {184, 2}, {191, -1}, {-5, -1}};
    for (const auto& hit : hits)
        QCOMPARE(rooms.roomAt(hit.y), hit.index < 0 ? nullptr : &rooms.at(hit.index));

    rooms.at(0).unread = 4;
    rooms.at(1).unread = 2;
    rooms.select(rooms.at(1));
    QCOMPARE(rooms.selectedRoom(), &rooms.at(1));
    QCOMPARE(rooms.at(1).unread, 0);
    QCOMPARE(rooms.at(0).unread, 4);
    rooms.select(rooms.at(2));
    QVERIFY(!rooms.at(1).selected && rooms.at(2).selected);

    rooms.MoveRoomToTop(rooms.at(2));
    QCOMPARE(order(rooms), (QStringList{u"25"_s, u"5"_s, u"15"_s}));
    rooms.MoveRoomToTop(rooms.at(0));
    QCOMPARE(order(rooms), (QStringList{u"25"_s, u"5"_s, u"15"_s}));

    for (const auto& [unread, width] :
         {std::pair{1, 15}, {9, 15}, {10, 20}, {99, 20}, {100, 25}, {5000, 25}})
        QCOMPARE(ChatRoomList::badgeWidth(unread), width);
}

void TestChatRooms::reloadKeepsConversations() {
    ChatRoomList rooms;
    rooms.Rebuild(replyOf({1, 2, 3}), {}, QImage());
    for (int i = 0; i < 3; ++i) {
        auto message = std::make_unique<ChatMessage>();
        message->SetContent(ChatMessage::Text, u"m"_s, {}, ChatMessage::Partner, {});
        rooms.at(i).messages->append(std::move(message));
        rooms.at(i).unread = i + 1;
    }
    rooms.select(rooms.at(0)); // room 1 shown, unread cleared
    const ChatMessageList* first = rooms.at(0).messages.get();
    const ChatMessageList* second = rooms.at(1).messages.get();

    // Room 2 is gone, room 4 is new, rooms 3 and 1 keep what they had in their new places.
    QCOMPARE(rooms.Rebuild(replyOf({3, 1, 4}), {}, QImage(), first), first);
    QCOMPARE(order(rooms), (QStringList{u"3"_s, u"1"_s, u"4"_s}));
    QCOMPARE(rooms.at(1).messages.get(), first);
    QCOMPARE(rooms.at(1).messages->size(), 1);
    QVERIFY(rooms.at(1).selected);
    QCOMPARE(rooms.at(0).unread, 3);
    QCOMPARE(rooms.at(0).messages->size(), 1);
    QCOMPARE(rooms.at(2).messages->size(), 0);
    QCOMPARE(rooms.at(2).unread, 0);
    QCOMPARE(rooms.roomOf(first), &rooms.at(1));
    QCOMPARE(rooms.roomOf(second), nullptr);

    // The shown room leaves the list: the conversation has nothing to follow.
    QCOMPARE(rooms.Rebuild(replyOf({3}), {}, QImage(), first), nullptr);
    QCOMPARE(rooms.selectedRoom(), nullptr);
    // A room closed earlier (no messages) comes back empty.
    rooms.at(0).messages.reset();
    rooms.Rebuild(replyOf({3}), {}, QImage());
    QVERIFY(!rooms.at(0).messages);
}

void TestChatRooms::partnerPhotosFetchedOnce() {
    QTemporaryDir dir;
    const QString work = dir.path();
    QImage face(160, 120, QImage::Format_RGB32);
    face.fill(Qt::red);
    QStringList asked;
    qint64 now = 0;
    bool slow = false;
    ChatDownloads downloads(
        [&](const QString& address, const QString& path) {
            asked << address;
            if (slow) {
                now += 10000;
                return 0;
            }
            return face.save(path, "JPG") ? 1 : 0;
        },
        [&] { return now; });
    QVERIFY(QFile(work + u"/mem8.jpg"_s).open(QIODevice::WriteOnly)); // damaged: empty
    const QString text =
        u"happychatlist</>5</>"_s + roomFields(1, u"a"_s, u"1"_s, u"7"_s) +
        roomFields(2, u"b"_s, u"1"_s, u"8"_s) + roomFields(3, u"c"_s, u"0"_s, u"6"_s) +
        roomFields(4, u"d"_s, u"1"_s, u"../../etc/x"_s) + roomFields(5, u"e"_s, u"1"_s, u"7"_s);
    auto photoFile = [&](const RoomListReply::Room& room) {
        return downloads.partnerPhoto(work, room.partnerNumber, room.photoHost);
    };
    ChatRoomList rooms;
    const QImage fallback(50, 50, QImage::Format_RGB32);
    rooms.Rebuild(RoomListReply::parse(text), photoFile, fallback);
    // Only the missing photo of partner 7 is fetched, once; partner 8's damaged file stays.
    QCOMPARE(asked, QStringList{u"http://host:80/image/memberphoto/mem7.jpg"_s});
    const auto photo = rooms.photoOf(rooms.at(0));
    QVERIFY(photo);
    QCOMPARE(photo->storedWidth(), 160);
    QCOMPARE(rooms.at(0).photoHeight, 120);
    QCOMPARE(rooms.photoOf(rooms.at(4)).get(), photo.get()); // decoded once
    QVERIFY(!rooms.photoOf(rooms.at(1)));
    QVERIFY(!rooms.photoOf(rooms.at(2)));
    QVERIFY(!rooms.photoOf(rooms.at(3)));
    QCOMPARE(rooms.at(1).defaultPicture.size(), QSize(50, 50));
    QCOMPARE(QDir(work).entryList(QDir::Files).size(), 2);

    // A photo host that runs into its time-out is left alone for a while.
    rooms.Rebuild(RoomListReply::parse(text), {}, fallback);
    slow = true;
    QCOMPARE(downloads.fetch(u"http://dead:80/a.jpg"_s, work + u"/a.jpg"_s), 0);
    QCOMPARE(downloads.fetch(u"http://dead:80/b.jpg"_s, work + u"/b.jpg"_s), 0);
    QCOMPARE(asked.size(), 2);
    slow = false;
    QCOMPARE(downloads.fetch(u"http://live:80/c.jpg"_s, work + u"/c.jpg"_s), 1);
    now += ChatDownloads::RestMs;
    QCOMPARE(downloads.fetch(u"http://dead:80/b.jpg"_s, work + u"/b.jpg"_s), 1);
    QCOMPARE(asked.size(), 4);
}

QTEST_MAIN(TestChatRooms)
#include "tst_chat_rooms.moc"
