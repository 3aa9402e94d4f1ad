// The ".sml" content file: the writer's bytes, write → read round trips, the reader on damaged
// files and hostile names, and how numbers are read.

#include "editor/content_model.h"
#include "editor/content_names.h"
#include "editor/sml_reader.h"
#include "editor/sml_writer.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using namespace orvix;
using namespace Qt::StringLiterals;

namespace {

// A model whose texts are laid out by nothing (the file does not depend on the layout).
struct Content {
    ContentModel model;
    Content() {
        model.setLayout([](CContentText&) {});
        model.fileName = u"kim11700000000"_s;
        model.title = u"제목"_s;
    }
    CContentBlock& text(const QString& text) {
        model.addText(text);
        return *model.selected();
    }
    CContentBlock& photo(const QString& name, int percent = 100) {
        model.addPhoto(QString(), u"p.jpg"_s, 0);
        model.selected()->photo->name = name;
        model.selected()->photo->widthPercent = percent;
        return *model.selected();
    }
    CContentBlock& document(int percent) {
        model.addDocument(u"report.pdf"_s, u"http://h/image/document/1/1.PDF"_s, u"PDF"_s,
                          u"memo"_s);
        model.selected()->document->sizePercent = percent;
        return *model.selected();
    }
    QString written() {
        model.blockCount = model.count();
        return SmlWriter::text(model);
    }
};

SmlReader::Result readBack(const QString& text, QStringList* fetched = nullptr) {
    SmlReader reader(u"/work"_s, [fetched](const QString& name, const QString& path) {
        if (fetched)
            fetched->append(name + u" -> "_s + path);
        return false;
    });
    return reader.read(text.toUtf8());
}

} // namespace

class TestContentFile : public QObject {
    Q_OBJECT
private slots:
    void writerRecords_data();
    void writerRecords();
    void roundTrips();
    void markersInFieldsKeepTheBlocks();
    void fileIsWrittenWholeInUtf8();
    void readerRules();
    void readerOnDamagedFiles_data();
    void readerOnDamagedFiles();
    void readerSurvivesRandomDamage();
    void hostilePhotoNamesAreNeverFetched_data();
    void hostilePhotoNamesAreNeverFetched();
    void photosAreFetchedAndLoaded();
    void numbers_data();
    void numbers();
    void names();
};

void TestContentFile::writerRecords_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("expected");
    const QString head = u"orvix</>kim11700000000</>1</>제목</>"_s;
    QTest::newRow("default text") << 0
                                  << head + u"1<@>0<@>16<@>false<@>false<@>255<@>255<@>"
                                            "255<@>0<@>0<@>0<@>0<@>0<@>hello"_s;
    QTest::newRow("styled text") << 1
                                 << head + u"1<@>0<@>16<@>true<@>true<@>1<@>2<@>3<@>250<@>251<@>"
                                           "252<@>2<@>http://x.kr/?a=1<@>a b<br>c<br><br>"_s;
    QTest::newRow("photo") << 2 << head + u"2<@>0<@>kim117000000000.jpg<@>50<@>1<@>0"_s;
    QTest::newRow("photo with link") << 3 << head + u"2<@>0<@>p.jpg<@>100<@>0<@>www"_s;
    QTest::newRow("document 50%") << 4
                                  << head + u"8<@>0<@>12<@>false<@>false<@>255<@>255<@>255<@>0<@>"
                                            "0<@>0<@>2<@>0<@>http://h/image/document/1/1.PDF"
                                            "<@>report.pdf"_s;
    QTest::newRow("document 33%") << 5
                                  << head + u"8<@>0<@>7<@>false<@>false<@>255<@>255<@>255<@>0<@>"
                                            "0<@>0<@>0<@>0<@>http://h/image/document/1/1.PDF"
                                            "<@>report.pdf"_s;
    QTest::newRow("no blocks") << 6 << u"orvix</>kim11700000000</>0</>제목"_s;
}

void TestContentFile::writerRecords() {
    QFETCH(int, which);
    QFETCH(QString, expected);
    Content c;
    switch (which) {
    case 0:
        c.text(u"hello"_s);
        break;
    case 1: {
        CContentBlock& b = c.text(u"a&b\r\nc\r\n\r\n"_s);
        b.text->size = -16; // from the font chooser
        b.text->bold = b.text->italic = true;
        b.text->background = QColor(1, 2, 3);
        b.text->textColour = QColor(250, 251, 252);
        b.text->alignment = 2;
        b.link = u"http://x.kr/?a=1"_s;
        break;
    }
    case 2:
        c.photo(u"kim117000000000.jpg"_s, 50).photo->alignment = 1;
        break;
    case 3:
        c.photo(u"p.jpg"_s).link = u"www"_s;
        break;
    case 4: {
        CContentBlock& b = c.document(50);
        b.document->alignment = 2;
        break;
    }
    case 5:
        c.document(33); // 0.33 × 24 = 7.92
        break;
    default:
        break;
    }
    QCOMPARE(c.written(), expected);
}

void TestContentFile::roundTrips() {
    Content c;
    CContentBlock& t = c.text(u"a&b\r\nc"_s);
    t.text->size = -16;
    t.text->italic = true;
    t.text->background = QColor(10, 20, 30);
    t.text->alignment = 1;
    c.text(u"x"_s).link = u"0"_s; // a link "0" cannot be kept
    c.photo(u"kim117000000002.jpg"_s, 0);
    c.document(50).document->alignment = 2;
    CContentBlock& last = c.text(u"한국어 <b>굵게</b>\r\n\r\n"_s);
    last.link = u"http://h/?q=1"_s;
    last.index = 17;

    const auto read = readBack(c.written());
    QVERIFY(read.recognised);
    QCOMPARE(read.fileName, u"kim11700000000"_s);
    QCOMPARE(read.blockCount, 5);
    QCOMPARE(read.title, u"제목"_s);
    QCOMPARE(int(read.blocks.size()), 5);
    const CContentText& a = *read.blocks[0]->text;
    QCOMPARE(a.text, u"a b\r\nc"_s); // the ampersand does not come back
    QCOMPARE(a.size, 16);
    QVERIFY(a.italic && !a.bold);
    QCOMPARE(a.background, QColor(10, 20, 30));
    QCOMPARE(a.textColour, QColor(0, 0, 0));
    QCOMPARE(a.alignment, 1);
    QCOMPARE(read.blocks[0]->link, QString());
    QCOMPARE(read.blocks[1]->link, QString());
    QCOMPARE(read.blocks[2]->photo->name, u"kim117000000002.jpg"_s);
    QCOMPARE(read.blocks[2]->photo->widthPercent, 100); // 0 reads as 100
    QCOMPARE(read.blocks[2]->index, 2);
    QCOMPARE(read.blocks[3]->document->sizePercent, 50);
    QCOMPARE(read.blocks[3]->document->alignment, 2);
    QCOMPARE(read.blocks[3]->document->fileName, u"report.pdf"_s);
    QCOMPARE(read.blocks[3]->document->address, u"http://h/image/document/1/1.PDF"_s);
    QCOMPARE(read.blocks[4]->text->text, u"한국어 <b>굵게</b>\r\n\r\n"_s);
    QCOMPARE(read.blocks[4]->link, u"http://h/?q=1"_s);
    QCOMPARE(read.blocks[4]->index, 4); // the position written, not the index held
    QVERIFY(!read.skippedUnknown);
    for (const auto& block : read.blocks)
        QVERIFY(!block->selected);
}

void TestContentFile::markersInFieldsKeepTheBlocks() {
    Content c;
    c.model.title = u"a</>b<@>c"_s;
    c.model.fileName = u"f</>"_s;
    c.text(u"x</>1<@>2"_s).link = u"l<@>"_s;
    c.photo(u"p</>.jpg"_s);
    CContentBlock& d = c.document(100);
    d.document->address = u"http://h/</>"_s;
    d.document->fileName = u"<<@>>.pdf"_s;
    c.text(u"</></>"_s);
    const QString text = c.written();
    QCOMPARE(text.count(u"</>"_s), 3 + 4);
    const auto read = readBack(text);
    QCOMPARE(read.title, u"a< />b< @>c"_s);
    QCOMPARE(read.fileName, u"f< />"_s);
    QCOMPARE(int(read.blocks.size()), 4);
    QCOMPARE(read.blocks[0]->kind, int(CContentBlock::Text));
    QCOMPARE(read.blocks[0]->text->text, u"x< />1< @>2"_s);
    QCOMPARE(read.blocks[0]->link, u"l< @>"_s);
    QCOMPARE(read.blocks[1]->photo->name, u"p< />.jpg"_s);
    QCOMPARE(read.blocks[2]->document->address, u"http://h/< />"_s);
    QCOMPARE(read.blocks[2]->document->fileName, u"<< @>>.pdf"_s);
    QCOMPARE(read.blocks[3]->text->text, u"< />< />"_s);
}

void TestContentFile::fileIsWrittenWholeInUtf8() {
    QTemporaryDir dir;
    Content c;
    c.text(u"안녕"_s);
    c.model.blockCount = 1;
    const QString path = dir.filePath(u"kim.sml"_s);
    QVERIFY(SmlWriter::write(c.model, path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, SmlWriter::text(c.model).toUtf8()); // no byte-order mark, no line break
    QVERIFY(bytes.startsWith("orvix</>"));
    // A file too large for a content is not read as one.
    QFile large(dir.filePath(u"large.sml"_s));
    QVERIFY(large.open(QIODevice::WriteOnly));
    large.write("orvix</>f</>1</>t</>1<@>0<@>16");
    large.write(QByteArray(SmlReader::MaxFileSize, 'x'));
    large.close();
    QVERIFY(!SmlReader(dir.path(), {}).readFile(large.fileName()).recognised);
    QVERIFY(SmlReader(dir.path(), {}).readFile(path).recognised);
    // A file that cannot be written leaves what was there.
    QVERIFY(!SmlWriter::write(c.model, dir.filePath(u"missing/kim.sml"_s)));
    QVERIFY(!QFile::exists(dir.filePath(u"missing/kim.sml"_s)));
}

void TestContentFile::readerRules() {
    // Kinds with blanks, an unknown kind, a count larger than what follows, "true" exactly.
    const QString text =
        u"orvix</>n</>9</>t</> 1 <@>3<@>12.9<@>TRUE<@>true<@>300<@>-1<@>7<@>0<@>0<@>0<@>1<@>"
        "0<@>a<br>b</>5<@>1<@>video</>8<@>4<@>-30<@>false<@>false<@>255<@>255<@>255<@>0<@>0"
        "<@>0<@>2.7<@>0<@>addr<@>f.hwp</>2<@>x<@>p.jpg<@>-20<@>9"_s;
    QStringList kinds;
    QList<int> handled;
    int count = -1;
    SmlReader::Progress progress;
    progress.blockCount = [&](int n) { count = n; };
    progress.blockStarted = [&](const QString& kind, const QString& index) {
        kinds << kind + u':' + index;
    };
    progress.handled = [&](int n) { handled << n; };
    const auto read = SmlReader(u"/w"_s, {}).read(text.toUtf8(), progress);
    QCOMPARE(count, 9);
    QCOMPARE(kinds, QStringList({u"1:3"_s, u"5:1"_s, u"8:4"_s, u"2:x"_s}));
    QCOMPARE(handled, QList<int>({1, 2, 3, 4, 4})); // the photo's fetch, then the record
    QVERIFY(read.skippedUnknown);
    QCOMPARE(int(read.blocks.size()), 3);
    const CContentText& t = *read.blocks[0]->text;
    QCOMPARE(t.size, 12);
    QVERIFY(!t.bold && t.italic);
    QCOMPARE(t.background, QColor(300 & 0xff, 0xff, 7));
    QCOMPARE(t.alignment, 1);
    QCOMPARE(t.text, u"a\r\nb"_s);
    QCOMPARE(read.blocks[0]->index, 3);
    const CContentDoc& d = *read.blocks[1]->document;
    QCOMPARE(d.sizePercent, -125);
    QCOMPARE(d.alignment, 2);
    QCOMPARE(d.fileName, u"f.hwp"_s);
    QVERIFY(d.extension.isEmpty() && d.comment.isEmpty());
    const CContentPhoto& p = *read.blocks[2]->photo;
    QCOMPARE(p.widthPercent, -20);
    QCOMPARE(p.alignment, 9);
    QCOMPARE(read.blocks[2]->index, 0);
    QVERIFY(!p.picture);
    QCOMPARE(p.height, 0);
}

void TestContentFile::readerOnDamagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("recognised");
    QTest::addColumn<int>("blocks");
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("other header") << QByteArray("ORVIX</>a</>1</>t</>1<@>0") << false << 0;
    QTest::newRow("header alone") << QByteArray("orvix") << true << 0;
    QTest::newRow("count only") << QByteArray("orvix</>a</>3") << true << 0;
    QTest::newRow("zero blocks") << QByteArray("orvix</>a</>0</>t</>1<@>0") << true << 0;
    QTest::newRow("negative count") << QByteArray("orvix</>a</>-5</>t</>1<@>0") << true << 0;
    QTest::newRow("huge count") << QByteArray("orvix</>a</>1e300</>t</>1</>2</>8") << true << 3;
    QTest::newRow("short records") << QByteArray("orvix</>a</>3</>t</>1</>2</>8") << true << 3;
    QTest::newRow("empty records") << QByteArray("orvix</>a</>3</>t</></></>") << true << 0;
    QTest::newRow("invalid utf-8")
        << QByteArray("orvix</>\xff\xfe</>1</>\xc3</>1<@>0") << true << 1;
    QTest::newRow("NUL inside") << QByteArray("orvix</>a\0b</>1</>t</>1<@>0", 27) << true << 1;
}

void TestContentFile::readerOnDamagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, recognised);
    QFETCH(int, blocks);
    const auto read = SmlReader(u"/w"_s, {}).read(bytes);
    QCOMPARE(read.recognised, recognised);
    QCOMPARE(int(read.blocks.size()), blocks);
    // Missing fields read as empty text or 0.
    for (const auto& block : read.blocks) {
        if (block->text) {
            QCOMPARE(block->text->size, 0);
            QVERIFY(block->text->text.isEmpty() && block->link.isEmpty());
            QCOMPARE(block->text->background, QColor(0, 0, 0));
        }
        if (block->photo)
            QCOMPARE(block->photo->widthPercent, 100);
        if (block->document)
            QCOMPARE(block->document->sizePercent, 0);
    }
}

void TestContentFile::readerSurvivesRandomDamage() {
    Content c;
    c.text(u"첫째 줄\r\n둘째"_s).link = u"http://x"_s;
    c.photo(u"a.jpg"_s, 70);
    c.document(150);
    const QByteArray good = c.written().toUtf8();
    QRandomGenerator random(12);
    for (int round = 0; round < 400; ++round) {
        QByteArray damaged = good.left(random.bounded(good.size() + 1));
        if (round % 2) {
            for (int i = 0; i < 5 && !damaged.isEmpty(); ++i)
                damaged[random.bounded(damaged.size())] = char(random.bounded(256));
        }
        const auto read = SmlReader(u"/w"_s, {}).read(damaged);
        QVERIFY(read.blocks.size() <= 3);
    }
    QByteArray noise(4096, '\0');
    for (char& b : noise)
        b = char(random.bounded(256));
    QVERIFY(!SmlReader(u"/w"_s, {}).read(noise).recognised);
    // A flood of records stops at the reader's limit.
    const QByteArray flood = "orvix</>f</>99999999</>t" + QByteArray("</>8").repeated(20000);
    QCOMPARE(int(SmlReader(u"/w"_s, {}).read(flood).blocks.size()), SmlReader::MaxBlocks);
    QVERIFY(SmlReader(u"/w"_s, {}).read("orvix</>" + noise).recognised);
}

void TestContentFile::hostilePhotoNamesAreNeverFetched_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fetched");
    QTest::newRow("plain") << u"kim117000000001.jpg"_s << true;
    QTest::newRow("korean blank") << u"사진 1.jpg"_s << true;
    QTest::newRow("parent") << u"../x.jpg"_s << false;
    QTest::newRow("dot dot") << u".."_s << false;
    QTest::newRow("slash") << u"a/b.jpg"_s << false;
    QTest::newRow("absolute") << u"/etc/passwd"_s << false;
    QTest::newRow("backslash") << u"..\\..\\x.jpg"_s << false;
    QTest::newRow("drive") << u"C:x.jpg"_s << false;
    QTest::newRow("NUL") << u"x\u0000.jpg"_s << false;
    QTest::newRow("line feed") << u"x\n.jpg"_s << false;
    QTest::newRow("settings file") << u"orvisys.sy1"_s << false;
    QTest::newRow("preview page") << u"PrevView.html"_s << false;
    QTest::newRow("content file") << u"mem000000000001.SML"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("too long") << QString(256, u'a') << false;
}

void TestContentFile::hostilePhotoNamesAreNeverFetched() {
    QFETCH(QString, name);
    QFETCH(bool, fetched);
    QStringList calls;
    const auto read =
        readBack(u"orvix</>f</>1</>t</>2<@>0<@>"_s + name + u"<@>100<@>0<@>0"_s, &calls);
    QCOMPARE(int(read.blocks.size()), 1); // the block is kept in any case
    QCOMPARE(read.blocks[0]->photo->name, name);
    QCOMPARE(calls, fetched ? QStringList{name + u" -> /work/"_s + name} : QStringList{});
    if (!fetched)
        QVERIFY(read.blocks[0]->photo->localPath.isEmpty() && !read.blocks[0]->photo->picture);
}

void TestContentFile::photosAreFetchedAndLoaded() {
    QTemporaryDir dir;
    QImage photo(1001, 300, QImage::Format_RGB32);
    photo.fill(Qt::red);
    const QString source = dir.filePath(u"source.png"_s);
    QVERIFY(photo.save(source));
    SmlReader reader(dir.path(), [&](const QString& name, const QString& path) {
        return name == u"ok.jpg" && QFile::copy(source, path);
    });
    const auto read =
        reader.read("orvix</>f</>2</>t</>2<@>0<@>ok.jpg<@>50<@>1<@>0</>2<@>1<@>gone.jpg<@>0");
    QCOMPARE(int(read.blocks.size()), 2);
    const CContentPhoto& ok = *read.blocks[0]->photo;
    QVERIFY(ok.picture);
    QCOMPARE(ok.localPath, dir.filePath(u"ok.jpg"_s));
    QCOMPARE(ok.height, 161);                 // 540 ÷ 1004 × 300 = 161.35
    QVERIFY(!read.blocks[1]->photo->picture); // a failed download: a block without picture
    QCOMPARE(read.blocks[1]->photo->height, 0);
}

void TestContentFile::numbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    const auto row = [](const char* text, int value) {
        QTest::addRow("%s", text) << QString::fromUtf8(text) << value;
    };
    row("12", 12);
    row(" \t7.9", 7);
    row("-3.7", -3);
    row("+4", 4);
    row("1e3", 1000);
    row("2.5E-1", 0);
    row("1e", 1);
    row("12abc", 12);
    row(".5", 0);
    row("5.", 5);
    row("-.9", 0);
    row("abc", 0);
    row("", 0);
    row("-", 0);
    row("0x10", 0);
    row("1e999", INT_MAX);
    row("-1e999", -INT_MAX);
    row("99999999999", INT_MAX);
}

void TestContentFile::numbers() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(SmlReader::number(text), value);
}

void TestContentFile::names() {
    QCOMPARE(ContentNames::newFileName(u"kim"_s, 12, -5), u"kim12-5"_s);
    QCOMPARE(ContentNames::newFileName(u"a&b=c,d"_s, 3, 1700000000), u"a_b_c_d31700000000"_s);
    QCOMPARE(ContentNames::mailboxFolder(12), u"mailbox/0000000012"_s);
    QCOMPARE(ContentNames::mailboxFolder(-12), u"mailbox/-000000012"_s);
    QCOMPARE(ContentNames::memberContentFile(7), u"mem000000000007.sml"_s);
    QCOMPARE(ContentNames::storeContentFile(31), u"st000000031.sml"_s);
    QCOMPARE(ContentNames::photoServerName(u"abc1234"_s, 2), u"abc12342.jpg"_s);
    QCOMPARE(ContentNames::usableFileName(u"kim 1%2#?"_s), u"kim 1_2__"_s);
    for (const QString& bad : {u".."_s, u"a/b"_s, u"c:d"_s, u""_s, u"x\ty"_s})
        QCOMPARE(ContentNames::usableFileName(bad), QString());
}

QTEST_MAIN(TestContentFile)
#include "tst_content_file.moc"
