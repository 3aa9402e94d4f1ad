// The chat scripts over real sockets: the room list, sending with its refusals and duplicates,
// delivery of every message to every other open PC session exactly once, the operator's chat
// commands, and the demo rooms with the partner who answers.

#include "server/admin/admin_commands.h"
#include "server/scripts/chat/chat_demo_partner.h"
#include "server/scripts/chat/chat_fields.h"
#include "server/scripts/chat/chat_photos.h"
#include "server/scripts/chat/chat_store.h"
#include "server_test_support.h"

#include <QDateTime>
#include <QImage>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;

namespace {

const QString kList = u"/android/chatlistpc.php"_s;
const QString kPoll = u"/android/getreceivechatpc.php"_s;
const QString kSend = u"/android/chatsendtextpc.php"_s;

ServerConfig autoApproving() {
    ServerConfig config;
    config.autoApprove = true;
    config.publicAddress = u"photos.example:8080"_s;
    return config;
}

// A server with three members (1 kim, 2 lee, 3 park) and the operator's commands on its folder.
struct ChatServer {
    ServerFixture f;
    explicit ChatServer(ServerConfig config = autoApproving())
        : f(std::move(config)) {
        if (!f.running())
            return;
        for (const char* id : {"kim", "lee", "park"})
            f.addMember(QString::fromLatin1(id), u"pw"_s);
    }

    QString post(const QString& path, const QString& body) {
        return QString::fromUtf8(
            bodyOf(httpExchange(f.httpPort(), clientRequest(path, body.toUtf8()))));
    }
    QString device(const QString& id) {
        return login(f.httpPort(), id, u"pw"_s).split(u"</>"_s).value(3);
    }
    QString poll(const QString& device) { return post(kPoll, u"deviceid="_s + device); }
    QString send(const QString& device, int idx, const QString& room, const QString& content,
                 const QString& style = u"1"_s, const QString& sender = {}) {
        return post(kSend, u"deviceid=%1&idx=%2&roomidx=%3&receiveidx=0&content=%4&style=%5"
                           u"&sendidx=%6&pcsend=1"_s.arg(device)
                               .arg(idx)
                               .arg(room, content, style, sender));
    }
    // Runs an admin command; its exit code and standard output.
    std::pair<int, QString> admin(const QStringList& arguments) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int code = AdminCommands::run(QStringList{u"--data"_s, f.dataDir()} + arguments,
                                            outStream, errStream);
        outStream.flush();
        return {code, out};
    }
    QString room(const char* a, const char* b) {
        return admin(words("chat-room") << QString::fromLatin1(a) << QString::fromLatin1(b))
            .second.trimmed();
    }
};

// The eleven record fields of a poll reply with a message (tokens 3 to 13), the label cleared.
QStringList record(const QString& reply) {
    QStringList tokens = reply.split(u"</>"_s);
    if (tokens.size() != 13 || tokens[0] != u"1"_s || tokens[1] != u"1"_s)
        return {u"not a record: "_s + reply};
    tokens = tokens.mid(2);
    tokens[7].clear();
    return tokens;
}

QStringList fields(const char* text) {
    return QString::fromUtf8(text).split(u'|');
}

} // namespace

class TestServerChat : public QObject {
    Q_OBJECT
private slots:
    void roomListReply();
    void sendRefusalsAndDuplicates();
    void deliveryToEveryOtherSessionExactlyOnce();
    void operatorCommands();
    void demoRoomsAndAnsweringPartner();
    void partnerAnswersPhotosAndGreetsOnce();
};

void TestServerChat::roomListReply() {
    ChatServer s;
    QVERIFY(s.f.running());
    for (const char* body : {"id=kim&password=bad", "id=nobody&password=pw", "id=kim&password=0",
                             "id=kim&password=", "password=pw"})
        QCOMPARE(s.post(kList, QString::fromUtf8(body)), u"0"_s);
    QCOMPARE(s.post(kList, u"id=kim&password=pw"_s), u"happychatlist</>0</>"_s);

    // kim talks with lee and with park; lee's name holds the field marker and a '<'.
    QVERIFY(s.f.context().database().exec(
        u"UPDATE members SET name = 'Lee </> <b>' WHERE member_no = 2"_s));
    QVERIFY(writeFile(s.f.context().folder().memberPhotoPath(3), "jpeg"));
    const QString withLee = s.room("kim", "lee");
    const QString withPark = s.room("park", "kim");
    QCOMPARE(s.room("lee", "kim"), withLee); // either order finds the same room
    const QString kim = s.device(u"kim"_s);
    QCOMPARE(s.send(kim, 1, withLee, u"hello </> lee"_s, u"1"_s, u"1"_s), u"1"_s);
    const QStringList reply = s.post(kList, u"id=kim&password=pw"_s).split(u"</>"_s);
    // The room with the latest message first; each room nine fields, each field closed by "</>".
    QCOMPARE(reply.size(), 2 + 2 * 9 + 1);
    QCOMPARE(reply.mid(0, 2), fields("happychatlist|2"));
    QStringList lee = reply.mid(2, 9);
    QStringList park = reply.mid(11, 9);
    QVERIFY(QRegularExpression(u"^\\d\\d-\\d\\d \\d\\d:\\d\\d$"_s).match(lee[4]).hasMatch());
    lee[4].clear();
    QCOMPARE(lee, QStringList({withLee, u"2"_s, u"1"_s, u"hello <\u2215> lee"_s, QString(),
                               u"Lee <\u2215> <b>"_s, u"0"_s, u"2"_s, u"photos.example:8080"_s}));
    QCOMPARE(park, QStringList({withPark, u"2"_s, u"0"_s, QString(), QString(), u"park"_s, u"1"_s,
                                u"3"_s, u"photos.example:8080"_s}));
    QCOMPARE(reply.last(), QString());

    // A photo shows as "(Photo)"; a closed room leaves both lists.
    QVERIFY(s.admin(words("chat-close") << withLee).first == 0);
    QVERIFY(s.post(kList, u"id=lee&password=pw"_s) == u"happychatlist</>0</>"_s);
    QCOMPARE(s.post(kList, u"id=kim&password=pw"_s).split(u"</>"_s).mid(1, 2),
             QStringList({u"1"_s, withPark}));
}

void TestServerChat::sendRefusalsAndDuplicates() {
    ChatServer s;
    QVERIFY(s.f.running());
    const QString room = s.room("kim", "lee");
    const QString other = s.room("lee", "park");
    const QString kim = s.device(u"kim"_s);
    const QString lee = s.device(u"lee"_s);
    const QString ended = s.device(u"kim"_s);
    QVERIFY(s.f.context().pcAccess().closeSession(ended, u"test"_s));
    QVERIFY(writeFile(s.f.imageRoot() + u"/chatdata/cA.jpg"_s, "t"));
    QVERIFY(writeFile(s.f.imageRoot() + u"/chatdata/A.jpg"_s, "p"));
    QVERIFY(writeFile(s.f.dataDir() + u"/outside.jpg"_s, "x"));

    struct Row {
        const char* what;
        QString device;
        QString room;
        QString content;
        QString style;
        QString sender;
        const char* reply;
    };
    const Row rows[] = {
        {"unknown device", u"feed"_s, room, u"x"_s, u"1"_s, u"1"_s, "0"},
        {"no device", QString(), room, u"x"_s, u"1"_s, u"1"_s, "0"},
        {"ended session", ended, room, u"x"_s, u"1"_s, u"1"_s, "0"},
        {"someone else's number", kim, room, u"x"_s, u"1"_s, u"2"_s, "0"},
        {"no sender number", kim, room, u"x"_s, u"1"_s, QString(), "0"},
        {"a room kim is not in", kim, other, u"x"_s, u"1"_s, u"1"_s, "0"},
        {"no such room", kim, u"99"_s, u"x"_s, u"1"_s, u"1"_s, "0"},
        {"room not a number", kim, u"1x"_s, u"x"_s, u"1"_s, u"1"_s, "0"},
        {"kind 9 from a PC", kim, room, u"x"_s, u"9"_s, u"1"_s, "0"},
        {"kind 2", kim, room, u"x"_s, u"2"_s, u"1"_s, "0"},
        {"photo not uploaded", kim, room, u"cB.jpg|B.jpg"_s, u"3"_s, u"1"_s, "0"},
        {"photo without second name", kim, room, u"cA.jpg"_s, u"3"_s, u"1"_s, "0"},
        {"photo outside chatdata", kim, room, u"cA.jpg|../outside.jpg"_s, u"3"_s, u"1"_s, "0"},
        {"text", kim, room, u"hi = <b>/"_s, u"1"_s, u"1"_s, "1"},
        {"photo", kim, room, u"cA.jpg|A.jpg"_s, u"3"_s, u"1"_s, "1"},
    };
    int idx = 0;
    for (const Row& row : rows)
        QVERIFY2(s.send(row.device, ++idx, row.room, row.content, row.style, row.sender) ==
                     QString::fromLatin1(row.reply),
                 row.what);

    // The same idx from the same device again is answered "1" and not stored twice; another
    // device may use the same idx.
    QCOMPARE(s.send(kim, idx, room, u"cA.jpg|A.jpg"_s, u"3"_s, u"1"_s), u"1"_s);
    QCOMPARE(s.send(kim, idx, room, u"changed"_s, u"1"_s, u"1"_s), u"1"_s);
    QCOMPARE(s.send(lee, idx, room, u"from lee"_s, u"1"_s, u"2"_s), u"1"_s);
    QCOMPARE(record(s.poll(lee)).value(4), u"hi = <b>/"_s);
    QCOMPARE(record(s.poll(lee)).value(4), u"cA.jpg|A.jpg"_s);
    QCOMPARE(s.poll(lee), u"1</>0"_s); // lee's own message is not handed back to lee's PC
    QCOMPARE(record(s.poll(kim)).value(4), u"from lee"_s);
    QCOMPARE(s.poll(kim), u"1</>0"_s);
    // A resend after the room was closed is still recognised as stored.
    QVERIFY(s.admin(words("chat-close") << room).first == 0);
    QCOMPARE(s.send(kim, idx, room, u"cA.jpg|A.jpg"_s, u"3"_s, u"1"_s), u"1"_s);
    QCOMPARE(s.send(kim, idx + 1, room, u"late"_s, u"1"_s, u"1"_s), u"0"_s);
}

void TestServerChat::deliveryToEveryOtherSessionExactlyOnce() {
    ChatServer s;
    QVERIFY(s.f.running());
    const QString room = s.room("kim", "lee");
    const QString elsewhere = s.room("lee", "park");
    const QString kim1 = s.device(u"kim"_s);
    const QString kim2 = s.device(u"kim"_s);
    const QString lee = s.device(u"lee"_s);
    const QString park = s.device(u"park"_s);
    for (const QString& device : {kim1, kim2, lee, park})
        QCOMPARE(s.poll(device), u"1</>0"_s);
    for (const QString& device : {QString(), u"unknown"_s})
        QCOMPARE(s.poll(device), u"1</>-1"_s);

    // kim writes twice from the first PC, lee once from the phone, park to lee elsewhere.
    QCOMPARE(s.send(kim1, 1, room, u"one"_s, u"1"_s, u"1"_s), u"1"_s);
    QCOMPARE(s.send(kim1, 2, room, u"two"_s, u"1"_s, u"1"_s), u"1"_s);
    QCOMPARE(s.admin(words("chat-send") << room << u"lee"_s << u"three & more"_s).first, 0);
    QCOMPARE(s.admin(words("chat-send") << elsewhere << u"park"_s << u"not for kim"_s).first, 0);

    auto expect = [&](const QString& device, QList<QStringList> records) {
        for (const QStringList& r : records)
            QCOMPARE(record(s.poll(device)), r);
        QCOMPARE(s.poll(device), u"1</>0"_s);
    };
    const QString host = u"photos.example:8080"_s;
    auto r = [&](int n, const QString& roomNo, const char* from, const char* to, const char* text) {
        return QStringList{QString::number(n),
                           roomNo,
                           QString::fromLatin1(from),
                           QString::fromLatin1(to),
                           QString::fromUtf8(text),
                           u"1"_s,
                           QString(),
                           QString(),
                           QString(),
                           QString(),
                           host};
    };
    // Oldest first; the sending PC hears nothing of its own messages, kim's other PC hears them
    // as kim's own (sender equals receiver), the phone's message reaches every PC.
    expect(kim2, {r(1, room, "1", "1", "one"), r(2, room, "1", "1", "two"),
                  r(3, room, "2", "1", "three & more")});
    expect(kim1, {r(3, room, "2", "1", "three & more")});
    expect(lee, {r(1, room, "1", "2", "one"), r(2, room, "1", "2", "two"),
                 r(3, room, "2", "2", "three & more"), r(4, elsewhere, "3", "2", "not for kim")});
    expect(park, {r(4, elsewhere, "3", "3", "not for kim")});

    // The label is the message's time; a session that ended is told so.
    QCOMPARE(s.send(kim1, 3, room, u"four"_s, u"1"_s, u"1"_s), u"1"_s);
    const QString label = s.poll(lee).split(u"</>"_s).value(9);
    const QDateTime at = QDateTime::fromString(label, u"yyyy-MM-dd HH:mm"_s);
    QVERIFY2(at.isValid() && qAbs(at.secsTo(QDateTime::currentDateTime())) < 120,
             qPrintable(label));
    QVERIFY(s.f.context().pcAccess().closeSession(kim2, u"test"_s));
    QCOMPARE(s.poll(kim2), u"1</>-1"_s);
    // A new session hears only of what comes after its login.
    const QString kim3 = s.device(u"kim"_s);
    QCOMPARE(s.poll(kim3), u"1</>0"_s);
}

void TestServerChat::operatorCommands() {
    ChatServer s;
    QVERIFY(s.f.running());
    const QString lee = s.device(u"lee"_s);
    const QString kim = s.device(u"kim"_s);
    // Wrong use fails with a reason and changes nothing.
    for (const char* line :
         {"chat-room kim kim", "chat-room kim nobody", "chat-send x kim hi", "chat-send 0 kim hi",
          "chat-send 1 kim hi", "chat-close 5", "chat-send-photo 1 kim /no/such/file.jpg"})
        QVERIFY2(s.admin(words(line)).first == 1, line);
    QCOMPARE(s.admin(words("chat-room kim")).first, 2);

    const QString room = s.room("kim", "lee");
    QCOMPARE(room, u"1"_s);
    QCOMPARE(s.admin(words("chat-send 1 park hi")).first, 1); // park is not in the room

    // A photo: any picture is stored as a JPEG photo and a 200-wide thumbnail.
    const QString png = s.f.dataDir() + u"/wide.png"_s;
    QImage picture(1000, 750, QImage::Format_RGB32);
    picture.fill(QColor(30, 90, 200));
    QVERIFY(picture.save(png));
    const auto sent = s.admin(words("chat-send-photo 1 kim") << png);
    QCOMPARE(sent.first, 0);
    QCOMPARE(sent.second.split(u' ').last().trimmed(), u"1"_s);
    const QStringList photo = record(s.poll(lee));
    QCOMPARE(photo.value(5), u"3"_s);
    const QStringList names = photo.value(4).split(u'|');
    QCOMPARE(names.size(), 2);
    QCOMPARE(names[0], u"c"_s + names[1]);
    QVERIFY(QRegularExpression(u"^[0-9a-z]+\\.jpg$"_s).match(names[1]).hasMatch());
    const QByteArray thumb =
        bodyOf(httpExchange(s.f.httpPort(), getRequest(u"/image/chatdata/"_s + names[0])));
    QCOMPARE(QImage::fromData(thumb, "JPG").size(), QSize(200, 150));
    const QByteArray full =
        bodyOf(httpExchange(s.f.httpPort(), getRequest(u"/image/chatdata/"_s + names[1])));
    QCOMPARE(QImage::fromData(full, "JPG").size(), QSize(1000, 750));
    QCOMPARE(record(s.poll(kim)).value(4), photo.value(4)); // written on the phone: kim hears it

    // Closing: kind 9 to both, the room leaves the lists; a new room for the same pair is new.
    QCOMPARE(s.admin(words("chat-close 1")), std::make_pair(0, u"closed room 1\n"_s));
    QCOMPARE(s.admin(words("chat-close 1")).first, 1);
    for (const QString& device : {lee, kim}) {
        const QStringList closed = record(s.poll(device));
        QCOMPARE(closed.mid(1, 2) + closed.mid(4, 2), fields("1|0||9"));
    }
    QCOMPARE(s.admin(words("chat-send 1 kim late")).first, 1);
    QCOMPARE(s.room("lee", "kim"), u"2"_s);
}

void TestServerChat::demoRoomsAndAnsweringPartner() {
    ServerConfig config = autoApproving();
    config.demo = true;
    ServerFixture f(config);
    QVERIFY(f.running());
    const quint16 port = f.httpPort();
    auto post = [port](const QString& path, const QString& body) {
        return QString::fromUtf8(bodyOf(httpExchange(port, clientRequest(path, body.toUtf8()))));
    };
    // Three rooms with the three other demo members, Minji's first, each with messages and a
    // partner photo; Wei's room holds a photo.
    const QStringList list = post(kList, u"id=demo&password=demo1234"_s).split(u"</>"_s);
    QCOMPARE(list.value(1), u"3"_s);
    QCOMPARE(QStringList({list.value(7), list.value(16), list.value(25)}),
             QStringList({u"김민지"_s, u"王伟"_s, u"Alex"_s}));
    for (int room = 0; room < 3; ++room)
        QCOMPARE(list.value(2 + 9 * room + 6), u"1"_s);
    QVERIFY(list.value(2 + 3).contains(u"I answer within a second"_s));
    QDir chatdata(f.imageRoot() + u"/chatdata"_s);
    QCOMPARE(chatdata.entryList(QDir::Files).size(), 2);

    const QString demo = login(port, u"demo"_s, u"demo1234"_s).split(u"</>"_s).value(3);
    const QString room = list.value(2);
    const QString body = u"deviceid=%1&idx=1&roomidx=%2&receiveidx=2&content=Hello Minji&style=1"
                         u"&sendidx=1&pcsend=1"_s;
    QCOMPARE(post(kSend, body.arg(demo, room)), u"1"_s);
    // About a second later Minji answers from her phone.
    QString answer;
    QVERIFY(QTest::qWaitFor(
        [&] {
            answer = post(kPoll, u"deviceid="_s + demo);
            return answer != u"1</>0"_s;
        },
        10000));
    const QStringList answerFields = answer.split(u"</>"_s);
    QCOMPARE(answerFields.mid(3, 5),
             QStringList(
                 {room, u"2"_s, u"1"_s, ChatDemoPartner::answerTo(u"Hello Minji"_s, 0), u"1"_s}));
}

void TestServerChat::partnerAnswersPhotosAndGreetsOnce() {
    ChatServer s; // kim, lee, park, then the demo members
    QVERIFY(s.f.running());
    for (const char* id : {"demo", "minji", "wei", "alex"})
        s.f.addMember(QString::fromLatin1(id), u"pw"_s);
    ChatStore store(s.f.context().database());
    ChatPhotos photos(s.f.context().folder());
    const qint64 withMinji = *store.openRoom(4, 5, nullptr);
    const qint64 withLee = *store.openRoom(4, 2, nullptr);
    ChatDemoPartner partner(s.f.context(), store, photos, std::chrono::milliseconds(5));
    // A photo is answered with a photo; messages of others, or in a room without Minji, are not.
    partner.heard(withMinji, 4, ChatKind::Photo, u"cD.jpg|D.jpg"_s);
    partner.heard(withMinji, 5, ChatKind::Text, u"from Minji herself"_s);
    partner.heard(withLee, 4, ChatKind::Text, u"to lee"_s);
    // Wei and Alex greet each new session of the demo member once.
    partner.polled(u"device"_s, 4);
    partner.polled(u"device"_s, 4);
    partner.polled(u"lee's device"_s, 2);
    auto summary = [&] {
        QStringList rooms;
        for (const ChatRoomSummary& room :
             store.roomsOf(4).value_or(std::vector<ChatRoomSummary>{}))
            rooms << u"%1:%2:%3"_s.arg(room.partnerName).arg(room.messageCount).arg(room.lastKind);
        return rooms.join(u' ');
    };
    const QString expected = u"alex:1:1 wei:1:1 minji:1:3 lee:0:0"_s;
    QVERIFY2(QTest::qWaitFor([&] { return summary() == expected; }, 5000), qPrintable(summary()));
    QTest::qWait(60); // nothing more follows
    QCOMPARE(summary(), expected);
    const QString content = store.roomsOf(4)->at(2).lastContent;
    QCOMPARE(QImage(s.f.imageRoot() + u"/chatdata/"_s + content.section(u'|', 0, 0)).width(), 200);
    QVERIFY(QImage(s.f.imageRoot() + u"/chatdata/"_s + content.section(u'|', 1)).width() > 200);
}

QTEST_GUILESS_MAIN(TestServerChat)
#include "tst_server_chat.moc"
