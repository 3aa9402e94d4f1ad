// Bubbles and the conversation's arithmetic: the text layout's passes, photo heights, the
// stacking of messages, hit tests, and the pixels of a drawn bubble with its tail.

#include "app/fonts.h"
#include "chat/chat_conversation.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/image_object.h"
#include "chat/text_object.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;

namespace {

int lineHeight() {
    CTextObject object;
    object.Set(12, 300, ChatMessage::FontFace, {});
    return QFontMetrics(object.font()).height();
}

std::unique_ptr<ChatMessage> textMessage(const QString& text, int side = ChatMessage::Own) {
    auto message = std::make_unique<ChatMessage>();
    message->SetContent(ChatMessage::Text, text, u"2026-12-06 09:05"_s, side, QString());
    return message;
}

} // namespace

class TestChatBubbles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutes(); }
    void textLayout_data();
    void textLayout();
    void longWordsBreakWhereTheWidthIsPassed();
    void photoHeights_data();
    void photoHeights();
    void stackingHitTestsAndRelayout();
    void bubblePixelsWithTail_data();
    void bubblePixelsWithTail();
};

void TestChatBubbles::textLayout_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("measuredLines"); // lines whose height is measured; -1: 6 + 12 only

    QTest::newRow("empty") << QString() << QStringList{QString()} << -1;
    QTest::newRow("one character") << u"A"_s << QStringList{u"A"_s} << -1;
    QTest::newRow("two characters: no passes, measured") << u"AB"_s << QStringList{u"AB"_s} << 1;
    // A, CR ends line 0 and the LF after it goes too; B is measured; the rest is line 1.
    QTest::newRow("A CR LF B C") << u"A\r\nBC"_s << QStringList{u"A"_s, u"BC"_s} << 2;
    QTest::newRow("LF alone") << u"ab\ncd"_s << QStringList{u"ab"_s, u"cd"_s} << 2;
    QTest::newRow("CR alone") << u"ab\rcd"_s << QStringList{u"ab"_s, u"cd"_s} << 2;
    QTest::newRow("empty lines") << u"\r\n\r\n\r\n"_s << QStringList{{}, {}, {}, {}} << 4;
    // The passes end two characters early: a break among the last two stays in the last line.
    QTest::newRow("break near the end") << u"abc\nd"_s << QStringList{u"abc\nd"_s} << 1;
    // Characters without width never pass the wrap width: a line ends after 1,024 of them.
    QTest::newRow("no width") << QString(3000, QChar(0x200B))
                              << QStringList{QString(1024, QChar(0x200B)),
                                             QString(1024, QChar(0x200B)),
                                             QString(952, QChar(0x200B))}
                              << 3;
    QTest::newRow("fifty lines at most")
        << u"x\n"_s.repeated(60) << QStringList(49, u"x"_s) + QStringList{u"x\n"_s.repeated(11)}
        << 50;
}

void TestChatBubbles::textLayout() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(int, measuredLines);
    CTextObject object;
    object.Set(12, 300, ChatMessage::FontFace, text);
    object.Layout();
    QCOMPARE(object.lines(), lines);
    QCOMPARE(object.lineCount(), lines.size());
    QCOMPARE(object.height(), measuredLines < 0 ? 6 + 12 : measuredLines * (6 + lineHeight()));
    QCOMPARE(object.bubbleHeight(), object.height() + 20);
    QCOMPARE(object.bubbleWidth(), 300 + 50);
}

void TestChatBubbles::longWordsBreakWhereTheWidthIsPassed() {
    for (const QString& word :
         {u"W"_s.repeated(200), u"한국어"_s.repeated(40), u"i."_s.repeated(150)}) {
        CTextObject object;
        object.Set(12, 300, ChatMessage::FontFace, word);
        object.Layout();
        const QFontMetrics metrics(object.font());
        QVERIFY(object.lineCount() > 1);
        QCOMPARE(object.lines().join(QString()), word);
        // Every line but the last is wider than the wrap width only by its last character,
        // which made it too wide and stays on it.
        for (int i = 0; i < object.lineCount() - 1; ++i) {
            const QString& line = object.lines()[i];
            QVERIFY2(metrics.horizontalAdvance(line) > 300, qPrintable(line));
            QVERIFY2(metrics.horizontalAdvance(line.chopped(1)) <= 300, qPrintable(line));
        }
    }
}

void TestChatBubbles::photoHeights_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QString>("names");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("second");

    QTest::newRow("1000 x 750 at 200")
        << QSize(1000, 750) << u"cA.png|A.png"_s << 150 << u"A.png"_s;
    // 1001 is stored as 1004 wide: 200 / 1004 in single precision × 700.
    QTest::newRow("stored width") << QSize(1001, 700) << u"cB.png|B.png"_s << 139 << u"B.png"_s;
    QTest::newRow("no bar") << QSize(400, 100) << u"cC.png"_s << 50 << QString();
    QTest::newRow("missing thumbnail") << QSize() << u"cnone.png|none.png"_s << 0 << u"none.png"_s;
    QTest::newRow("name leading out") << QSize(400, 100) << u"../cD.png|D.png"_s << 0 << u"D.png"_s;
}

void TestChatBubbles::photoHeights() {
    QFETCH(QSize, picture);
    QFETCH(QString, names);
    QFETCH(int, height);
    QFETCH(QString, second);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(u"work"_s);
    const QString work = dir.filePath(u"work"_s);
    const QString first = names.section(u'|', 0, 0);
    if (picture.isValid()) {
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::blue);
        // The file of a name that leads out of the folder exists there too: it must not be used.
        QVERIFY(image.save(QDir(work).filePath(first)));
    }
    CImageObject photo;
    photo.Set(200, names, work);
    QCOMPARE(photo.height(), height);
    QCOMPARE(photo.secondName(), second);
    QCOMPARE(photo.bubbleWidth(), 250);
    QCOMPARE(photo.bubbleHeight(), height + 20);
    QCOMPARE(photo.picture() != nullptr, height > 0);
}

void TestChatBubbles::stackingHitTestsAndRelayout() {
    // Three one-character messages: H = 6 + 12, M = 10, each 78 high: 234 in all.
    ChatMessageList list;
    for (int i = 0; i < 3; ++i)
        list.append(textMessage(u"x"_s));
    QCOMPARE(list.total(), 234);
    QCOMPARE(list.at(0).top(), 10);
    QCOMPARE(list.at(2).top(), 166);
    ChatConversation conversation;
    conversation.show(u"7"_s, u"3"_s, &list);
    QVERIFY(!conversation.Relayout(400));
    QCOMPARE(conversation.contentHeight(), 400); // fits: the background fills the view
    QCOMPARE(conversation.scrollPosition(), 0);

    // Hits strictly inside a slot, with the scroll position added.
    const struct {
        int y;
        int scroll;
        int index; // -1: nothing
    } hits[] = {{10, 0, -1}, {11, 0, 0},   {87, 0, 0},   {88, 0, -1}, {89, 0, 1},
                {243, 0, 2}, {244, 0, -1}, {300, 0, -1}, {1, 10, 0},  {0, 10, -1}};
    for (const auto& hit : hits) {
        ChatMessage* found = conversation.HitTest(hit.y, hit.scroll);
        QCOMPARE(found, hit.index < 0 ? nullptr : &list.at(hit.index));
        QCOMPARE(conversation.scrollPosition(), hit.scroll);
    }

    // A long fourth message passes 400: the view scrolls to the total.
    list.append(textMessage(u"long text "_s.repeated(40)));
    QVERIFY(conversation.Relayout(400));
    QCOMPARE(conversation.contentHeight(), list.total());
    QCOMPARE(conversation.scrollPosition(), list.total());
    QCOMPARE(list.visibleRange(0, 88), std::make_pair(0, 1));
    QCOMPARE(list.visibleRange(0, 89), std::make_pair(0, 2));
    QCOMPARE(list.visibleRange(244, 245), std::make_pair(3, 4));
    QCOMPARE(list.visibleRange(10000, 10400), std::make_pair(4, 4));

    // The wheel: 20 pixels a notch, kept within the content.
    QCOMPARE(conversation.wheel(-120, 0), 20);
    QCOMPARE(conversation.wheel(120, 10), 0);
    QCOMPARE(conversation.wheel(-120, list.total() - 5), list.total());
    ChatConversation empty;
    QVERIFY(!empty.Relayout(400));
    QCOMPARE(empty.HitTest(50, 0), nullptr);
}

void TestChatBubbles::bubblePixelsWithTail_data() {
    QTest::addColumn<int>("side");
    QTest::newRow("own: green, tail right") << 1;
    QTest::newRow("partner: white, tail left") << 2;
}

void TestChatBubbles::bubblePixelsWithTail() {
    QFETCH(int, side);
    const auto message = textMessage(u"A"_s, side);
    const CTextObject& bubble = *message->textBubble();
    QImage image(500, 100, QImage::Format_RGB32);
    const QColor ground(200, 200, 200);
    image.fill(ground);
    QPainter painter(&image);
    const int x = 50;
    const int y = 20;
    bubble.Draw(painter, x, y, side);
    painter.end();
    const QColor fill = side == 1 ? QColor(0, 255, 0) : QColor(255, 255, 255);
    const QColor border(127, 127, 127);
    const int right = x + 350; // W + 5M: outside the bubble, where the right tail starts
    const int bottom = y + 38; // H + 2M

    // Outline on the first and last inner rows and columns, fill inside, nothing outside.
    QCOMPARE(image.pixelColor(x + 100, y), border);
    QCOMPARE(image.pixelColor(x + 100, bottom - 1), border);
    QCOMPARE(image.pixelColor(x + 100, bottom), ground);
    QCOMPARE(image.pixelColor(x + 300, y + 30), fill);
    QCOMPARE(image.pixelColor(x + 100, y - 1), ground);
    // The tail: its tip 8 pixels out at y + 14, its edge in the border colour, its inside and
    // the part that covers the bubble's outline in the fill colour.
    const int edge = side == 1 ? right : x;
    const int out = side == 1 ? 1 : -1;
    QCOMPARE(image.pixelColor(edge + 8 * out, y + 14), border);
    QCOMPARE(image.pixelColor(edge + 9 * out, y + 14), ground);
    QCOMPARE(image.pixelColor(edge + 3 * out, y + 14), fill);
    QCOMPARE(image.pixelColor(edge + 7 * out, y + 13), border);
    QCOMPARE(image.pixelColor(edge, y + 10), border);
    QCOMPARE(image.pixelColor(edge + 3 * out, y + 9), ground);
    const int inner = side == 1 ? right - 1 : x; // the bubble's outline column under the tail
    QCOMPARE(image.pixelColor(inner - 0 * out, y + 14), fill);
    QCOMPARE(image.pixelColor(inner, y + 25), border);
    // The other side has no tail; the text is black, inside the margin.
    const int otherEdge = side == 1 ? x - 3 : right + 3;
    QCOMPARE(image.pixelColor(otherEdge, y + 14), ground);
    bool ink = false;
    for (int px = x + 10; px < x + 22; ++px) {
        for (int py = y + 10; py < y + 28; ++py)
            ink = ink || image.pixelColor(px, py) == QColor(Qt::black);
    }
    QVERIFY(ink);
}

QTEST_MAIN(TestChatBubbles)
#include "tst_chat_bubbles.moc"
