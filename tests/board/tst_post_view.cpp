// The post view's and the opinion dialog's logic: the opinion files byte for byte, the HTML
// paragraph, the steps of saving an opinion, and what the post view sends and what each reply
// leads to.

#include "board/opinion_chain.h"
#include "board/opinion_text.h"
#include "board/post_view_state.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;

Q_DECLARE_METATYPE(OpinionText::Style)

namespace {

OpinionText::Style style(QColor background, QColor text, bool bold, bool italic, int size,
                         int align) {
    return {background, text, bold, italic, size, align};
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestPostView : public QObject {
    Q_OBJECT
private slots:
    void opinionFiles_data();
    void opinionFiles();
    void filesWrittenWholeOrNotAtAll();
    void opinionSteps();
    void postViewRequests();
    void replies_data();
    void replies();
};

void TestPostView::opinionFiles_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<OpinionText::Style>("style");
    QTest::addColumn<QByteArray>("tml");
    QTest::addColumn<QByteArray>("txt");
    QTest::addColumn<QString>("paragraph");
    QTest::addColumn<QString>("preview");

    const OpinionText::Style plain;
    QTest::newRow("angle brackets become square ones")
        << u"a<b>"_s << plain << "0</>0</>left</>0</>16777215</>16</>a[b]"_qba
        << "a[b]"_qba
        << u"<p style='font-size:16px;background-color:#ffffff;color:#000000;text-align:left;"
           u"font-style:normal;font-weight:normal;'>a[b]</p>"_s
        << u"<p style='font-size:16px;background-color:#ffffff;color:#000000;text-align:left;"
           u"font-style:normal;font-weight:normal;'>a[b]</p>"_s;
    QTest::newRow("red ground, bold italic, largest size, right")
        << u"x"_s << style(QColor(255, 0, 0), QColor(0, 0x80, 0x10), true, true, 24, 2)
        << "1</>1</>right</>1081344</>255</>32</>x"_qba
        << "x"_qba
        << u"<p style='font-size:32px;background-color:#ff0000;color:#008010;text-align:right;"
           u"font-style:italic;font-weight:bold;'>x</p>"_s
        << u"<p style='font-size:32px;background-color:#ff0000;color:#008010;text-align:right;"
           u"font-style:italic;font-weight:bold;'>x</p>"_s;
    QTest::newRow("smallest size, centre")
        << u"y"_s << style(Qt::white, Qt::black, false, false, 0, 1)
        << "0</>0</>center</>0</>16777215</>8</>y"_qba
        << "y"_qba
        << u"<p style='font-size:8px;background-color:#ffffff;color:#000000;text-align:center;"
           u"font-style:normal;font-weight:normal;'>y</p>"_s
        << u"<p style='font-size:8px;background-color:#ffffff;color:#000000;text-align:center;"
           u"font-style:normal;font-weight:normal;'>y</p>"_s;
    QTest::newRow("typed size and alignment select nothing")
        << u"z"_s << style(Qt::white, Qt::black, false, false, -1, -1)
        << "0</>0</>left</>0</>16777215</>7</>z"_qba
        << "z"_qba
        << u"<p style='font-size:7px;background-color:#ffffff;color:#000000;text-align:left;"
           u"font-style:normal;font-weight:normal;'>z</p>"_s
        << u"<p style='font-size:7px;background-color:#ffffff;color:#000000;text-align:left;"
           u"font-style:normal;font-weight:normal;'>z</p>"_s;
    // The text box separates lines with CR LF; text mode turns each LF into CR LF.
    QTest::newRow("two lines and an ampersand")
        << u"one & 한\r\ntwo"_s << plain
        << "0</>0</>left</>0</>16777215</>16</>one & \xed\x95\x9c\r\r\ntwo"_qba
        << "one & \xed\x95\x9c\r\r\ntwo"_qba
        << u"<p style='font-size:16px;background-color:#ffffff;color:#000000;text-align:left;"
           u"font-style:normal;font-weight:normal;'>one   한\r\ntwo</p>"_s
        << u"<p style='font-size:16px;background-color:#ffffff;color:#000000;text-align:left;"
           u"font-style:normal;font-weight:normal;'>one   한<br>two</p>"_s;
    QTest::newRow("empty text") << QString() << plain << "0</>0</>left</>0</>16777215</>16</>"_qba
                                << QByteArray()
                                << u"<p style='font-size:16px;background-color:#ffffff;"
                                   u"color:#000000;text-align:left;font-style:normal;"
                                   u"font-weight:normal;'></p>"_s
                                << u"<p style='font-size:16px;background-color:#ffffff;"
                                   u"color:#000000;text-align:left;font-style:normal;"
                                   u"font-weight:normal;'></p>"_s;
}

void TestPostView::opinionFiles() {
    QFETCH(QString, text);
    QFETCH(OpinionText::Style, style);
    QFETCH(QByteArray, tml);
    QFETCH(QByteArray, txt);
    QFETCH(QString, paragraph);
    QFETCH(QString, preview);
    QCOMPARE(OpinionText::tmlRecord(text, style), tml);
    QCOMPARE(OpinionText::txtContent(text), txt);
    QCOMPARE(OpinionText::paragraph(text, style), paragraph);
    QCOMPARE(OpinionText::previewParagraph(text, style), preview);
    QTemporaryDir dir;
    QVERIFY(OpinionText::writeFiles(dir.path(), u"1217"_s, text, style));
    QCOMPARE(readAll(dir.path() + u"/1217.tml"_s), tml);
    QCOMPARE(readAll(dir.path() + u"/1217.txt"_s), txt);
}

void TestPostView::filesWrittenWholeOrNotAtAll() {
    QTemporaryDir dir;
    // A folder that does not exist: neither file is written.
    QVERIFY(!OpinionText::writeFiles(dir.path() + u"/none"_s, u"n"_s, u"t"_s, {}));
    QVERIFY(!QDir(dir.path() + u"/none"_s).exists());
    // A second save replaces both files whole.
    QVERIFY(OpinionText::writeFiles(dir.path(), u"n"_s, u"a much longer first text"_s, {}));
    QVERIFY(OpinionText::writeFiles(dir.path(), u"n"_s, u"b"_s, {}));
    QCOMPARE(readAll(dir.path() + u"/n.txt"_s), "b"_qba);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{u"n.tml"_s, u"n.txt"_s}));
}

void TestPostView::opinionSteps() {
    using A = OpinionChain::Action;
    OpinionChain chain;
    chain.start();
    QCOMPARE(chain.step(), 0);
    // A reply before anything was registered belongs to no step.
    QCOMPARE(chain.reply(u"1"_s), A::None);
    QCOMPARE(chain.uploadFinished(), A::UploadText);
    QCOMPARE(chain.step(), 1);
    QCOMPARE(chain.uploadFinished(), A::Register);
    QCOMPARE(chain.step(), 2);
    QCOMPARE(chain.uploadFinished(), A::None);
    // A refused registration stops where it is.
    QCOMPARE(chain.reply(u"0</>x"_s), A::PhpError);
    QCOMPARE(chain.step(), 2);
    QCOMPARE(chain.reply(QString()), A::PhpError);
    QCOMPARE(chain.reply(u"1</>77</>more"_s), A::SendOpinion);
    QCOMPARE(chain.info(), u"77"_s);
    QCOMPARE(chain.step(), 3);
    QCOMPARE(chain.reply(u"2"_s), A::PhpError);
    QCOMPARE(chain.reply(u"1"_s), A::Close);
    // Saving again starts over.
    chain.start();
    QCOMPARE(chain.step(), 0);

    QCOMPARE(OpinionChain::registrationBody(u"dev"_s, u"<p style='a'>x y</p>"_s, u"121765"_s, -5),
             u"deviceid=dev&style=text&content=<p style='a'>x y</p>&file=121765&idate=-5&title=0&"
             u"imagefile=0"_s);
    QCOMPARE(OpinionChain::opinionBody(u"dev"_s, u"31"_s, u"77"_s),
             u"deviceid=dev&mailidx=31&info=77"_s);
    QCOMPARE(OpinionChain::fileName(u"12"_s, 1700000000), u"121700000000"_s);
    QCOMPARE(OpinionChain::mailboxFolder(u"37"_s), u"mailbox/0000000037"_s);
}

void TestPostView::postViewRequests() {
    PostViewState state({u"srv:8080"_s, u"dev"_s, u"kim"_s, u"pw"_s, u"12"_s});
    // Before any post: an empty address, as a reload then navigates.
    QVERIFY(state.pageAddress().isEmpty());
    QCOMPARE(state.open(u"31"_s),
             u"http://srv:8080/android/orviview_pc_new.php?deviceid=dev&mailidx=31"_s);
    QCOMPARE(state.viewedBody(), u"deviceid=dev&mailidx=31"_s);
    QCOMPARE(state.folder(), u"mailbox/0000000012"_s);
    // Opening another post replaces the mail index, the page address and the folder.
    state.setSession({u"srv:8080"_s, u"dev"_s, u"kim"_s, u"pw"_s, u"13"_s});
    state.open(u"32"_s);
    QCOMPARE(state.mailIndex(), u"32"_s);
    QCOMPARE(state.pageAddress(),
             u"http://srv:8080/android/orviview_pc_new.php?deviceid=dev&mailidx=32"_s);
    QCOMPARE(state.folder(), u"mailbox/0000000013"_s);
    QCOMPARE(
        state.areaListAddress(),
        u"http://srv:8080/android/orvixarealist_windows.php?deviceid=dev&id=kim&password=pw"_s);

    QCOMPARE(state.nameImage(7, u"png"_s), u"137.png"_s);
    QCOMPARE(state.photoRegistrationBody(),
             u"deviceid=dev&mailidx=32&imgfile=137.png&forder=mailbox/0000000013"_s);
    // The info update carries the last opinion, empty when none was written.
    QCOMPARE(state.infoUpdateBody(), u"deviceid=dev&mailidx=32&info="_s);
    state.setOpinionInfo(u"77"_s);
    QCOMPARE(state.infoUpdateBody(), u"deviceid=dev&mailidx=32&info=77"_s);
    // What the member typed never splits the form.
    QCOMPARE(state.documentBody(u"http://h/image/document/13/1.PDF"_s, u"a&b|c.pdf"_s,
                                u"one & two | three"_s),
             u"deviceid=dev&mailidx=32&content=http://h/image/document/13/1.PDF|a b c.pdf|one   "
             u"two | three"_s);
}

void TestPostView::replies_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("next");
    using N = PostViewState::Next;
    QTest::newRow("viewed") << 3 << u"1"_s << int(N::RequestPostList);
    QTest::newRow("info update with more fields") << 3 << u"1</>x"_s << int(N::RequestPostList);
    QTest::newRow("photo registration") << 4 << u"1"_s << int(N::ReloadAndInfoUpdate);
    QTest::newRow("document registration") << 5 << u"1"_s << int(N::ReloadAndInfoUpdate);
    QTest::newRow("unknown kind") << 9 << u"1"_s << int(N::Nothing);
    QTest::newRow("refused photo") << 4 << u"0"_s << int(N::PhpError);
    QTest::newRow("empty reply") << 3 << QString() << int(N::PhpError);
    QTest::newRow("one and more") << 5 << u"10"_s << int(N::PhpError);
}

void TestPostView::replies() {
    QFETCH(int, kind);
    QFETCH(QString, reply);
    QFETCH(int, next);
    QCOMPARE(int(PostViewState::onReply(kind, reply)), next);
}

QTEST_GUILESS_MAIN(TestPostView)
#include "tst_post_view.moc"
