// The board's scripts and pages over real sockets: the post list (fields, order, counts, new
// flags, the reply limit), opening a post, opinions, photos, documents and contents attached to
// posts, refusals that change nothing, the post page and the area list (escaping, the allowlist
// for stored HTML), the add-post command and the demo posts.

#include "server/admin/admin_commands.h"
#include "server/core/server_context.h"
#include "server/pages/board/opinion_file.h"
#include "server/pages/board/stored_html.h"
#include "server/scripts/board/board_demo.h"
#include "server/scripts/board/board_store.h"
#include "server/scripts/board/post_document_script.h"
#include "server/scripts/board/post_list_script.h"
#include "server/scripts/board/post_registration.h"
#include "server_test_support.h"
#include "support/http_peer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;

namespace {

const QString kList = u"/android/pcorvixlist.php"_s;
const QString kViewed = u"/android/orviviewupdate.php"_s;
const QString kInfo = u"/android/orwriteinfo_android.php"_s;
const QString kTextUpdate = u"/android/orwrtextupdate_new.php"_s;
const QString kOpinion = u"/android/orwritetext_android_new.php"_s;
const QString kPhoto = u"/android/upimageorvi_new_pc.php"_s;
const QString kDocument = u"/android/orwritedoc_new.php"_s;
const QString kPage = u"/android/orviview_pc_new.php"_s;
const QString kAreas = u"/android/orvixarealist_windows.php"_s;

QByteArray jpeg(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "jpeg").write(image);
    return bytes;
}

// A server with two members signed in on their PCs, and the board's store beside it. Only the
// area list checks passwords; elsewhere the members get no real password hash, which is slow
// to make.
struct Board {
    ServerFixture f;
    BoardStore store{f.context().database()};
    qint64 kim = 0;
    qint64 lee = 0;
    QString kimDevice;
    QString leeDevice;

    explicit Board(bool passwords = false) {
        kim = addMember(u"kim"_s, passwords);
        lee = addMember(u"lee"_s, passwords);
        kimDevice = f.context().pcAccess().admit(kim, true).deviceId;
        leeDevice = f.context().pcAccess().admit(lee, true).deviceId;
    }

    qint64 addMember(const QString& id, bool password) {
        if (password)
            return f.addMember(id, u"pw-"_s + id);
        return f.context().members().add(id, u"-"_s, id, nullptr)->memberNo;
    }
    QString post(const QString& path, const QString& body) {
        return QString::fromUtf8(
            bodyOf(httpExchange(f.httpPort(), clientRequest(path, body.toUtf8()))));
    }
    QString list(const QString& device) { return post(kList, u"deviceid=%1&id=x"_s.arg(device)); }
    // A GET of a page: the status line's code and the body.
    std::pair<int, QString> page(const QString& pathAndQuery) {
        const QByteArray reply = httpExchange(f.httpPort(), getRequest(pathAndQuery));
        return {reply.mid(9, 3).toInt(), QString::fromUtf8(bodyOf(reply))};
    }
    qint64 addPost(qint64 owner, const QString& title, qint64 at = 1000) {
        return *store.addPost(owner, title, {}, std::nullopt, at, nullptr);
    }
    // A registered opinion, as the content script stores it, with its ".tml" file.
    qint64 opinion(qint64 writer, const QString& text, const QByteArray& tml = {}) {
        ContentRecord content;
        content.memberNo = writer;
        content.style = u"text"_s;
        content.fileName = u"%1op%2"_s.arg(writer).arg(++m_opinions);
        content.title = u"0"_s;
        content.html = u"<p style='font-size:16px;'>%1</p>"_s.arg(text);
        if (!tml.isEmpty()) {
            writeFile(u"%1/%2/%3.tml"_s.arg(f.imageRoot(), BoardStore::mailboxFolder(writer),
                                            content.fileName),
                      tml);
        }
        content.createdAt = 2000;
        return *store.contents().add(content);
    }
    // What the board holds, to tell that a refused request changed nothing.
    QString snapshot() {
        QString text = list(kimDevice) + u"|"_s + list(leeDevice);
        for (qint64 mail = 1; mail <= 3; ++mail) {
            const auto entries = store.entries(mail);
            text += u"|%1"_s.arg(entries ? entries->size() : -1);
        }
        return text;
    }

private:
    int m_opinions = 0;
};

QString line(qint64 mail, qint64 mailbox, const QString& title, int opinions, int members,
             bool isNew, const QString& photo, const QString& host, const QString& owner) {
    return u"%1#%2####%3#%4#%5#%6##%7#%8#%9"_s.arg(mail)
        .arg(mailbox)
        .arg(title)
        .arg(opinions)
        .arg(members)
        .arg(isNew ? 1 : 0)
        .arg(photo, host, owner);
}

} // namespace

class TestServerBoard : public QObject {
    Q_OBJECT
private slots:
    void storedHtml_data();
    void storedHtml();
    void opinionFile_data();
    void opinionFile();
    void listCountsNewFlagsAndOrder();
    void opinionsPhotosDocumentsAndContents();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void listStaysWithinTheReplyLimit();
    void postPage();
    void areaList();
    void addPostCommand();
    void demoBoard();
};

void TestServerBoard::storedHtml_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    const QString textBlock =
        u"<p style='font-size:16px;background-color:#ffffff;color:#000000;text-align:center;"
        u"font-style:italic;font-weight:bold;'>Hello<br>there</p>\n"_s;
    QTest::newRow("text block of the editor")
        << textBlock
        << u"<p style=\"font-size:16px;background-color:#ffffff;color:#000000;text-align:center;"
           u"font-style:italic;font-weight:bold;\">Hello<br>there</p>\n"_s;
    QTest::newRow("linked text block")
        << u"<a href='javascript:viewinfo(\"navigate</>http://example.com/a?b=1</>\")'><p "
           u"style='font-size:12px;'>x</p></a>"_s
        << u"<a href=\"http://example.com/a?b=1\"><p style=\"font-size:12px;\">x</p></a>"_s;
    QTest::newRow("link without scheme")
        << u"<a href='javascript:viewinfo(\"navigate</>www.example.com</>\")'>x</a>"_s
        << u"<a href=\"http://www.example.com\">x</a>"_s;
    QTest::newRow("photo block")
        << u"<a href='javascript:viewinfo(\"photoview</>http://h:81/image/mailbox/0000000001/"
           u"a0.jpg\")'><p style='text-align:right'><image width='50%' "
           u"src='http://h:81/image/mailbox/0000000001/a0.jpg'></p></a>"_s
        << u"<a href=\"http://h:81/image/mailbox/0000000001/a0.jpg\"><p style=\"text-align:right;"
           u"\"><img src=\"http://h:81/image/mailbox/0000000001/a0.jpg\" width=\"50%\" alt=\"\">"
           u"</p></a>"_s;
    QTest::newRow("opinion paragraph, preview sizes without unit")
        << u"<p style='font-size:7;background-color:#ff0000;color:#00ff00;'>a[b]</p>"_s
        << u"<p style=\"font-size:7px;background-color:#ff0000;color:#00ff00;\">a[b]</p>"_s;
    QTest::newRow("script shown as text")
        << u"<script>alert(1)</script>"_s << u"&lt;script&gt;alert(1)&lt;/script&gt;"_s;
    QTest::newRow("event attribute")
        << u"<p onclick='x()'>t</p>"_s << u"&lt;p onclick=&#39;x()&#39;&gt;t&lt;/p&gt;"_s;
    QTest::newRow("image with an event")
        << u"<img src='http://h/a.jpg' onerror='x()'>"_s
        << u"&lt;img src=&#39;http://h/a.jpg&#39; onerror=&#39;x()&#39;&gt;"_s;
    QTest::newRow("javascript link")
        << u"<a href='javascript:alert(1)'>x</a>"_s
        << u"&lt;a href=&#39;javascript:alert(1)&#39;&gt;x&lt;/a&gt;"_s;
    QTest::newRow("viewinfo leading to javascript")
        << u"<a href='javascript:viewinfo(\"navigate</>javascript:alert(1)</>\")'>x</a>"_s
        << u"&lt;a href=&#39;javascript:viewinfo(&quot;navigate&lt;/&gt;javascript:alert(1)&lt;/"
           u"&gt;&quot;)&#39;&gt;x&lt;/a&gt;"_s;
    QTest::newRow("data picture") << u"<image src='data:image/png;base64,AAAA'>"_s
                                  << u"&lt;image src=&#39;data:image/png;base64,AAAA&#39;&gt;"_s;
    QTest::newRow("quote in an address is encoded")
        << u"<a href='http://h/a\"onmouseover=x'>y</a>"_s
        << u"<a href=\"http://h/a%22onmouseover=x\">y</a>"_s;
    QTest::newRow("style declarations filtered")
        << u"<p style='color:red;background-image:url(x);font-size:99999px;"
           u"font-weight:bold;color:#123'>z</p>"_s
        << u"<p style=\"font-weight:bold;color:#123;\">z</p>"_s;
    QTest::newRow("unclosed elements closed at the end")
        << u"<a href='https://h/'><p>open"_s << u"<a href=\"https://h/\"><p>open</p></a>"_s;
    QTest::newRow("stray closing tag") << u"</div>x</p>"_s << u"&lt;/div&gt;x&lt;/p&gt;"_s;
    QTest::newRow("nested link") << u"<a href='http://a/'><a href='http://b/'>x</a></a>"_s
                                 << u"<a href=\"http://a/\">&lt;a href=&#39;http://b/&#39;&gt;x"
                                    u"</a>&lt;/a&gt;"_s;
    QTest::newRow("references pass, lone ampersand shown")
        << u"a &amp; b &#65; &#x42; & c &bogus"_s << u"a &amp; b &#65; &#x42; &amp; c &amp;bogus"_s;
    QTest::newRow("unterminated tag") << u"x <p style='a"_s << u"x &lt;p style=&#39;a"_s;
    QTest::newRow("upper case tags and br") << u"<P>a<BR/>b<br >c</P>"_s << u"<p>a<br>b<br>c</p>"_s;
    QTest::newRow("own image tree") << u"<img src='/image/a/b.jpg'><img src='/image/../x'>"_s
                                    << u"<img src=\"/image/a/b.jpg\" alt=\"\">&lt;img "
                                       u"src=&#39;/image/../x&#39;&gt;"_s;
}

void TestServerBoard::storedHtml() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QCOMPARE(StoredHtml::render(stored), shown);
}

void TestServerBoard::opinionFile_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("html");
    const QString style = u"<p class=\"opinion\" style=\"font-size:%1px;background-color:%2;"
                          u"color:%3;text-align:%4;font-style:%5;font-weight:%6;\">%7</p>"_s;
    QTest::newRow("as the dialog writes it")
        << u"1</>0</>center</>255</>65280</>20</>a[b] & <i>\r\r\nnext"_s.toUtf8()
        << style.arg(u"20"_s, u"#00ff00"_s, u"#ff0000"_s, u"center"_s, u"italic"_s, u"normal"_s,
                     u"a[b] &amp; &lt;i&gt;<br>next"_s);
    QTest::newRow("values out of their kind")
        << "0</>7</>left;color:red</>-1</>16777216</>0</>x"_qba
        << style.arg(u"1"_s, u"#000000"_s, u"#ffffff"_s, u"left"_s, u"normal"_s, u"bold"_s, u"x"_s);
    QTest::newRow("too few fields") << "1</>0</>left"_qba << QString();
}

void TestServerBoard::opinionFile() {
    QFETCH(QByteArray, file);
    QFETCH(QString, html);
    const auto opinion = OpinionFile::parse(file);
    QCOMPARE(opinion.has_value(), !html.isEmpty());
    if (!opinion)
        return;
    QCOMPARE(opinion->html(), html);
    // Written back, the record reads the same.
    QCOMPARE(OpinionFile::parse(opinion->toBytes())->html(), html);
}

void TestServerBoard::listCountsNewFlagsAndOrder() {
    Board b;
    QVERIFY(b.f.running());
    const QString host = u"127.0.0.1:%1"_s.arg(b.f.httpPort());
    QCOMPARE(b.list(b.kimDevice), u"1</>0"_s);
    const qint64 first = b.addPost(b.kim, u"First # post </> of kim"_s);
    const qint64 second = b.addPost(b.lee, u"Lee's 두번째"_s);
    // Newest change first; the owner has seen their own post, the other member not.
    QCOMPARE(b.list(b.kimDevice),
             u"1</>2</>"_s +
                 line(second, b.lee, u"Lee's 두번째"_s, 0, 1, true, u"0"_s, host, u"lee"_s) +
                 u"</>"_s +
                 line(first, b.kim, u"First ＃ post < /> of kim"_s, 0, 1, false, u"0"_s, host,
                      u"kim"_s));

    // Opening a post joins it and clears its new flag for that member only; the order stays.
    QCOMPARE(b.post(kViewed, u"deviceid=%1&mailidx=%2"_s.arg(b.kimDevice).arg(second)), u"1"_s);
    QCOMPARE(b.post(kViewed, u"deviceid=%1&mailidx=%2"_s.arg(b.kimDevice).arg(second)), u"1"_s);
    QVERIFY(
        b.list(b.kimDevice)
            .contains(line(second, b.lee, u"Lee's 두번째"_s, 0, 2, false, u"0"_s, host, u"lee"_s)));
    QVERIFY(b.list(b.kimDevice).indexOf(u"</>%1#"_s.arg(second)) <
            b.list(b.kimDevice).indexOf(u"</>%1#"_s.arg(first)));

    // An opinion of lee on kim's post: first in the list, new to kim, not to lee.
    const qint64 op = b.opinion(b.lee, u"hi"_s);
    QCOMPARE(
        b.post(kOpinion, u"deviceid=%1&mailidx=%2&info=%3"_s.arg(b.leeDevice).arg(first).arg(op)),
        u"1"_s);
    const QString kimList = b.list(b.kimDevice);
    QVERIFY2(kimList.startsWith(u"1</>2</>%1#"_s.arg(first)), qPrintable(kimList));
    QVERIFY(kimList.contains(u"#1#2#1##0#"_s)); // 1 opinion, 2 members, new
    QVERIFY(b.list(b.leeDevice).contains(u"#1#2#0##0#"_s));
}

void TestServerBoard::opinionsPhotosDocumentsAndContents() {
    Board b;
    QVERIFY(b.f.running());
    const qint64 mail = b.addPost(b.kim, u"Trip"_s);
    const QString who = u"deviceid=%1&mailidx=%2"_s.arg(b.leeDevice).arg(mail);
    const qint64 op = b.opinion(b.lee, u"nice"_s);

    // The post view's chain after an opinion: the opinion, then the info update with it.
    QCOMPARE(b.post(kOpinion, who + u"&info=%1"_s.arg(op)), u"1"_s);
    QCOMPARE(b.post(kTextUpdate, who + u"&info=%1"_s.arg(op)), u"1"_s);
    QCOMPARE(b.post(kOpinion, who + u"&info=%1"_s.arg(op)), u"1"_s);
    // An info update with no opinion written changes nothing and is accepted.
    QCOMPARE(b.post(kTextUpdate, who + u"&info="_s), u"1"_s);
    QCOMPARE(b.post(kInfo, who + u"&info="_s), u"1"_s);

    // A photo uploaded to lee's mailbox folder; only the owner's photo becomes the post's.
    const QString folder = BoardStore::mailboxFolder(b.lee);
    QVERIFY(writeFile(b.f.imageRoot() + u"/"_s + folder + u"/27.png"_s, jpeg(8, 8, Qt::red)));
    QCOMPARE(b.post(kPhoto, who + u"&imgfile=27.png&forder=%1"_s.arg(folder)), u"1"_s);
    const QString kimFolder = BoardStore::mailboxFolder(b.kim);
    QVERIFY(writeFile(b.f.imageRoot() + u"/"_s + kimFolder + u"/15.jpg"_s, jpeg(8, 8, Qt::blue)));
    QCOMPARE(b.post(kPhoto, u"deviceid=%1&mailidx=%2&imgfile=15.jpg&forder=%3"_s.arg(b.kimDevice)
                                .arg(mail)
                                .arg(kimFolder)),
             u"1"_s);
    QVERIFY(b.list(b.kimDevice).contains(u"##15.jpg#"_s));

    // A document, its comment holding "|", and a content written with the editor.
    QCOMPARE(b.post(kDocument, who + u"&content=http://h/image/document/2/r.PDF|report.pdf|a|b"_s),
             u"1"_s);
    ContentRecord content{0, b.lee, u"replayinfo"_s, u"c1"_s, u"Plan"_s, u"<p>day one</p>"_s, {},
                          0, 10};
    const qint64 contentNo = *b.store.contents().add(content);
    QCOMPARE(b.post(kInfo, who + u"&info=%1"_s.arg(contentNo)), u"1"_s);
    QCOMPARE(b.post(kTextUpdate, who + u"&info=%1"_s.arg(contentNo)), u"1"_s);

    const auto entries = b.store.entries(mail);
    QVERIFY(entries);
    QList<PostEntry::Kind> kinds;
    for (const PostEntry& entry : *entries)
        kinds.append(entry.kind);
    using K = PostEntry::Kind;
    QCOMPARE(kinds, (QList<K>{K::Opinion, K::Photo, K::Photo, K::Document, K::Content}));
    QCOMPARE(entries->at(1).body, folder + u"/27.png"_s);
    QCOMPARE(entries->at(3).body, u"http://h/image/document/2/r.PDF|report.pdf|a|b"_s);
    const auto document = PostDocumentScript::split(entries->at(3).body);
    QCOMPARE(document.comment, u"a|b"_s);
    QCOMPARE(document.fileName, u"report.pdf"_s);
    // Both members wrote; the opinion count counts opinions only.
    QVERIFY(b.list(b.kimDevice).contains(u"#Trip#1#2#"_s));
}

void TestServerBoard::refusalsChangeNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("body"); // %1 lee's device, %2 lee's folder, %3 kim's opinion
    const QString lee = u"deviceid=%1&mailidx=1"_s;
    QTest::newRow("list, unknown device") << kList << u"deviceid=nobody&id=lee"_s;
    QTest::newRow("list, no device") << kList << u"id=lee"_s;
    QTest::newRow("viewed, unknown post") << kViewed << u"deviceid=%1&mailidx=99"_s;
    QTest::newRow("viewed, mail index not a number") << kViewed << u"deviceid=%1&mailidx=1x"_s;
    QTest::newRow("viewed, negative") << kViewed << u"deviceid=%1&mailidx=-1"_s;
    QTest::newRow("opinion, no info") << kOpinion << lee + u"&info="_s;
    QTest::newRow("opinion of another member") << kOpinion << lee + u"&info=%3"_s;
    QTest::newRow("opinion, token names nothing") << kOpinion << lee + u"&info=777"_s;
    QTest::newRow("content, not a content") << kInfo << lee + u"&info=abc"_s;
    QTest::newRow("update, another member's") << kTextUpdate << lee + u"&info=%3"_s;
    QTest::newRow("photo, another folder")
        << kPhoto << lee + u"&imgfile=p.jpg&forder=mailbox/0000000001"_s;
    QTest::newRow("photo, climbing out") << kPhoto << lee + u"&imgfile=../../orvix.db&forder=%2"_s;
    QTest::newRow("photo, missing file") << kPhoto << lee + u"&imgfile=none.jpg&forder=%2"_s;
    QTest::newRow("photo, not a picture") << kPhoto << lee + u"&imgfile=text.jpg&forder=%2"_s;
    QTest::newRow("photo, spelled folder") << kPhoto << lee + u"&imgfile=p.jpg&folder=%2"_s;
    QTest::newRow("document, no address") << kDocument << lee + u"&content=|name.pdf|c"_s;
    QTest::newRow("document, unknown post")
        << kDocument << u"deviceid=%1&mailidx=5&content=http://h/x.pdf|x|y"_s;
}

void TestServerBoard::refusalsChangeNothing() {
    QFETCH(QString, path);
    QFETCH(QString, body);
    Board b;
    QVERIFY(b.f.running());
    b.addPost(b.kim, u"Kim's post"_s);
    const QString folder = BoardStore::mailboxFolder(b.lee);
    QVERIFY(writeFile(b.f.imageRoot() + u"/"_s + folder + u"/p.jpg"_s, jpeg(4, 4, Qt::green)));
    QVERIFY(writeFile(b.f.imageRoot() + u"/"_s + folder + u"/text.jpg"_s, "not a picture"));
    QVERIFY(writeFile(b.f.imageRoot() + u"/"_s + BoardStore::mailboxFolder(b.kim) + u"/p.jpg"_s,
                      jpeg(4, 4, Qt::green)));
    const qint64 kimsOpinion = b.opinion(b.kim, u"mine"_s);
    const QString before = b.snapshot();
    body.replace(u"%1"_s, b.leeDevice)
        .replace(u"%2"_s, folder)
        .replace(u"%3"_s, QString::number(kimsOpinion));
    QCOMPARE(b.post(path, body), u"0"_s);
    QCOMPARE(b.snapshot(), before);
    // The same request from an ended session is refused too.
    QVERIFY(b.f.context().pcAccess().closeSession(b.leeDevice, u"test"_s));
    const QString good = path == kList ? u"deviceid=%1&id=lee"_s : u"deviceid=%1&mailidx=1"_s;
    QCOMPARE(b.post(path, good.arg(b.leeDevice)), u"0"_s);
    QCOMPARE(b.snapshot().section(u'|', 0, 0), before.section(u'|', 0, 0));
}

void TestServerBoard::listStaysWithinTheReplyLimit() {
    Board b;
    QVERIFY(b.f.running());
    // Long titles of three-byte characters: far more than one reply can carry.
    const QString title = QString(60, QChar(0xAC00));
    for (int i = 0; i < 80; ++i)
        b.addPost(b.kim, title + QString::number(i), 1000 + i);
    const QString reply = b.list(b.leeDevice);
    QVERIFY(reply.toUtf8().size() <= PostListScript::kReplyLimit);
    const QStringList fields = reply.split(u"</>"_s);
    const int count = fields.value(1).toInt();
    QVERIFY2(count > 10 && count < 80, qPrintable(fields.value(1)));
    QCOMPARE(fields.size(), count + 2);
    // The newest posts are the ones listed, every one whole.
    QVERIFY(fields.value(2).startsWith(u"80#"_s));
    for (int i = 2; i < fields.size(); ++i)
        QCOMPARE(fields[i].split(u'#').size(), 13);
    // One more post would not have fitted.
    const QString next = PostListScript::postFields(
        {0, b.kim, b.kim, title + u"99"_s, 0, 1, true, false, u"0"_s, u"kim"_s},
        u"127.0.0.1:%1"_s.arg(b.f.httpPort()));
    QVERIFY(reply.toUtf8().size() + next.toUtf8().size() + 3 > PostListScript::kReplyLimit);
}

void TestServerBoard::postPage() {
    Board b;
    QVERIFY(b.f.running());
    // Everything members typed may hold markup; the page shows it as text.
    QVERIFY(b.f.context().database().exec(
        u"UPDATE members SET name = '<b>Lee</b>' WHERE member_no = %1"_s.arg(b.lee)));
    const qint64 mail = b.addPost(b.kim, u"<script>alert('t')</script>"_s);
    const QString who = u"deviceid=%1&mailidx=%2"_s.arg(b.leeDevice).arg(mail);
    const qint64 styled = b.opinion(
        b.lee, u"fallback"_s, u"0</>1</>right</>255</>16777215</>24</>from [tml] <x>"_s.toUtf8());
    const qint64 plain = b.opinion(b.lee, u"<img src=x onerror=alert(1)>second"_s);
    QCOMPARE(b.post(kOpinion, who + u"&info=%1"_s.arg(styled)), u"1"_s);
    QCOMPARE(b.post(kOpinion, who + u"&info=%1"_s.arg(plain)), u"1"_s);
    // A style file that is a link (here to a file outside the tree) is not read.
    const qint64 linked = b.opinion(b.lee, u"kept paragraph"_s);
    QVERIFY(writeFile(b.f.dataDir() + u"/outside.tml"_s, "0</>0</>left</>0</>0</>9</>SECRET"));
    QVERIFY(QFile::link(
        b.f.dataDir() + u"/outside.tml"_s,
        u"%1/%2/%3op3.tml"_s.arg(b.f.imageRoot(), BoardStore::mailboxFolder(b.lee)).arg(b.lee)));
    QCOMPARE(b.post(kOpinion, who + u"&info=%1"_s.arg(linked)), u"1"_s);
    QCOMPARE(b.post(kDocument, who + u"&content=javascript:alert(1)|<i>doc</i>.pdf|say \"hi\""_s),
             u"1"_s);

    const auto [status, html] = b.page(kPage + u"?"_s + who);
    QCOMPARE(status, 200);
    QVERIFY(html.contains(u"<meta charset=\"utf-8\">"_s));
    QVERIFY(html.contains(u"<title>&lt;script&gt;alert(&#39;t&#39;)&lt;/script&gt;</title>"_s));
    QVERIFY(!html.contains(u"<script"_s) && !html.contains(u"<b>Lee"_s));
    QVERIFY(html.contains(u"&lt;b&gt;Lee&lt;/b&gt;"_s));
    QVERIFY(html.contains(u"3 opinions · 2 members"_s));
    QVERIFY(html.contains(u"kept paragraph"_s) && !html.contains(u"SECRET"_s));
    // The first opinion as its ".tml" says, the second from its stored paragraph.
    QVERIFY(html.contains(u"style=\"font-size:24px;background-color:#ffffff;color:#ff0000;"
                          u"text-align:right;font-style:normal;font-weight:bold;\">from [tml] "
                          u"&lt;x&gt;</p>"_s));
    QVERIFY(html.contains(u"&lt;img src=x onerror=alert(1)&gt;second"_s));
    // Newest first.
    QVERIFY(html.indexOf(u"from [tml]"_s) > html.indexOf(u"second"_s));
    QVERIFY(html.indexOf(u"second"_s) > html.indexOf(u"doc&lt;/i&gt;"_s));
    // A document whose address is no web address is named but not linked.
    QVERIFY(
        html.contains(u"&lt;i&gt;doc&lt;/i&gt;.pdf<div class=\"comment\">say &quot;hi&quot;"_s));
    QVERIFY(!html.contains(u"href=\"javascript"_s));

    for (const auto& [query, expected] : std::initializer_list<std::pair<QString, int>>{
             {u"?deviceid=nobody&mailidx=%1"_s.arg(mail), 403},
             {u"?deviceid=%1&mailidx=42"_s.arg(b.leeDevice), 404},
             {u"?deviceid=%1&mailidx=%3Cb%3E"_s.arg(b.leeDevice), 404},
             {QString(), 403}}) {
        const auto [code, notice] = b.page(kPage + query);
        QCOMPARE(code, expected);
        QVERIFY(notice.contains(u"<h1>Orvix Square</h1>"_s));
    }
}

void TestServerBoard::areaList() {
    Board b(true);
    QVERIFY(b.f.running());
    const qint64 own = b.addPost(b.lee, u"Lee & co"_s);
    const qint64 other = b.addPost(b.kim, u"Kim's"_s);
    const QString query = u"?deviceid=%1&id=lee&password=pw-lee"_s.arg(b.leeDevice);
    const auto [status, html] = b.page(kAreas + query);
    QCOMPARE(status, 200);
    QVERIFY(html.contains(u"Lee &amp; co"_s));
    const QString link = u"<a href=\"/android/orviview_pc_new.php?deviceid=%1&amp;mailidx=%2\">"_s;
    // Kim's post is new to lee (listed under "New for you" and "All posts"); lee's own post
    // under "Your posts" and "All posts".
    QCOMPARE(html.count(link.arg(b.leeDevice).arg(other)), 2);
    QCOMPARE(html.count(link.arg(b.leeDevice).arg(own)), 2);
    QVERIFY(html.indexOf(u"New for you"_s) < html.indexOf(link.arg(b.leeDevice).arg(other)));

    for (const QString& bad : {u"?deviceid=%1&id=lee&password=wrong"_s.arg(b.leeDevice),
                               u"?deviceid=%1&id=kim&password=pw-kim"_s.arg(b.leeDevice),
                               u"?deviceid=nobody&id=lee&password=pw-lee"_s}) {
        const auto [code, notice] = b.page(kAreas + bad);
        QCOMPARE(code, 403);
        QVERIFY(!notice.contains(u"Lee &amp; co"_s));
    }
}

void TestServerBoard::addPostCommand() {
    QTemporaryDir dir;
    const QString data = dir.path();
    auto admin = [&](const QStringList& arguments, QString* output) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int code =
            AdminCommands::run(QStringList{u"--data"_s, data} + arguments, outStream, errStream);
        outStream.flush();
        *output = out.trimmed();
        return code;
    };
    {
        // The operator's commands work on a data folder a server has made.
        ServerConfig config;
        config.dataDir = data;
        ServerContext made(config);
        QString error;
        QVERIFY2(made.open(&error), qPrintable(error));
    }
    QString output;
    QCOMPARE(admin({u"add-member"_s, u"kim"_s, u"pw"_s}, &output), 0);
    const QString picture = data + u"/photo.png"_s;
    QImage(30, 20, QImage::Format_RGB32).save(picture);
    QCOMPARE(admin({u"add-post"_s, u"kim"_s, u"Hello board"_s, u"--photo"_s, picture}, &output), 0);
    QCOMPARE(output.split(u' ').last(), u"1"_s);
    QCOMPARE(admin({u"add-post"_s, u"kim"_s, u"Second"_s}, &output), 0);
    QCOMPARE(output.split(u' ').last(), u"2"_s);
    QCOMPARE(admin({u"add-post"_s, u"nobody"_s, u"x"_s}, &output), 1);
    QCOMPARE(admin({u"add-post"_s, u"kim"_s, u" "_s}, &output), 1);
    QCOMPARE(admin({u"add-post"_s, u"kim"_s, u"line\nbreak"_s}, &output), 1);
    QCOMPARE(admin({u"add-post"_s, u"kim"_s, u"x"_s, u"--photo"_s, data + u"/none.png"_s}, &output),
             1);

    ServerConfig config;
    config.dataDir = data;
    ServerContext context(config);
    QString error;
    QVERIFY(context.open(&error));
    BoardStore store(context.database());
    bool failed = false;
    const auto post = store.post(1, &failed);
    QVERIFY(post && post->photoName.startsWith(u"post_"_s));
    QCOMPARE(QImage(data + u"/image/mailbox/0000000001/"_s + post->photoName).size(),
             QSize(30, 20));
    QCOMPARE(store.post(2, &failed)->photoName, u"0"_s);
    QVERIFY(!store.post(3, &failed));
}

void TestServerBoard::demoBoard() {
    ServerConfig config;
    config.demo = true;
    config.autoApprove = true;
    ServerFixture f(config);
    QVERIFY(f.running());
    const QString device = login(f.httpPort(), u"demo"_s, u"demo1234"_s).split(u"</>"_s).value(3);
    auto list = [&] {
        return QString::fromUtf8(bodyOf(httpExchange(
            f.httpPort(), clientRequest(u"/android/pcorvixlist.php"_s,
                                        u"deviceid=%1&id=demo"_s.arg(device).toUtf8()))));
    };
    const QStringList fields = list().split(u"</>"_s);
    QCOMPARE(fields.value(0), u"1"_s);
    QCOMPARE(fields.value(1).toInt(), fields.size() - 2);
    QVERIFY(fields.size() - 2 >= 4);
    int opinions = 0;
    for (const QString& post : fields.mid(2)) {
        const QStringList p = post.split(u'#');
        QCOMPARE(p.size(), 13);
        opinions += p[6].toInt();
        // Every demo post has a photo that the server serves as a picture.
        const QByteArray reply = httpExchange(
            f.httpPort(),
            getRequest(
                u"/image/mailbox/%1/%2"_s.arg(p[1].toInt(), 10, 10, QLatin1Char('0')).arg(p[10])));
        QVERIFY2(reply.contains("Content-Type: image/jpeg"), qPrintable(p[10]));
        QVERIFY(!QImage::fromData(bodyOf(reply)).isNull());
    }
    QVERIFY(opinions >= 4);

    // One post carries a document that the server serves as a PDF.
    bool sawDocument = false;
    BoardStore store(f.context().database());
    for (int mail = 1; mail <= fields.size() - 2; ++mail) {
        const auto entries = store.entries(mail);
        QVERIFY(entries);
        for (const PostEntry& entry : *entries) {
            if (entry.kind != PostEntry::Kind::Document)
                continue;
            const auto document = PostDocumentScript::split(entry.body);
            const QByteArray reply = httpExchange(f.httpPort(), getRequest(document.address));
            QVERIFY(reply.contains("Content-Type: application/pdf"));
            QVERIFY(bodyOf(reply).startsWith("%PDF-1.4"));
            sawDocument = true;
        }
    }
    QVERIFY(sawDocument);
    // Seeding again adds nothing twice.
    const QString before = list();
    QString error;
    QVERIFY2(BoardDemo::seed(f.context(), &error), qPrintable(error));
    QCOMPARE(list(), before);
}

QTEST_GUILESS_MAIN(TestServerBoard)
#include "tst_server_board.moc"
