// Text layout (line breaking against a fixed font, the incremental widths against measuring
// every prefix), the block list's edits and their effect on "modified", and hit testing.

#include "editor/content_model.h"
#include "editor/text_measurer.h"

#include <QFontDatabase>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;

namespace {

// Every character 10 pixels wide (a surrogate pair too), lines 20 pixels tall.
class FixedMeasurer final : public TextMeasurer {
public:
    qreal advance(QStringView) const override { return 10; }
    int height() const override { return 20; }
};

CContentText laidOut(const QString& text) {
    CContentText t;
    t.text = text;
    t.Relayout(FixedMeasurer());
    return t;
}

QString repeated(const QString& piece, int times) {
    QString out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

class TestContentLayout : public QObject {
    Q_OBJECT
private slots:
    void lineBreaking_data();
    void lineBreaking();
    void moreThanAHundredLines();
    void incrementalWidthsGiveTheSameLines();
    void fontSizes();
    void edits_data();
    void edits();
    void editsWithoutSelection();
    void hitTesting();
    void newContent();
};

void TestContentLayout::lineBreaking_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("height");
    QTest::newRow("empty") << QString() << QStringList{QString()} << 5 + 16;
    QTest::newRow("one character") << u"a"_s << QStringList{u"a"_s} << 5 + 16;
    QTest::newRow("two characters") << u"ab"_s << QStringList{u"ab"_s} << 25;
    QTest::newRow("line break") << u"ab\r\ncd"_s << QStringList{u"ab"_s, u"cd"_s} << 50;
    QTest::newRow("lone LF") << u"ab\ncd"_s << QStringList{u"ab"_s, u"cd"_s} << 50;
    QTest::newRow("lone CR") << u"ab\rcd"_s << QStringList{u"ab"_s, u"cd"_s} << 50;
    QTest::newRow("empty lines") << u"a\r\n\r\n\r\nb"_s
                                 << QStringList{u"a"_s, QString(), QString(), u"b"_s} << 100;
    // The last two characters are never candidates: a final line break stays on the last line.
    QTest::newRow("trailing break") << u"abc\r\n"_s << QStringList{u"abc\r\n"_s} << 25;
    // 54 characters are 540 pixels, not more: the 55th makes the line too wide and stays on it.
    QTest::newRow("200 characters") << repeated(u"x"_s, 200)
                                    << QStringList{repeated(u"x"_s, 55), repeated(u"x"_s, 55),
                                                   repeated(u"x"_s, 55), repeated(u"x"_s, 35)}
                                    << 100;
    QTest::newRow("exactly 540") << repeated(u"y"_s, 54) + u"\r\nz"_s
                                 << QStringList{repeated(u"y"_s, 54), u"z"_s} << 50;
    QTest::newRow("wide then break") << repeated(u"w"_s, 55) + u"\r\nz"_s
                                     << QStringList{repeated(u"w"_s, 55), QString(), u"z"_s} << 75;
}

void TestContentLayout::lineBreaking() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(int, height);
    const CContentText t = laidOut(text);
    QCOMPARE(t.lines, lines);
    QCOMPARE(t.lineCount, lines.size());
    QCOMPARE(t.height, height);
    QCOMPARE(t.lineHeights.size(), lines.size());
}

void TestContentLayout::moreThanAHundredLines() {
    const CContentText t = laidOut(repeated(u"x\r\n"_s, 150) + u"end"_s);
    QCOMPARE(t.lineCount, 100);
    QCOMPARE(t.lines.mid(0, 99), QStringList(99, u"x"_s));
    QCOMPARE(t.lines.last(), repeated(u"x\r\n"_s, 51) + u"end"_s);
    QCOMPARE(t.height, 100 * 25);
    // The size of a one-character text counts by its magnitude.
    CContentText negative;
    negative.size = -13;
    negative.Relayout(FixedMeasurer());
    QCOMPARE(negative.height, 5 + 13);
}

void TestContentLayout::incrementalWidthsGiveTheSameLines() {
    // Real fonts, with characters of every width, Korean, blanks, breaks and surrogate pairs.
    const QString alphabet = u"iIlW mM가나다한글 .,!?\r\n\r\n😀abcdefghij"_s;
    QRandomGenerator random(7);
    for (const char* face : {"DejaVu Sans", "Noto Sans CJK KR", "돋움체"}) {
        for (int size : {9, 16, -13, 40}) {
            for (int round = 0; round < 15; ++round) {
                QString text;
                const int length = random.bounded(1, 1500);
                for (int i = 0; i < length; ++i)
                    text += alphabet.at(random.bounded(alphabet.size()));
                CContentText fast;
                fast.face = QString::fromUtf8(face);
                fast.size = size;
                fast.bold = round % 2;
                fast.text = text;
                CContentText naive = fast;
                const FontTextMeasurer measurer(fast.font());
                fast.Relayout(measurer);
                naive.RelayoutByPrefixes(measurer);
                QCOMPARE(fast.lines, naive.lines);
                QCOMPARE(fast.height, naive.height);
                QCOMPARE(fast.lineCount, naive.lineCount);
                QVERIFY(fast.lines.join(QString()).size() <= text.size());
            }
        }
    }
}

void TestContentLayout::fontSizes() {
    CContentText t;
    t.size = 16;
    QCOMPARE(t.font().pixelSize(), 16);
    t.bold = true;
    QCOMPARE(t.font().weight(), QFont::Bold);
    t.size = 100000; // from a damaged file
    QCOMPARE(t.font().pixelSize(), CContentText::LargestPixelSize);
    t.size = -20; // a cell height: the line is about 20 pixels
    t.text = u"abc def"_s;
    t.Relayout();
    QVERIFY2(t.height >= 5 + 18 && t.height <= 5 + 22, qPrintable(QString::number(t.height)));
}

void TestContentLayout::edits_data() {
    // Each edit on a selected block of a kind: whether it acts and whether it sets modified.
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("acts");
    QTest::addColumn<bool>("modifies");
    const int text = CContentBlock::Text, photo = CContentBlock::Photo,
              document = CContentBlock::Document;
    const auto row = [](const char* edit, int kind, bool acts, bool modifies) {
        QTest::addRow("%s on %d", edit, kind)
            << QString::fromLatin1(edit) << kind << acts << modifies;
    };
    row("modify", text, true, true);
    row("modify empty", text, false, false);
    row("modify", photo, false, false);
    row("align", text, true, true);
    row("align", photo, true, false);
    row("align", document, true, false);
    row("font", text, true, true);
    row("font", photo, false, false);
    row("background", text, true, true);
    row("colour", text, true, true);
    row("colour", document, false, false);
    row("link", text, true, false);
    row("link", photo, true, false);
    row("size", photo, true, false);
    row("size", document, true, false);
    row("size", text, false, false);
    row("delete", photo, true, true);
    row("up", document, true, true);
    row("down", document, false, false); // already last
    row("first", text, true, true);
    row("last", text, false, false);
}

void TestContentLayout::edits() {
    QFETCH(QString, edit);
    QFETCH(int, kind);
    QFETCH(bool, acts);
    QFETCH(bool, modifies);
    ContentModel m;
    m.setLayout([](CContentText& t) { t.Relayout(FixedMeasurer()); });
    m.addText(u"one"_s);
    m.addText(u"two"_s);
    switch (kind) {
    case CContentBlock::Text:
        m.addText(u"three"_s);
        break;
    case CContentBlock::Photo:
        m.addPhoto(u"/none.jpg"_s, u"none.jpg"_s, 5);
        break;
    default:
        m.addDocument(u"a.pdf"_s, u"http://a"_s, u"PDF"_s, u"c"_s);
        break;
    }
    m.modified = false;
    QCOMPARE(m.selectedIndex(), 2);
    CContentBlock* subject = m.selected();
    bool acted = false;
    if (edit == u"modify")
        acted = m.modifyText(u"new\r\ntext"_s);
    else if (edit == u"modify empty")
        acted = m.modifyText(QString());
    else if (edit == u"align")
        acted = m.setAlignment(2);
    else if (edit == u"font")
        acted = m.setFont(-20, true, true);
    else if (edit == u"background")
        acted = m.setBackground(Qt::red);
    else if (edit == u"colour")
        acted = m.setTextColour(Qt::blue);
    else if (edit == u"link")
        acted = m.setLink(u"http://link"_s);
    else if (edit == u"size")
        acted = m.setSizePercent(150);
    else if (edit == u"delete")
        acted = m.deleteSelected();
    else if (edit == u"up")
        acted = m.moveUp();
    else if (edit == u"down")
        acted = m.moveDown();
    else if (edit == u"first")
        acted = m.moveToFirst();
    else if (edit == u"last")
        acted = m.moveToLast();
    QCOMPARE(acted, acts);
    QCOMPARE(m.modified, modifies);
    if (!acts)
        return;
    if (edit == u"modify") {
        QCOMPARE(subject->text->text, u"new\r\ntext"_s);
        QCOMPARE(subject->text->lineCount, 2); // laid out again
    } else if (edit == u"font") {
        QCOMPARE(subject->text->size, -20);
        QVERIFY(subject->text->bold && subject->text->italic);
    } else if (edit == u"align") {
        QCOMPARE(subject->alignment(), 2);
    } else if (edit == u"size") {
        QCOMPARE(subject->photo ? subject->photo->widthPercent : subject->document->sizePercent,
                 150);
    } else if (edit == u"delete") {
        QCOMPARE(m.count(), 2);
        QCOMPARE(m.selectedIndex(), -1);
        QVERIFY(!m.block(0)->selected && !m.block(1)->selected);
    } else if (edit == u"up") {
        QCOMPARE(m.block(1), subject);
        QCOMPARE(m.selectedIndex(), 1);
    } else if (edit == u"first") {
        QCOMPARE(m.block(0), subject);
        QCOMPARE(m.block(1)->text->text, u"one"_s);
        QCOMPARE(m.selected(), subject);
    }
}

void TestContentLayout::editsWithoutSelection() {
    ContentModel m;
    m.setLayout([](CContentText& t) { t.Relayout(FixedMeasurer()); });
    m.addText(u"a"_s);
    m.addText(u"b"_s);
    m.select(-1);
    m.modified = false;
    QVERIFY(!m.deleteSelected() && !m.moveUp() && !m.moveDown() && !m.moveToFirst() &&
            !m.moveToLast() && !m.setAlignment(1) && !m.setLink(u"x"_s) && !m.modifyText(u"x"_s) &&
            !m.setFont(10, false, false));
    QVERIFY(!m.modified);
    m.select(0);
    QVERIFY(!m.moveUp() && !m.moveToFirst());
    // Appending selects only the new block.
    m.addDocument(u"d"_s, u"a"_s, u"PDF"_s, QString());
    QCOMPARE(m.selectedIndex(), 2);
    QVERIFY(!m.block(0)->selected && m.block(2)->selected);
    QVERIFY(m.modified);
}

void TestContentLayout::hitTesting() {
    QTemporaryDir dir;
    QImage picture(1080, 400, QImage::Format_RGB32); // 540 wide: 200 tall
    picture.fill(Qt::green);
    QVERIFY(picture.save(dir.filePath(u"p.png"_s)));
    ContentModel m;
    m.setLayout([](CContentText& t) { t.Relayout(FixedMeasurer()); });
    m.addText(u"ab"_s);                                     // 0 .. 25
    m.addPhoto(dir.filePath(u"p.png"_s), u"p.png"_s, 1);    // 25 .. 225
    m.block(1)->photo->widthPercent = 50;                   // drawn 100 tall, hit 200
    m.addDocument(u"d.pdf"_s, u"a"_s, u"PDF"_s, QString()); // 225 .. 295
    m.block(2)->document->sizePercent = 10;                 // still 70 for hit tests
    m.addPhoto(dir.filePath(u"missing.jpg"_s), u"x"_s, 1);  // no picture: 0 tall
    QCOMPARE(m.block(1)->photo->height, 200);
    QCOMPARE(m.totalHeight(), 295);
    const struct {
        int y;
        int block;
    } rows[] = {{0, -1},   {1, 0},   {24, 0},  {25, -1},  {26, 1},   {150, 1}, {224, 1},
                {225, -1}, {226, 2}, {294, 2}, {295, -1}, {400, -1}, {-5, -1}};
    for (const auto& row : rows)
        QCOMPARE(QString::number(row.y) + u':' + QString::number(m.hitTest(row.y)),
                 QString::number(row.y) + u':' + QString::number(row.block));
    // A click on nothing keeps the selection; a hit selects only that block.
    m.select(2);
    QCOMPARE(m.selectAt(25), -1);
    QCOMPARE(m.selectedIndex(), 2);
    QCOMPARE(m.selectAt(130), 1);
    QVERIFY(m.block(1)->selected && !m.block(2)->selected);
}

void TestContentLayout::newContent() {
    ContentModel m;
    m.setLayout([](CContentText& t) { t.Relayout(FixedMeasurer()); });
    m.addText(u"a"_s);
    m.contentKind = ContentModel::StoreContent;
    m.blockCount = 4;
    m.startNew(u"kim"_s, 12, 1700000000);
    QCOMPARE(m.fileName, u"kim121700000000"_s);
    QCOMPARE(m.folder, u"mailbox/0000000012"_s);
    QCOMPARE(m.memberNumber, 12);
    QCOMPARE(m.count(), 0);
    QCOMPARE(m.selectedIndex(), -1);
    QVERIFY(!m.modified);
    QCOMPARE(m.blockCount, 0);
    QCOMPARE(m.contentKind, int(ContentModel::PostContent));
    QCOMPARE(m.style, u"replayinfo"_s);
}

QTEST_MAIN(TestContentLayout)
#include "tst_content_layout.moc"
