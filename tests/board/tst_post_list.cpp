// The post list's logic: the reply table, the photos kept in the working folder (once, and never
// outside it), the rows' hit tests and the pixels of one drawn row.

#include "board/post_list_model.h"
#include "board/post_list_reply.h"
#include "board/post_photo_files.h"
#include "board/post_row_painter.h"
#include "platform/resources.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;

namespace {

// A post in the server's 13 "#" fields.
QString post(const QString& mail, const QString& title, const QString& isNew = u"0"_s,
             const QString& photo = u"0"_s, int mailbox = 7) {
    return u"%1#%2#x#y#z#%3#4#5#%4#w#%5#img.host:81#Owner %1"_s.arg(mail).arg(mailbox).arg(
        title, isNew, photo);
}

QImage solid(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Photo files in a temporary working folder; downloads are recorded and answered from a table
// of address → bytes (a missing address writes nothing, like a failed download).
struct Photos {
    QTemporaryDir dir;
    QString work = dir.path() + u"/work"_s;
    QStringList asked;
    QHash<QString, QByteArray> served;

    Photos() { QDir().mkpath(work); }
    PostPhotoFiles files() {
        return PostPhotoFiles(work, [this](const QString& address, const QString& path) {
            asked.append(address);
            if (!served.contains(address))
                return 0;
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(served[address]) >= 0 ? 1 : 0;
        });
    }
};

QByteArray png(QColor colour, int width = 40, int height = 20) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    solid(width, height, colour).save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestPostList : public QObject {
    Q_OBJECT
private slots:
    void replies_data();
    void replies();
    void refusedReplyKeepsTheList();
    void photoNamesAndAddresses_data();
    void photoNamesAndAddresses();
    void photosFetchedOnceAndOnlyInside();
    void hitTests_data();
    void hitTests();
    void drawnRow();
};

void TestPostList::replies_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("height");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("badges");

    const QString a = post(u"11"_s, u"First"_s);
    const QString b = post(u"12"_s, u"Second"_s, u"1"_s);
    QTest::newRow("empty list") << u"1</>0"_s << true << 0 << QStringList() << QStringList();
    QTest::newRow("two posts") << u"1</>2</>"_s + a + u"</>"_s + b << true << 200
                               << QStringList{u"First"_s, u"Second"_s}
                               << QStringList{u"0"_s, u"1"_s};
    QTest::newRow("reading stops at an empty field")
        << u"1</>2</>"_s + a + u"</></>"_s + b << true << 200 << QStringList{u"First"_s}
        << QStringList{u"0"_s};
    QTest::newRow("fewer posts than announced")
        << u"1</>5</>"_s + a << true << 500 << QStringList{u"First"_s} << QStringList{u"0"_s};
    QTest::newRow("at most N posts") << u"1</>1</>"_s + a + u"</>"_s + b << true << 100
                                     << QStringList{u"First"_s} << QStringList{u"0"_s};
    QTest::newRow("negative count builds nothing")
        << u"1</>-3</>"_s + a << true << 0 << QStringList() << QStringList();
    QTest::newRow("count not a number")
        << u"1</>many</>"_s + a << true << 0 << QStringList() << QStringList();
    QTest::newRow("count beyond any scroll range")
        << u"1</>99999999999</>"_s + a << true << (1 << 30) << QStringList{u"First"_s}
        << QStringList{u"0"_s};
    QTest::newRow("only the acceptance") << u"1"_s << true << 0 << QStringList() << QStringList();
    QTest::newRow("refused") << u"0</>1</>"_s + a << false << 0 << QStringList() << QStringList();
    QTest::newRow("acceptance with a blank")
        << u" 1</>1</>"_s + a << false << 0 << QStringList() << QStringList();
    QTest::newRow("new flags: any text but 0")
        << u"1</>4</>"_s + post(u"1"_s, u"a"_s, u"0"_s) + u"</>"_s + post(u"2"_s, u"b"_s, u"x"_s) +
               u"</>"_s + post(u"3"_s, u"c"_s, QString()) + u"</>"_s + post(u"4"_s, u"d"_s, u"00"_s)
        << true << 400 << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s}
        << QStringList{u"0"_s, u"1"_s, u"1"_s, u"1"_s};
    QTest::newRow("short post: missing fields are empty")
        << u"1</>1</>9#3##"_s << true << 100 << QStringList{QString()} << QStringList{u"1"_s};
}

void TestPostList::replies() {
    QFETCH(QString, reply);
    QFETCH(bool, taken);
    QFETCH(int, height);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, badges);
    Photos photos;
    PostListModel model(photos.files(), solid(167, 100, Qt::green), solid(30, 20, Qt::red));
    QCOMPARE(model.takeReply(reply), taken);
    QCOMPARE(model.scrollHeight(), height);
    QStringList shownTitles;
    QStringList shownBadges;
    for (const CPostRow& row : model.rows()) {
        shownTitles.append(row.title);
        shownBadges.append(row.badgeFlag);
        QCOMPARE(row.badge.isNull(), row.badgeFlag == u"0"_s);
        // No photo here: every row shows the default picture.
        QVERIFY(row.photo.isNull() && !row.defaultPhoto.isNull() && row.photoPath.isEmpty());
    }
    QCOMPARE(shownTitles, titles);
    QCOMPARE(shownBadges, badges);
    if (!titles.isEmpty() && titles.first() == u"First"_s) {
        const CPostRow& row = model.rows().front();
        QCOMPARE(row.mailIndex, u"11"_s);
        QCOMPARE(row.ownerName, u"Owner 11"_s);
        QCOMPARE(row.opinionCount, u"4"_s);
        QCOMPARE(row.memberCount, u"5"_s);
    }
    // A short post's empty photo field names a photo, which is no file name: no download.
    QVERIFY(photos.asked.isEmpty());
}

void TestPostList::refusedReplyKeepsTheList() {
    Photos photos;
    PostListModel model(photos.files(), solid(167, 100, Qt::green), solid(30, 20, Qt::red));
    QVERIFY(model.takeReply(u"1</>3</>"_s + post(u"1"_s, u"kept"_s)));
    QVERIFY(!model.takeReply(u"0"_s));
    QVERIFY(!model.takeReply(QString()));
    QCOMPARE(model.rows().size(), 1u);
    QCOMPARE(model.rows().front().title, u"kept"_s);
    QCOMPARE(model.scrollHeight(), 300);
    // An accepted reply replaces every row.
    QVERIFY(model.takeReply(u"1</>0"_s));
    QCOMPARE(model.rows().size(), 0u);
}

void TestPostList::photoNamesAndAddresses_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << u"post_3e02.jpg"_s << true;
    QTest::newRow("korean and blanks") << u"사진 1.png"_s << true;
    QTest::newRow("climbing up") << u"../evil"_s << false;
    QTest::newRow("two dots inside") << u"a..b"_s << false;
    QTest::newRow("only dots") << u".."_s << false;
    QTest::newRow("slash") << u"a/b"_s << false;
    QTest::newRow("backslash") << u"..\\..\\x"_s << false;
    QTest::newRow("drive letter") << u"C:evil"_s << false;
    QTest::newRow("NUL") << u"a\0b"_s << false;
    QTest::newRow("line feed") << u"a\nb"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("too long") << QString(201, u'x') << false;
}

void TestPostList::photoNamesAndAddresses() {
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(PostPhotoFiles::isSafeName(name), safe);
    PostPhotoFiles files(u"/work"_s, {});
    QCOMPARE(files.localPath(name), safe ? u"/work/"_s + name + u".jpg"_s : QString());

    PostListEntry entry;
    entry.photoHost = u"h%2:81"_s;
    entry.mailboxNumber = 37;
    entry.photoName = u"p%1.jpg"_s;
    QCOMPARE(PostPhotoFiles::address(entry), u"http://h%2:81/image/mailbox/0000000037/p%1.jpg"_s);
    entry.mailboxNumber = -5;
    QCOMPARE(PostPhotoFiles::address(entry), u"http://h%2:81/image/mailbox/-000000005/p%1.jpg"_s);
}

void TestPostList::photosFetchedOnceAndOnlyInside() {
    Photos photos;
    const QString good = u"http://img.host:81/image/mailbox/0000000007/good.jpg"_s;
    photos.served[good] = png(Qt::blue, 41, 30);
    photos.served[u"http://img.host:81/image/mailbox/0000000007/broken.jpg"_s] = "<html>404</html>";
    PostListModel model(photos.files(), solid(167, 100, Qt::green), solid(30, 20, Qt::red));
    const QString reply = u"1</>5</>"_s + post(u"1"_s, u"a"_s, u"0"_s, u"good.jpg"_s) + u"</>"_s +
                          post(u"2"_s, u"b"_s, u"0"_s, u"broken.jpg"_s) + u"</>"_s +
                          post(u"3"_s, u"c"_s, u"0"_s, u"../../escape"_s) + u"</>"_s +
                          post(u"4"_s, u"d"_s, u"0"_s, u"missing.jpg"_s) + u"</>"_s +
                          post(u"5"_s, u"e"_s, u"0"_s, u"0"_s);
    QVERIFY(model.takeReply(reply));
    // The unsafe name and the "0" are never fetched.
    QCOMPARE(photos.asked.size(), 3);
    QCOMPARE(photos.asked.first(), good);
    // Photos are decoded when their rows are first drawn.
    const auto& rows = std::as_const(model).rows();
    QVERIFY(!rows[0].photoLoaded && rows[0].photo.isNull());
    model.loadPhotos(0, 99);
    QVERIFY(!rows[0].photo.isNull() && rows[0].defaultPhoto.isNull());
    QCOMPARE(rows[0].photo.pixel(99, 79), qRgb(0, 0, 255));
    QCOMPARE(rows[0].photoWidth, 44); // stored widths are multiples of 4
    QCOMPARE(rows[0].photoHeight, 30);
    for (std::size_t i = 1; i < rows.size(); ++i)
        QVERIFY(rows[i].photo.isNull() && !rows[i].defaultPhoto.isNull());
    QVERIFY(QFile::exists(photos.work + u"/good.jpg.jpg"_s));
    // Nothing was written beside or above the working folder.
    QCOMPARE(QDir(photos.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{u"work"_s});

    // A photo already in the folder is not fetched again (even one that does not load); the
    // missing one is asked for again.
    photos.asked.clear();
    QVERIFY(model.takeReply(reply));
    QCOMPARE(photos.asked,
             QStringList{u"http://img.host:81/image/mailbox/0000000007/missing.jpg"_s});
    model.loadPhotos(0, 1);
    QVERIFY(!std::as_const(model).rows()[0].photo.isNull());
}

void TestPostList::hitTests_data() {
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("row");
    QTest::newRow("above the first row") << 5 << -1;
    QTest::newRow("first boundary") << 10 << -1;
    QTest::newRow("first row") << 11 << 0;
    QTest::newRow("first row, last pixel") << 109 << 0;
    QTest::newRow("boundary between rows") << 110 << -1;
    QTest::newRow("second row") << 111 << 1;
    QTest::newRow("third row") << 309 << 2;
    QTest::newRow("below the last row") << 310 << -1;
    QTest::newRow("far below") << 1000000 << -1;
    QTest::newRow("negative") << -50 << -1;
}

void TestPostList::hitTests() {
    QFETCH(int, y);
    QFETCH(int, row);
    Photos photos;
    PostListModel model(photos.files(), {}, {});
    QVERIFY(model.takeReply(u"1</>3</>"_s + post(u"1"_s, u"a"_s) + u"</>"_s + post(u"2"_s, u"b"_s) +
                            u"</>"_s + post(u"3"_s, u"c"_s)));
    QCOMPARE(model.rowAt(y), row);
    // The rows a band of the document touches: the row under y and the next when it is in view.
    if (row >= 0) {
        const auto [first, end] = model.rowsIn(y, y + 1);
        QCOMPARE(first, row);
        QCOMPARE(end, row + 1);
    }
    QCOMPARE(model.rowsIn(0, 600), std::make_pair(0, 3));
    QCOMPARE(model.rowsIn(110, 210), std::make_pair(1, 2));
}

void TestPostList::drawnRow() {
    // A new post with a photo, and an old one without, drawn one below the other.
    CPostRow withPhoto;
    QTemporaryDir dir;
    const QString file = dir.path() + u"/red.png"_s;
    QVERIFY(solid(50, 40, Qt::red).save(file));
    withPhoto.photo =
        PostPhotoFiles::boxPicture(file, &withPhoto.photoWidth, &withPhoto.photoHeight);
    QCOMPARE(withPhoto.photoWidth, 52);
    withPhoto.badgeFlag = u"1"_s;
    withPhoto.badge = res::bitmap(res::NewBadge);
    withPhoto.title = u"Title line"_s;
    withPhoto.ownerName = u"kim"_s;
    CPostRow plain;
    plain.defaultPhoto = res::bitmap(res::DefaultPostPicture);
    QVERIFY(!withPhoto.badge.isNull() && !plain.defaultPhoto.isNull());

    QImage canvas(470, 220, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        const auto labels = PostRowPainter::Labels::forCountry(2);
        PostRowPainter::draw(painter, withPhoto, 10, labels);
        PostRowPainter::draw(painter, plain, 110, labels);
    }
    const QRgb grey = qRgb(200, 200, 200);
    // Bands: (0, y)–(450, y + 10) and (0, y + 90)–(450, y + 100), right and bottom exclusive.
    QCOMPARE(canvas.pixel(0, 10), grey);
    QCOMPARE(canvas.pixel(449, 19), grey);
    QCOMPARE(canvas.pixel(450, 15), qRgb(255, 255, 255));
    QCOMPARE(canvas.pixel(0, 9), qRgb(255, 255, 255));
    QCOMPARE(canvas.pixel(3, 100), grey);
    QCOMPARE(canvas.pixel(449, 109), grey);
    // The photo fills the box (5, y + 10) of 100 × 80; the badge lies over its corner.
    QCOMPARE(canvas.pixel(104, 99), qRgb(255, 0, 0));
    QCOMPARE(canvas.pixel(106, 60), qRgb(255, 255, 255));
    QCOMPARE(canvas.pixel(20, 28), withPhoto.badge.pixel(15, 8));
    QCOMPARE(canvas.pixel(40, 28), qRgb(255, 0, 0));
    // Without a photo, the top-left 100 × 80 pixels of the default picture, unscaled.
    for (const QPoint& at : {QPoint(0, 0), QPoint(99, 79), QPoint(60, 30)})
        QCOMPARE(canvas.pixel(at + QPoint(5, 120)), plain.defaultPhoto.pixel(at));
    // Text only from x = 120, within its lines.
    auto inked = [&](const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (qGray(canvas.pixel(x, y)) < 128)
                    return true;
            }
        }
        return false;
    };
    QVERIFY(inked(QRect(120, 30, 330, 20)));   // title
    QVERIFY(inked(QRect(120, 50, 330, 20)));   // owner
    QVERIFY(inked(QRect(120, 70, 330, 20)));   // counts
    QVERIFY(!inked(QRect(106, 20, 13, 70)));   // between the photo and the text
    QVERIFY(!inked(QRect(120, 130, 330, 20))); // the second row has no title
    QCOMPARE(PostRowPainter::countLine(plain, PostRowPainter::Labels::forCountry(0)),
             u"참여윈원  명 | 의견  개"_s);
    plain.memberCount = u"3"_s;
    plain.opinionCount = u"-1"_s;
    QCOMPARE(PostRowPainter::countLine(plain, PostRowPainter::Labels::forCountry(2)),
             u"Member 3   | Opinion -1  "_s);
}

QTEST_MAIN(TestPostList)
#include "tst_post_list.moc"
