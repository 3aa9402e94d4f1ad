// Store registration from the PC and the store's address page over real sockets: refusals,
// what is stored, who may see and change the address, escaping.

#include "server/pages/store/store_address_page.h"
#include "server/scripts/store/add_store_script.h"
#include "server/scripts/store/store_registry.h"
#include "server_test_support.h"
#include "support/http_peer.h"

#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;
using orvix::test::HttpPeer;

namespace {

const QString kAdd = u"/android/pcaddstore.php"_s;

QString storeBody(const QString& device, const QString& name, const QString& photos = u"2"_s) {
    return u"deviceid=%1&storename=%2&storetel=02-123-4567&storestyle=<i>cafe</i>&ceoname=Kim "
           u"= Boss&title=Best coffee \"in\" town&addkey=1700000000&infophoto=%3"_s.arg(
               device, name, photos);
}

struct Stores {
    ServerFixture f;
    qint64 kim = 0;
    qint64 lee = 0;
    QString kimDevice;
    QString leeDevice;

    Stores() {
        kim = f.addMember(u"kim"_s, u"pw"_s);
        lee = f.addMember(u"lee"_s, u"pw"_s);
        kimDevice = f.context().pcAccess().admit(kim, true).deviceId;
        leeDevice = f.context().pcAccess().admit(lee, true).deviceId;
    }
    QByteArray post(const QString& body) {
        return bodyOf(httpExchange(f.httpPort(), clientRequest(kAdd, body.toUtf8())));
    }
    QByteArray page(const QString& device, const QString& idx) {
        return httpExchange(f.httpPort(), getRequest(u"%1?deviceid=%2&idx=%3"_s.arg(
                                              StoreAddressPage::kPath, device, idx)));
    }
    QByteArray save(const QString& device, const QString& idx, const QByteArray& address) {
        return httpExchange(f.httpPort(), clientRequest(StoreAddressPage::kPath,
                                                        "deviceid=" + device.toUtf8() + "&idx=" +
                                                            idx.toUtf8() + "&address=" + address));
    }
    QString storedAddress(qint64 storeNo) {
        return StoreRegistry(f.context().database()).find(storeNo)->address;
    }
};

} // namespace

class TestServerStore : public QObject {
    Q_OBJECT
private slots:
    void registration();
    void addressPage();
};

void TestServerStore::registration() {
    Stores s;
    QVERIFY(s.f.running());
    // Refused: unknown or missing device, no store name, a count that is no number.
    for (const QString& body :
         {storeBody(u"nobody"_s, u"Cafe"_s), storeBody(QString(), u"Cafe"_s),
          storeBody(s.kimDevice, QString()), storeBody(s.kimDevice, u" "_s),
          storeBody(s.kimDevice, u"Cafe"_s, u"two"_s), storeBody(s.kimDevice, u"Cafe"_s, u"-1"_s),
          storeBody(s.kimDevice, QString(AddStoreScript::kMaxField + 1, u'n'))})
        QCOMPARE(s.post(body), QByteArray("0"));

    // Each member already owns the store made with the member; new ones number on from there.
    const QByteArray first = s.post(storeBody(s.kimDevice, u"카페 Orvix"_s));
    QCOMPARE(first, QByteArray("1</>1</>3"));
    QCOMPARE(s.post(storeBody(s.leeDevice, u"Lee's"_s, u"0"_s)), QByteArray("1</>1</>4"));
    const auto store = StoreRegistry(s.f.context().database()).find(3);
    QVERIFY(store);
    QCOMPARE(store->ownerMemberNo, s.kim);
    QCOMPARE(store->name, u"카페 Orvix"_s);
    QCOMPARE(store->tel, u"02-123-4567"_s);
    QCOMPARE(store->kind, u"<i>cafe</i>"_s);
    QCOMPARE(store->ceoName, u"Kim = Boss"_s);
    QCOMPARE(store->title, u"Best coffee \"in\" town"_s);
    QCOMPARE(store->addKey, u"1700000000"_s);
    QCOMPARE(store->infoPhotoCount, 2);
    QVERIFY(store->address.isEmpty());
}

void TestServerStore::addressPage() {
    Stores s;
    QVERIFY(s.f.running());
    QCOMPARE(s.post(storeBody(s.kimDevice, u"<script>x</script>"_s)), QByteArray("1</>1</>3"));

    // The owner sees the store, every typed value escaped, and a form that posts back.
    const QByteArray shown = s.page(s.kimDevice, u"3"_s);
    QVERIFY2(shown.startsWith("HTTP/1.1 200 OK\r\n"), shown.constData());
    const QString html = QString::fromUtf8(bodyOf(shown));
    QVERIFY(!html.contains(u"<script>"_s) && !html.contains(u"<i>"_s));
    QVERIFY(html.contains(u"&lt;script&gt;x&lt;/script&gt;"_s));
    QVERIFY(html.contains(u"Best coffee &quot;in&quot; town"_s));
    QVERIFY(html.contains(u"<form method=\"post\" action=\"%1\">"_s.arg(StoreAddressPage::kPath)));
    QVERIFY(html.contains(u"name=\"deviceid\" value=\"%1\""_s.arg(s.kimDevice)));

    // Someone else's store and a store that does not exist get the same answer; an unknown
    // device is refused. Nobody but the owner can save an address.
    const QByteArray foreign = s.page(s.leeDevice, u"3"_s);
    QVERIFY2(foreign.startsWith("HTTP/1.1 404 "), foreign.constData());
    QCOMPARE(bodyOf(foreign), bodyOf(s.page(s.leeDevice, u"99"_s)));
    QVERIFY(s.page(s.leeDevice, u"x"_s).startsWith("HTTP/1.1 404 "));
    QVERIFY(s.page(u"nobody"_s, u"3"_s).startsWith("HTTP/1.1 403 "));
    QVERIFY(s.save(s.leeDevice, u"3"_s, "Lee+Street").startsWith("HTTP/1.1 404 "));
    QVERIFY(s.save(u"nobody"_s, u"3"_s, "Nobody+Street").startsWith("HTTP/1.1 403 "));
    QVERIFY(s.storedAddress(3).isEmpty());

    // Saving: decoded as a browser encodes it, line breaks folded, then back to the page.
    const QByteArray saved = s.save(s.kimDevice, u"3"_s, "12+Main+St%0D%0A%3Cb%3E+%26+Co");
    QVERIFY2(saved.startsWith("HTTP/1.1 303 "), saved.constData());
    QVERIFY(saved.contains("Location: " + StoreAddressPage::address(s.kimDevice, 3, true).toUtf8() +
                           "\r\n"));
    QCOMPARE(s.storedAddress(3), u"12 Main St <b> & Co"_s);
    const QString after = QString::fromUtf8(bodyOf(s.page(s.kimDevice, u"3&saved=1"_s)));
    QVERIFY(after.contains(u"value=\"12 Main St &lt;b&gt; &amp; Co\""_s));
    QVERIFY(after.contains(u"id=\"message\""_s));

    // Empty or too long: not saved, the form again with the reason.
    for (const QByteArray& address :
         {QByteArray("+%0A+"), QByteArray(StoreAddressPage::kMaxAddress + 1, 'a')}) {
        const QByteArray refused = s.save(s.kimDevice, u"3"_s, address);
        QVERIFY2(refused.startsWith("HTTP/1.1 400 "), refused.constData());
        QVERIFY(bodyOf(refused).contains("<form"));
        QCOMPARE(s.storedAddress(3), u"12 Main St <b> & Co"_s);
    }

    // Removing the member takes its stores with their addresses.
    QVERIFY(s.f.context().members().remove(s.kim));
    QVERIFY(!StoreRegistry(s.f.context().database()).find(3));
    QSqlQuery& rows = s.f.context().database().statement(u"SELECT COUNT(*) FROM store_addresses"_s);
    QVERIFY(rows.exec() && rows.next());
    QCOMPARE(rows.value(0).toInt(), 0);
    rows.finish();
}

QTEST_GUILESS_MAIN(TestServerStore)
#include "tst_server_store.moc"
