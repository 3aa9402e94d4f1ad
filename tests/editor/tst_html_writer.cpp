// The export fragment and the preview page byte for byte, the neutralising of what members
// type, and the preview file.

#include "editor/content_model.h"
#include "editor/html_writer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;

namespace {

const HtmlWriter::Hosts kHosts{u"srv:8080"_s, u"img:80"_s};

// Two texts (the second linked), two photos (the second linked) and a document.
void fill(ContentModel& m, const QString& photoPath) {
    m.setLayout([](CContentText&) {});
    m.fileName = u"abc1234"_s;
    m.folder = u"mailbox/0000000012"_s;
    m.addText(u"Hi<b>&\r\nthere"_s);
    CContentText& t = *m.selected()->text;
    t.size = -16;
    t.bold = true;
    t.background = QColor(255, 0, 0);
    t.textColour = QColor(0, 0, 255);
    t.alignment = 1;
    m.addText(u"x"_s);
    m.selected()->link = u"http://a.kr/?q=1&r='2' \"3\"<4>"_s;
    m.addPhoto(photoPath, u"a.jpg"_s, 1);
    m.selected()->photo->widthPercent = 50;
    m.selected()->photo->alignment = 2;
    m.addPhoto(photoPath, u"a.jpg"_s, 1);
    m.selected()->link = u"http://l"_s;
    m.addDocument(u"re<po>rt&.pdf"_s, u"http://img/doc 1.PDF"_s, u"PDF"_s, u"c"_s);
    m.selected()->document->sizePercent = 50;
    for (const auto& block : m.blocks())
        block->index = 9;
}

const QString kTextStyle =
    u"background-color:#ff0000;color:#0000ff;text-align:center;font-style:normal;"
    "font-weight:bold;'>Hi[b] <br>there</p>\n"_s;
const QString kPlainStyle = u"background-color:#ffffff;color:#000000;text-align:left;"
                            "font-style:normal;font-weight:normal;'>x</p></a>\n"_s;
const QString kLink = u"http://a.kr/?q=1%26r=%272%27%20%223%22%3C4%3E"_s;
const QString kDocument =
    u"<p style='font-size:12px;background-color:#ffffff;color:#000000;text-align:left;"
    "font-style:normal;font-weight:normal;'>re[po]rt .pdf<image "
    "src='http://srv:8080/android/image/icon_txtview.png'></p></a>"_s;

} // namespace

class TestHtmlWriter : public QObject {
    Q_OBJECT
private slots:
    void exportFragment();
    void previewPage();
    void emptyContent();
    void neutralising_data();
    void neutralising();
    void previewFile();
};

void TestHtmlWriter::exportFragment() {
    ContentModel m;
    fill(m, u"/tmp/a.jpg"_s);
    const QString expected =
        u"<p style='font-size:16px;"_s + kTextStyle +
        u"<a href='javascript:viewinfo(\"navigate</>"_s + kLink +
        u"</>\")'><p style='font-size:16px;"_s + kPlainStyle +
        u"<a href='javascript:viewinfo(\"photoview</>http://img:80/image/mailbox/0000000012/"
        "abc12342.jpg\")'><p style='text-align:right'><image width='50%' "
        "src='http://img:80/image/mailbox/0000000012/abc12342.jpg'></p></a>"
        "<a href='javascript:viewinfo(\"navigate</>http://l</>\")'><p style='text-align:left'>"
        "<image width='100%' src='http://img:80/image/mailbox/0000000012/abc12343.jpg'></p></a>"
        "<a href='javascript:viewinfo(\"navigate</>http://img/doc%201.PDF</>\")'>"_s +
        kDocument;
    QCOMPARE(HtmlWriter::exportFragment(m, kHosts), expected);
    for (int i = 0; i < m.count(); ++i)
        QCOMPARE(m.block(i)->index, i);
    QCOMPARE(m.block(2)->photo->name, u"abc12342.jpg"_s);
    QCOMPARE(m.block(3)->photo->name, u"abc12343.jpg"_s);
}

void TestHtmlWriter::previewPage() {
    ContentModel m;
    fill(m, u"/tmp/my photos/it's 100%#1?.jpg"_s);
    const QString local = u"/tmp/my%20photos/it%27s%20100%25%231%3F.jpg"_s;
    const QString expected =
        u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\n"
        "<HTML><HEAD><TITLE> 미리보기 </TITLE>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "</HEAD><BODY>\n"
        "<p style='font-size:16;"_s +
        kTextStyle + u"<a href='"_s + kLink + u"'><p style='font-size:16;"_s + kPlainStyle +
        u"<p style='text-align:right'><image width='50%' src='"_s + local + u"'></p>"_s +
        u"<a href='http://l'><p style='text-align:left'><image width='100%' src='"_s + local +
        u"'></p></a><a href='http://img/doc%201.PDF'>"_s + kDocument + u"</body></html>"_s;
    QCOMPARE(HtmlWriter::previewPage(m, kHosts), expected);
    // The photos get their server names; the indexes stay as they were.
    QCOMPARE(m.block(3)->photo->name, u"abc12343.jpg"_s);
    QCOMPARE(m.block(0)->index, 9);
}

void TestHtmlWriter::emptyContent() {
    ContentModel m;
    QCOMPARE(HtmlWriter::exportFragment(m, kHosts), QString());
    QCOMPARE(HtmlWriter::previewPage(m, kHosts), HtmlWriter::previewHead() + u"</body></html>"_s);
}

void TestHtmlWriter::neutralising_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("asText");
    QTest::addColumn<QString>("asAddress");
    QTest::newRow("script") << u"<script>alert(1)</script>"_s << u"[script]alert(1)[/script]"_s
                            << u"%3Cscript%3Ealert(1)%3C/script%3E"_s;
    QTest::newRow("ampersand") << u"a&b&amp;"_s << u"a b amp;"_s << u"a%26b%26amp;"_s;
    QTest::newRow("quotes") << u"' onclick=\"x\""_s << u"' onclick=\"x\""_s
                            << u"%27%20onclick=%22x%22"_s;
    QTest::newRow("markers") << u"a</>b<@>"_s << u"a[/]b[@]"_s << u"a%3C/%3Eb%3C@%3E"_s;
    QTest::newRow("lines") << u"a\r\nb\tc"_s << u"a<br>b\tc"_s << u"a%0D%0Ab%09c"_s;
    QTest::newRow("korean") << u"한글 주소"_s << u"한글 주소"_s << u"한글%20주소"_s;
    QTest::newRow("escape kept") << u"http://x/?a=%20"_s << u"http://x/?a=%20"_s
                                 << u"http://x/?a=%20"_s;
}

void TestHtmlWriter::neutralising() {
    QFETCH(QString, typed);
    QFETCH(QString, asText);
    QFETCH(QString, asAddress);
    QCOMPARE(HtmlWriter::text(typed), asText);
    QCOMPARE(HtmlWriter::address(typed), asAddress);
    // No "&" ever reaches the HTML, so the form body that carries it is never split.
    ContentModel m;
    m.setLayout([](CContentText&) {});
    m.addText(typed);
    m.selected()->link = typed;
    m.addDocument(typed, typed, u"PDF"_s, typed);
    const QString html = HtmlWriter::exportFragment(m, kHosts);
    QVERIFY(!html.contains(u'&'));
    QVERIFY(!html.contains(u"<script"_s));
    // The templates' own quotes (anchor and paragraph of the text; anchor, paragraph and icon
    // of the document), and those typed in the two texts, where they end nothing.
    QCOMPARE(html.count(u'\''), 4 + 6 + 2 * typed.count(u'\''));
}

void TestHtmlWriter::previewFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"prevview.html"_s);
    const QString page = HtmlWriter::previewHead() + u"<p>가</p>\n"_s + HtmlWriter::previewTail();
    QVERIFY(HtmlWriter::writePreviewFile(path, page));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, QString(page).replace(u"\n"_s, u"\r\n"_s).toUtf8());
    QVERIFY(bytes.contains("charset=utf-8\">\r\n"));
    QCOMPARE(bytes.count("\r\n"), 6);
    QVERIFY(!HtmlWriter::writePreviewFile(dir.filePath(u"none/prevview.html"_s), page));
}

QTEST_MAIN(TestHtmlWriter)
#include "tst_html_writer.moc"
