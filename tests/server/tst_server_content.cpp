// The content scripts over real sockets: registration, the profile and store contents that the
// next download returns, refusals, durability, and the demo contents.

#include "server_test_support.h"

#include "server/admin/member_registration.h"
#include "server/scripts/content/content_files.h"
#include "server/scripts/content/content_store.h"
#include "server/scripts/content/demo_content.h"
#include "server/upload/upload_server.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;

namespace {

const QString kAdd = u"/android/contentadd_new.php"_s;
const QString kProfile = u"/android/setmyinfo.php"_s;
const QString kStore = u"/android/updatestoreinfo.php"_s;

ServerConfig autoApproving() {
    ServerConfig config;
    config.autoApprove = true;
    return config;
}

QByteArray post(ServerFixture& f, const QString& path, const QByteArray& body) {
    return bodyOf(httpExchange(f.httpPort(), clientRequest(path, body)));
}

QByteArray get(ServerFixture& f, const QString& path) {
    const QByteArray reply = httpExchange(f.httpPort(), getRequest(path));
    return reply.startsWith("HTTP/1.1 200 ") ? bodyOf(reply) : QByteArray("<404>");
}

QString deviceOf(ServerFixture& f, const QString& id) {
    return login(f.httpPort(), id, u"pw"_s).split(u"</>"_s).value(3);
}

// Sends a file through the upload port and waits until the server has stored it.
bool upload(ServerFixture& f, const QByteArray& folder, const QByteArray& name,
            const QByteArray& bytes) {
    QSignalSpy stored(f.server().uploadServer(), &UploadServer::uploadStored);
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, f.uploadPort());
    if (!socket.waitForConnected(5000))
        return false;
    socket.write(uploadBlock(bytes.size(), folder, name) + bytes);
    return stored.wait(10000) || stored.size() == 1;
}

QByteArray registration(const QString& device, const QByteArray& file,
                        const QByteArray& rest = "&title=T&imagefile=") {
    return "deviceid=" + device.toUtf8() + "&style=replayinfo&content=<p>x</p>&file=" + file +
           "&idate=1700000000" + rest;
}

} // namespace

class TestServerContent : public QObject {
    Q_OBJECT
private slots:
    void registrationKeepsWhatWasTyped();
    void registrationRefusals_data();
    void registrationRefusals();
    void profileAndStoreReturnTheLatestUpload();
    void publishingRefusals();
    void contentsSurviveARestart();
    void tokens_data();
    void tokens();
    void demoContents();
};

void TestServerContent::registrationKeepsWhatWasTyped() {
    ServerFixture f(autoApproving());
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    const QString device = deviceOf(f, u"kim"_s);
    // The HTML holds '=', quotes and markers; the title Korean; the photo list two photos.
    const QByteArray body =
        "deviceid=" + device.toUtf8() +
        "&style=replayinfo&content=<p style='font-size:16px;'>a=b </> 한</p>\n<a "
        "href='javascript:viewinfo(\"navigate</>x</>\")'>&file=kim11700000000&idate=-12x"
        "&title=제목 = 1&imagefile=kim117000000001.jpg=100,kim117000000002.jpg=200";
    QCOMPARE(post(f, kAdd, body), QByteArray("1</>1"));
    // Fields the client left out are stored empty.
    QCOMPARE(post(f, kAdd, "deviceid=" + device.toUtf8() + "&style=replayinfo&file=second"),
             QByteArray("1</>2"));

    ContentStore store(f.context().database());
    const auto content = store.find(1);
    QVERIFY(content);
    QCOMPARE(content->memberNo, 1);
    QCOMPARE(content->style, u"replayinfo"_s);
    QCOMPARE(content->html, u"<p style='font-size:16px;'>a=b </> 한</p>\n<a "
                            "href='javascript:viewinfo(\"navigate</>x</>\")'>"_s);
    QCOMPARE(content->fileName, u"kim11700000000"_s);
    QCOMPARE(content->clientTime, -12);
    QCOMPARE(content->title, u"제목 = 1"_s);
    QCOMPARE(content->imageFiles, u"kim117000000001.jpg=100,kim117000000002.jpg=200"_s);
    // An opinion registers the same way.
    QCOMPARE(post(f, kAdd,
                  "deviceid=" + device.toUtf8() +
                      "&style=text&content=<p>a</p>&file=11700&idate=1&title=0&imagefile=0"),
             QByteArray("1</>3"));
    QCOMPARE(store.find(3)->style, u"text"_s);
    QCOMPARE(store.find(2)->title, QString());
    // A content with several MiB of exported HTML is within the limits of a request body.
    const QByteArray large = "<p>" + QByteArray(4 * 1024 * 1024, 'h') + "</p>";
    QCOMPARE(post(f, kAdd,
                  "deviceid=" + device.toUtf8() + "&style=replayinfo&content=" + large +
                      "&file=big&idate=1&title=T&imagefile="),
             QByteArray("1</>4"));
    QCOMPARE(store.find(4)->html.toUtf8(), large);
}

void TestServerContent::registrationRefusals_data() {
    QTest::addColumn<QByteArray>("body"); // "DEV" stands for a valid device id
    QTest::newRow("unknown device") << registration(u"nobody"_s, "abc");
    QTest::newRow("no device") << QByteArray("style=replayinfo&file=abc");
    QTest::newRow("no style") << QByteArray("deviceid=DEV&file=abc&content=x");
    QTest::newRow("no file") << QByteArray("deviceid=DEV&style=replayinfo&content=x");
    QTest::newRow("parent") << registration(u"DEV"_s, "..");
    QTest::newRow("slash") << registration(u"DEV"_s, "../../orvix");
    QTest::newRow("backslash") << registration(u"DEV"_s, "a\\b");
    QTest::newRow("control") << registration(u"DEV"_s, "a\tb");
}

void TestServerContent::registrationRefusals() {
    QFETCH(QByteArray, body);
    ServerFixture f(autoApproving());
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    body.replace("DEV", deviceOf(f, u"kim"_s).toUtf8());
    QCOMPARE(post(f, kAdd, body), QByteArray("0"));
    QVERIFY(!ContentStore(f.context().database()).find(1));
}

void TestServerContent::profileAndStoreReturnTheLatestUpload() {
    ServerFixture f(autoApproving());
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    const QString device = deviceOf(f, u"kim"_s);
    const QByteArray folder = "mailbox/0000000001";
    const QString profile = u"/image/mailbox/0000000001/mem000000000001.sml"_s;
    const QString storePath = u"/image/mailbox/0000000001/st000000001.sml"_s;
    QCOMPARE(get(f, profile), QByteArray("<404>"));

    // Upload, register, publish: the fixed name returns the uploaded bytes, photos beside it.
    const QByteArray first = "orvix</>kim1170</>1</>첫 번째</>2<@>0<@>kim11700.jpg<@>100<@>0<@>0";
    QVERIFY(upload(f, folder, "kim1170.sml", first));
    QVERIFY(upload(f, folder, "kim11700.jpg", "jpeg bytes"));
    QCOMPARE(post(f, kAdd, registration(device, "kim1170")), QByteArray("1</>1"));
    QCOMPARE(post(f, kProfile, "deviceid=" + device.toUtf8() + "&info=1"), QByteArray("1"));
    QCOMPARE(get(f, profile), first);
    QCOMPARE(get(f, u"/image/mailbox/0000000001/kim11700.jpg"_s), QByteArray("jpeg bytes"));
    ContentStore contents(f.context().database());
    QCOMPARE(contents.profileOf(1), 1);

    // Edited and uploaded again under the same name: the next download returns the new bytes.
    const QByteArray second = first + "</>1<@>1<@>16<@>true";
    QVERIFY(upload(f, folder, "kim1170.sml", second));
    QCOMPARE(post(f, kAdd, registration(device, "kim1170")), QByteArray("1</>2"));
    QCOMPARE(post(f, kProfile, "deviceid=" + device.toUtf8() + "&info=2"), QByteArray("1"));
    QCOMPARE(get(f, profile), second);

    // Published before its upload has landed: the download returns it once it lands.
    QCOMPARE(post(f, kAdd, registration(device, "late")), QByteArray("1</>3"));
    QCOMPARE(post(f, kProfile, "deviceid=" + device.toUtf8() + "&info=3"), QByteArray("1"));
    QCOMPARE(get(f, profile), QByteArray("<404>"));
    QVERIFY(upload(f, folder, "late.sml", "orvix</>late</>0</>late"));
    QCOMPARE(get(f, profile), QByteArray("orvix</>late</>0</>late"));

    // The store's content: under the store's fixed name, the profile unchanged.
    QCOMPARE(post(f, kStore, "deviceid=" + device.toUtf8() + "&info=2"), QByteArray("1"));
    QCOMPARE(get(f, storePath), second);
    QCOMPARE(contents.storeContentOf(1), 2);
    // A content named like the store's file is that file: uploaded straight over the link.
    QVERIFY(upload(f, folder, "st000000001.sml", "orvix</>st000000001</>0</>store"));
    QCOMPARE(post(f, kAdd, registration(device, "st000000001")), QByteArray("1</>4"));
    QCOMPARE(post(f, kStore, "deviceid=" + device.toUtf8() + "&info=4"), QByteArray("1"));
    QCOMPARE(get(f, storePath), QByteArray("orvix</>st000000001</>0</>store"));
    QCOMPARE(get(f, u"/image/mailbox/0000000001/kim1170.sml"_s), second);
    QCOMPARE(get(f, profile), QByteArray("orvix</>late</>0</>late"));
}

void TestServerContent::publishingRefusals() {
    ServerFixture f(autoApproving());
    QVERIFY(f.running());
    f.addMember(u"kim"_s, u"pw"_s);
    f.addMember(u"lee"_s, u"pw"_s);
    const QByteArray kim = deviceOf(f, u"kim"_s).toUtf8();
    const QByteArray lee = deviceOf(f, u"lee"_s).toUtf8();
    QCOMPARE(post(f, kAdd, registration(QString::fromUtf8(kim), "kim1")), QByteArray("1</>1"));
    QCOMPARE(post(f, kProfile, "deviceid=" + kim + "&info=1"), QByteArray("1"));
    for (const QString& script : {kProfile, kStore}) {
        // Someone else's content, a token that names nothing, garbage, an unknown device.
        for (const QByteArray& body :
             {"deviceid=" + lee + "&info=1", "deviceid=" + lee + "&info=99",
              "deviceid=" + lee + "&info=", "deviceid=" + lee + "&info=1x",
              "deviceid=" + lee + "&info=-1", QByteArray("deviceid=nobody&info=1"),
              QByteArray("info=1")})
            QCOMPARE(script + u' ' + QString::fromUtf8(post(f, script, body)), script + u" 0"_s);
    }
    ContentStore contents(f.context().database());
    QCOMPARE(contents.profileOf(1), 1);
    QVERIFY(!contents.profileOf(2) && !contents.storeContentOf(2));
    QVERIFY(!QFileInfo::exists(f.imageRoot() + u"/mailbox/0000000002"_s));
    // An ended session publishes nothing any more.
    QCOMPARE(post(f, u"/android/closeusepc.php"_s, "deviceid=" + kim), QByteArray("1"));
    QCOMPARE(post(f, kStore, "deviceid=" + kim + "&info=1"), QByteArray("0"));
    QVERIFY(!contents.storeContentOf(1));
}

void TestServerContent::contentsSurviveARestart() {
    QTemporaryDir dir;
    ServerConfig config = autoApproving();
    config.dataDir = dir.path();
    config.httpPort = config.uploadPort = 0;
    {
        OrvixServer server(config);
        QVERIFY(server.start(nullptr));
        QVERIFY(MemberRegistration(server.context()).add(u"kim"_s, u"pw"_s, {}, {}, nullptr));
        const QString device = login(server.httpPort(), u"kim"_s, u"pw"_s).split(u"</>"_s).value(3);
        const QByteArray reply = bodyOf(
            httpExchange(server.httpPort(), clientRequest(kAdd, registration(device, "kim1"))));
        QCOMPARE(reply, QByteArray("1</>1"));
        QCOMPARE(bodyOf(httpExchange(
                     server.httpPort(),
                     clientRequest(kProfile, "deviceid=" + device.toUtf8() + "&info=1"))),
                 QByteArray("1"));
    }
    OrvixServer again(config);
    QVERIFY(again.start(nullptr));
    ContentStore contents(again.context().database());
    QCOMPARE(contents.profileOf(1), 1);
    QCOMPARE(contents.find(1)->fileName, u"kim1"_s);
    QCOMPARE(
        QFileInfo(dir.path() + u"/image/mailbox/0000000001/mem000000000001.sml"_s).symLinkTarget(),
        dir.path() + u"/image/mailbox/0000000001/kim1.sml"_s);
}

void TestServerContent::tokens_data() {
    QTest::addColumn<QString>("token");
    QTest::addColumn<qint64>("number"); // 0: names nothing
    QTest::newRow("one") << u"1"_s << qint64(1);
    QTest::newRow("large") << u"123456789012345678"_s << qint64(123456789012345678);
    QTest::newRow("leading zero") << u"007"_s << qint64(7);
    QTest::newRow("zero") << u"0"_s << qint64(0);
    QTest::newRow("empty") << QString() << qint64(0);
    QTest::newRow("sign") << u"+1"_s << qint64(0);
    QTest::newRow("blank") << u" 1"_s << qint64(0);
    QTest::newRow("too long") << u"1234567890123456789"_s << qint64(0);
    QTest::newRow("arabic digit") << u"١"_s << qint64(0);
}

void TestServerContent::tokens() {
    QFETCH(QString, token);
    QFETCH(qint64, number);
    QCOMPARE(ContentStore::contentNoOf(token).value_or(0), number);
    if (number > 0)
        QCOMPARE(ContentStore::contentNoOf(ContentStore::tokenOf(number)), number);
    QCOMPARE(ContentFiles::mailboxFolder(12), u"mailbox/0000000012"_s);
    QCOMPARE(ContentFiles::profileName(12), u"mem000000000012.sml"_s);
    QCOMPARE(ContentFiles::storeName(3), u"st000000003.sml"_s);
}

void TestServerContent::demoContents() {
    ServerConfig config;
    config.demo = true;
    ServerFixture f(config);
    QVERIFY(f.running());
    // Once the server serves, the seeded files name it by its real address.
    const QString address = u"127.0.0.1:%1"_s.arg(f.httpPort());
    QByteArray profile;
    QTRY_VERIFY((profile = get(f, u"/image/mailbox/0000000001/mem000000000001.sml"_s))
                    .contains(address.toUtf8()));
    const QStringList records = QString::fromUtf8(profile).split(u"</>"_s);
    QCOMPARE(records.mid(0, 4),
             QStringList({u"orvix"_s, u"demo11767225600"_s, u"4"_s, u"Demo의 소개"_s}));
    QCOMPARE(records.size(), 8);
    QVERIFY(records[4].startsWith(u"1<@>0<@>24<@>true<@>false<@>235<@>243<@>252<@>"_s));
    QCOMPARE(records[5], u"2<@>1<@>demo117672256001.jpg<@>100<@>1<@>0"_s);
    QVERIFY(records[6].startsWith(u"1<@>2<@>16<@>"_s) && records[6].contains(u"<br>"_s));
    const QString document = u"http://%1/image/document/1/11767225600.PDF"_s.arg(address);
    QCOMPARE(records[7], u"8<@>3<@>24<@>false<@>false<@>255<@>255<@>255<@>0<@>0<@>0<@>0<@>0<@>"_s +
                             document + u"<@>orvix-guide.pdf"_s);
    QVERIFY(QImage::fromData(get(f, u"/image/mailbox/0000000001/demo117672256001.jpg"_s)).size() ==
            QSize(540, 360));
    QVERIFY(get(f, document.mid(document.indexOf(u"/image/"_s))).startsWith("%PDF-1.4\n"));
    ContentStore contents(f.context().database());
    QVERIFY(contents.find(1)->html.contains(u"src='http://%1/image/mailbox/0000000001/"_s
                                            "demo117672256001.jpg'"_s.arg(address)));
    const QByteArray store = get(f, u"/image/mailbox/0000000001/st000000001.sml"_s);
    QVERIFY2(store.startsWith("orvix</>st000000001</>3</>Demo 카페</>1<@>0<@>20<@>true"),
             store.constData());
    QCOMPARE(contents.storeContentOf(1), 2);

    // Seeding again adds nothing twice (other features' demo data registers contents too); the
    // member's own profile is never overwritten.
    QSqlQuery& count = f.context().database().statement(u"SELECT COUNT(*) FROM contents"_s);
    QVERIFY(count.exec() && count.next());
    const int seeded = count.value(0).toInt();
    count.finish();
    QVERIFY(seeded >= 2);
    QVERIFY(DemoContent(f.context()).seed(nullptr));
    QVERIFY(count.exec() && count.next());
    QCOMPARE(count.value(0).toInt(), seeded);
    count.finish();
    const QString seededProfile = f.imageRoot() + u"/mailbox/0000000001/demo11767225600.sml"_s;
    const QString seededStore = f.imageRoot() + u"/mailbox/0000000001/st000000001.sml"_s;
    QVERIFY(writeFile(seededProfile, "mine") && writeFile(seededStore, "damaged"));
    ContentRecord own;
    own.memberNo = 1;
    own.style = u"replayinfo"_s;
    own.fileName = u"own"_s;
    const auto ownNo = contents.add(own);
    QVERIFY(ownNo && contents.setProfile(1, *ownNo));
    QVERIFY(DemoContent(f.context()).refresh(nullptr));
    QCOMPARE(get(f, u"/image/mailbox/0000000001/demo11767225600.sml"_s), QByteArray("mine"));
    QCOMPARE(get(f, u"/image/mailbox/0000000001/st000000001.sml"_s), store);
}

QTEST_GUILESS_MAIN(TestServerContent)
#include "tst_server_content.moc"
