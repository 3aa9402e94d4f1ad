// The store form's rules: the checks in their order, the photo choices, the registration body,
// the reply, and the scaled photo copies with their names and sizes.

#include "store/store_form.h"
#include "store/store_photo_copies.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;

namespace {

StoreForm filledForm() {
    StoreForm form;
    form.storeName = u"카페 Orvix"_s;
    form.phone = u"02-123"_s;
    form.title = u"Best & fresh"_s;
    form.kind = u"cafe"_s;
    form.owner = u"Kim"_s;
    form.setStorePhoto(u"/p/front.jpg"_s);
    form.setInfoPhotos({u"/p/a.jpg"_s, u"/p/b.png"_s});
    return form;
}

QString writePicture(const QString& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    return image.save(path) ? path : QString();
}

QSize sizeOf(const QString& path) {
    return QImageReader(path).size();
}

} // namespace

class TestStoreForm : public QObject {
    Q_OBJECT
private slots:
    void checksInOrder_data();
    void checksInOrder();
    void photoChoices();
    void bodyAndReply();
    void photoCopies();
};

void TestStoreForm::checksInOrder_data() {
    QTest::addColumn<int>("emptied");
    QTest::addColumn<int>("missing"); // UiRow, or -1 when complete
    QTest::newRow("complete") << -1 << -1;
    const UiRow rows[] = {UiRow::StoreName,  UiRow::PhoneNumber, UiRow::OneLineTitle,
                          UiRow::StoreKind,  UiRow::OwnerName,   UiRow::StorePhoto,
                          UiRow::Information};
    for (int i = 0; i < 7; ++i)
        QTest::addRow("field %d", i) << i << int(rows[i]);
}

void TestStoreForm::checksInOrder() {
    QFETCH(int, emptied);
    QFETCH(int, missing);
    // A form with only the given field left out, and one with it and all that follow left out:
    // both name that field.
    for (bool later : {false, true}) {
        StoreForm form;
        for (int i = 0; i < 7; ++i) {
            if (i == emptied || (later && emptied >= 0 && i > emptied))
                continue;
            switch (i) {
            case 0:
                form.storeName = u"n"_s;
                break;
            case 1:
                form.phone = u"p"_s;
                break;
            case 2:
                form.title = u"t"_s;
                break;
            case 3:
                form.kind = u"k"_s;
                break;
            case 4:
                form.owner = u"o"_s;
                break;
            case 5:
                form.setStorePhoto(u"/p/s.jpg"_s);
                break;
            case 6:
                form.setInfoPhotos({u"/p/i.jpg"_s});
                break;
            }
        }
        const auto first = form.firstMissing();
        QCOMPARE(first ? int(*first) : -1, missing);
    }
}

void TestStoreForm::photoChoices() {
    StoreForm form;
    for (const QString& refused : {u"/p/a.jpeg"_s, u"/p/a.bmp"_s, u"/p/jpg"_s, QString()}) {
        QVERIFY(!form.setStorePhoto(refused));
        QVERIFY(form.storePhotoPath().isEmpty());
    }
    QVERIFY(form.setStorePhoto(u"/p/가게.Png"_s));
    QVERIFY(!form.setStorePhoto(u"/p/b.tif"_s)); // a refused choice keeps the one before
    QCOMPARE(form.storePhotoPath(), u"/p/가게.Png"_s);
    QCOMPARE(form.storePhotoName(), u"가게.Png"_s);
    QVERIFY(form.setStorePhoto(u"/p/c.GIF"_s));

    // The second selection replaces the first; seven photos keep the first six.
    QVERIFY(form.setInfoPhotos({u"1"_s, u"2"_s}));
    QVERIFY(form.setInfoPhotos({u"3"_s}));
    QCOMPARE(form.infoPhotos(), QStringList{u"3"_s});
    const QStringList seven = {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s};
    QVERIFY(!form.setInfoPhotos(seven));
    QCOMPARE(form.infoPhotos(), seven.mid(0, 6));
    QVERIFY(StoreForm::tooManyPhotosMessage(1).contains(u'6'));
}

void TestStoreForm::bodyAndReply() {
    StoreForm form = filledForm();
    form.owner = u"Kim & Lee"_s;
    QCOMPARE(form.requestBody(u"dev1"_s, u"1765012345"_s),
             u"deviceid=dev1&storename=카페 Orvix&storetel=02-123&storestyle=cafe&ceoname=Kim   "
             u"Lee&title=Best   fresh&addkey=1765012345&infophoto=2"_s);
    form.clear();
    QCOMPARE(form.firstMissing(), UiRow::StoreName);
    QVERIFY(form.storePhotoName().isEmpty() && form.infoPhotos().isEmpty());

    QCOMPARE(StoreForm::storeIndexOf(u"1</>1</>42"_s), 42);
    QCOMPARE(StoreForm::storeIndexOf(u"1</>0</>7"_s), 7); // the second field says nothing
    for (const QString& refused : {u"0</>1</>42"_s, u"0"_s, QString(), u"1</>1</>"_s,
                                   u"1</>1</>abc"_s, u"1</>1</>-3"_s, u"error 1</>1</>5"_s})
        QVERIFY2(!StoreForm::storeIndexOf(refused), qPrintable(refused));
}

void TestStoreForm::photoCopies() {
    QCOMPARE(StorePhotoCopies::storePhotoName(42), u"000000042.jpg"_s);
    QCOMPARE(StorePhotoCopies::thumbnailName(42), u"s000000042.jpg"_s);
    QCOMPARE(StorePhotoCopies::mailboxFolder(u"/w"_s, 12), u"/w/mailbox/0000000012"_s);
    QCOMPARE(StorePhotoCopies::infoPhotoName(u"1765012345"_s, 3), u"17650123453.jpg"_s);

    QTemporaryDir dir;
    const QString work = dir.filePath(u"OrvixWin"_s);
    QDir().mkpath(work);
    const QString wide = writePicture(dir.filePath(u"wide.png"_s), 1600, 800);
    const QString narrow = writePicture(dir.filePath(u"narrow.jpg"_s), 1400, 700);
    const QString small = writePicture(dir.filePath(u"small.jpg"_s), 600, 400);
    const QString info = writePicture(dir.filePath(u"info.jpg"_s), 1201, 900);
    const QString tiny = writePicture(dir.filePath(u"tiny.jpg"_s), 280, 100);
    const QString broken = dir.filePath(u"broken.jpg"_s);
    QFile(broken).open(QIODevice::WriteOnly);

    // A store photo 1600 wide: copied 1000 wide, thumbnail 300 wide.
    auto copies = StorePhotoCopies::plan(work, 42, 12, u"1765012345"_s, wide,
                                         {info, tiny, broken, dir.filePath(u"gone.jpg"_s)});
    QCOMPARE(copies.size(), size_t(6));
    const QString photos = work + u"/storephoto/"_s;
    const QString mailbox = work + u"/mailbox/0000000012/"_s;
    QCOMPARE(StorePhotoCopies::make(work, 12, copies),
             QStringList({photos + u"000000042.jpg"_s, photos + u"s000000042.jpg"_s,
                          mailbox + u"17650123450.jpg"_s}));
    QCOMPARE(sizeOf(photos + u"000000042.jpg"_s), QSize(1000, 500));
    QCOMPARE(sizeOf(photos + u"s000000042.jpg"_s), QSize(300, 150));
    // 1201 counts as 1204 wide: fitted by 1000 ÷ 1204.
    QCOMPARE(sizeOf(mailbox + u"17650123450.jpg"_s), QSize(1000, 747));
    QCOMPARE(QDir(mailbox).entryList(QDir::Files).size(), 1); // narrow, broken, missing: none

    // 1400 wide: no store copy, a thumbnail; a 600-wide photo's thumbnail is 300 wide.
    QVERIFY(QDir(photos).removeRecursively());
    QCOMPARE(
        StorePhotoCopies::make(work, 12, StorePhotoCopies::plan(work, 7, 12, u"k"_s, narrow, {})),
        QStringList{photos + u"s000000007.jpg"_s});
    QCOMPARE(
        StorePhotoCopies::make(work, 12, StorePhotoCopies::plan(work, 8, 12, u"k"_s, small, {})),
        QStringList{photos + u"s000000008.jpg"_s});
    QCOMPARE(sizeOf(photos + u"s000000008.jpg"_s), QSize(300, 200));
}

QTEST_GUILESS_MAIN(TestStoreForm)
#include "tst_store_form.moc"
