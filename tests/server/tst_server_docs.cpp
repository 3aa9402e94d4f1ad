// Documents over real sockets: registering an uploaded document, the member's library page in
// both orders, who sees what, escaping, how the files are served, the home page and the demo's
// documents.

#include "server/core/text_pdf.h"
#include "server/pages/docs/document_page.h"
#include "server/scripts/docs/add_document_script.h"
#include "server/scripts/docs/document_store.h"
#include "server/scripts/docs/install_docs.h"
#include "server_test_support.h"
#include "support/http_peer.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix::server;
using namespace orvix::server::test;
using orvix::test::HttpPeer;

namespace {

const QString kAdd = u"/android/adddocument.php"_s;

ServerConfig demoConfig() {
    ServerConfig config;
    config.demo = true;
    return config;
}

// Two members with open PC sessions, and the first member's uploaded files.
struct Library {
    ServerFixture f;
    qint64 kim = 0;
    qint64 lee = 0;
    QString kimDevice;
    QString leeDevice;

    explicit Library(ServerConfig config = {})
        : f(std::move(config)) {
        kim = f.addMember(u"kim"_s, u"pw"_s);
        lee = f.addMember(u"lee"_s, u"pw"_s);
        kimDevice = f.context().pcAccess().admit(kim, true).deviceId;
        leeDevice = f.context().pcAccess().admit(lee, true).deviceId;
    }
    QString address(qint64 member, const QString& name) {
        return u"http://%1/image/document/%2/%3"_s.arg(f.server().config().publicAddress)
            .arg(member)
            .arg(name);
    }
    // Puts a file where an upload would, and registers it as the client does.
    QByteArray add(const QString& device, qint64 member, const QString& stored,
                   const QString& fileName, const QString& comment,
                   const QByteArray& bytes = "%PDF-1.4 test") {
        writeFile(u"%1/document/%2/%3"_s.arg(f.imageRoot()).arg(member).arg(stored), bytes);
        return post(u"deviceid=%1&path=%2&comment=%3&ext=PDF&filename=%4"_s.arg(
            device, address(member, stored), comment, fileName));
    }
    QByteArray post(const QString& body) {
        return bodyOf(httpExchange(f.httpPort(), clientRequest(kAdd, body.toUtf8())));
    }
    QByteArray page(const QString& device, const QString& order) {
        return httpExchange(
            f.httpPort(),
            getRequest(u"/android/pcdocument.php?deviceid=%1&order=%2"_s.arg(device, order)));
    }
    // The file names of the page's rows, in the order shown.
    QStringList shownNames(const QString& device, const QString& order) {
        const QString html = QString::fromUtf8(bodyOf(page(device, order)));
        QStringList names;
        static const QRegularExpression link(u"download=\"([^\"]*)\""_s);
        for (const auto& match : link.globalMatch(html))
            names << match.captured(1);
        return names;
    }
};

} // namespace

class TestServerDocs : public QObject {
    Q_OBJECT
private slots:
    void documentAddresses_data();
    void documentAddresses();
    void registrationRefusalsAndReplacement();
    void libraryOrdersAndOwnership();
    void pageEscapesAndServesFilesAsDownloads();
    void homePage();
    void demoDocuments();
};

void TestServerDocs::documentAddresses_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("relative");
    const QString none;
    QTest::newRow("own file") << u"http://h:8080/image/document/7/71700000000.PDF"_s
                              << u"document/7/71700000000.PDF"_s;
    QTest::newRow("host in capitals")
        << u"HTTP://H:8080/image/document/7/a b.PDF"_s << u"document/7/a b.PDF"_s;
    QTest::newRow("other member") << u"http://h:8080/image/document/8/x.PDF"_s << none;
    QTest::newRow("member number padded") << u"http://h:8080/image/document/07/x.PDF"_s << none;
    QTest::newRow("other host") << u"http://evil:8080/image/document/7/x.PDF"_s << none;
    QTest::newRow("other port") << u"http://h:8081/image/document/7/x.PDF"_s << none;
    QTest::newRow("host prefix") << u"http://h:80800/image/document/7/x.PDF"_s << none;
    QTest::newRow("https") << u"https://h:8080/image/document/7/x.PDF"_s << none;
    QTest::newRow("climbs out") << u"http://h:8080/image/document/7/../8/x.PDF"_s << none;
    QTest::newRow("sub-folder") << u"http://h:8080/image/document/7/a/x.PDF"_s << none;
    QTest::newRow("member photo") << u"http://h:8080/image/memberphoto/mem7.jpg"_s << none;
    QTest::newRow("not /image/") << u"http://h:8080/android/document/7/x.PDF"_s << none;
    QTest::newRow("backslash") << u"http://h:8080/image/document/7/..\\x.PDF"_s << none;
    QTest::newRow("folder only") << u"http://h:8080/image/document/7/"_s << none;
    QTest::newRow("empty") << QString() << none;
}

void TestServerDocs::documentAddresses() {
    QFETCH(QString, path);
    QFETCH(QString, relative);
    QCOMPARE(AddDocumentScript::documentFile(path, u"h:8080"_s, 7), relative);
}

void TestServerDocs::registrationRefusalsAndReplacement() {
    Library l;
    QVERIFY(l.f.running());
    // Refused: unknown or missing device, a path of another member, a description too long;
    // nothing registered by any of them.
    writeFile(l.f.imageRoot() + u"/document/%1/mine.PDF"_s.arg(l.lee), "x");
    const QString mine = l.address(l.kim, u"k1.PDF"_s);
    writeFile(l.f.imageRoot() + u"/document/%1/k1.PDF"_s.arg(l.kim), "%PDF");
    for (const QString& body :
         {u"deviceid=nobody&path=%1&comment=c&ext=PDF&filename=a.pdf"_s.arg(mine),
          u"path=%1&comment=c&ext=PDF&filename=a.pdf"_s.arg(mine),
          u"deviceid=%1&path=%2&comment=c&ext=PDF&filename=a.pdf"_s.arg(
              l.kimDevice, l.address(l.lee, u"mine.PDF"_s)),
          u"deviceid=%1&path=%2&comment=%3&ext=PDF&filename=a.pdf"_s.arg(
              l.kimDevice, mine, QString(AddDocumentScript::kMaxComment + 1, u'c'))})
        QCOMPARE(l.post(body), QByteArray("0"));
    QCOMPARE(l.shownNames(l.kimDevice, u"0"_s), QStringList());

    // New, another, then the first name again: replaced, and listed as the newest.
    QCOMPARE(l.add(l.kimDevice, l.kim, u"k1.PDF"_s, u"report.pdf"_s, u"first"_s),
             QByteArray("1</>1"));
    QCOMPARE(l.add(l.kimDevice, l.kim, u"k2.PDF"_s, u"plan.pdf"_s, u"second"_s),
             QByteArray("1</>1"));
    QCOMPARE(l.add(l.kimDevice, l.kim, u"k3.PDF"_s, u"report.pdf"_s, u"third"_s),
             QByteArray("1</>2"));
    // Another member may use the same file name: it is not theirs to replace.
    QCOMPARE(l.add(l.leeDevice, l.lee, u"l1.PDF"_s, u"report.pdf"_s, u"lee's"_s),
             QByteArray("1</>1"));
    DocumentStore store(l.f.context().database());
    const auto listed = store.list(l.kim, DocumentStore::Order::Registration);
    QVERIFY(listed);
    QCOMPARE(listed->size(), 2);
    QCOMPARE(listed->at(0).fileName, u"plan.pdf"_s);
    QCOMPARE(listed->at(1).comment, u"third"_s);
    QCOMPARE(listed->at(1).path, l.address(l.kim, u"k3.PDF"_s));
    // The replaced upload stays on disk: a post may still link it.
    QVERIFY(QFile::exists(l.f.imageRoot() + u"/document/%1/k1.PDF"_s.arg(l.kim)));

    // Registered before the upload port has stored the file: listed, linked once it is there.
    QCOMPARE(l.post(u"deviceid=%1&path=%2&comment=c&ext=PDF&filename=early.pdf"_s.arg(
                 l.kimDevice, l.address(l.kim, u"early.PDF"_s))),
             QByteArray("1</>1"));
    QVERIFY(bodyOf(l.page(l.kimDevice, u"1"_s))
                .contains("early.pdf<br><span class=\"meta\">PDF &middot; (file missing)"));
    writeFile(l.f.imageRoot() + u"/document/%1/early.PDF"_s.arg(l.kim), "%PDF");
    QCOMPARE(l.shownNames(l.kimDevice, u"1"_s).value(0), u"early.pdf"_s);

    // An empty file name falls back to the stored name.
    QCOMPARE(l.add(l.kimDevice, l.kim, u"k4.PDF"_s, QString(), u"no name"_s), QByteArray("1</>1"));
    QCOMPARE(store.list(l.kim, DocumentStore::Order::NewestFirst)->at(0).fileName, u"k4.PDF"_s);

    // Once the session has ended, the device id registers nothing more.
    QVERIFY(l.f.context().pcAccess().closeSession(l.kimDevice, u"test"_s));
    QCOMPARE(l.add(l.kimDevice, l.kim, u"k5.PDF"_s, u"late.pdf"_s, u"late"_s), QByteArray("0"));
    QCOMPARE(store.list(l.kim, DocumentStore::Order::Registration)->size(), 4);
}

void TestServerDocs::libraryOrdersAndOwnership() {
    Library l;
    QVERIFY(l.f.running());
    // Registered within the same second: the order of registration still holds.
    const QStringList names = {u"c.pdf"_s, u"a.pdf"_s, u"b.pdf"_s, u"d.pdf"_s};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(l.add(l.kimDevice, l.kim, u"k%1.PDF"_s.arg(i), names[i], u"n"_s),
                 QByteArray("1</>1"));
    l.add(l.leeDevice, l.lee, u"l.PDF"_s, u"secret-of-lee.pdf"_s, u"n"_s);

    QStringList newest = names;
    std::reverse(newest.begin(), newest.end());
    QCOMPARE(l.shownNames(l.kimDevice, u"0"_s), names);
    QCOMPARE(l.shownNames(l.kimDevice, u"1"_s), newest);
    QCOMPARE(l.shownNames(l.kimDevice, u"x"_s), names); // anything else: registration order
    QCOMPARE(l.shownNames(l.leeDevice, u"0"_s), QStringList{u"secret-of-lee.pdf"_s});

    // The page names its own orders; a device without an open session sees nobody's files.
    const QString html = QString::fromUtf8(bodyOf(l.page(l.kimDevice, u"1"_s)));
    QVERIFY(html.contains(
        u"href=\"/android/pcdocument.php?deviceid=%1&amp;order=0\""_s.arg(l.kimDevice)));
    for (const QString& device : {u"nobody"_s, QString()}) {
        const QByteArray refused = l.page(device, u"0"_s);
        QVERIFY2(refused.startsWith("HTTP/1.1 403 "), refused.constData());
        QVERIFY(!refused.contains(".pdf"));
    }
    QVERIFY(l.f.context().pcAccess().closeSession(l.leeDevice, u"test"_s));
    QVERIFY(l.page(l.leeDevice, u"0"_s).startsWith("HTTP/1.1 403 "));
}

void TestServerDocs::pageEscapesAndServesFilesAsDownloads() {
    Library l;
    QVERIFY(l.f.running());
    // A page uploaded as a "document", its name and comment written to break out of the page.
    const QByteArray script = "<html><script>alert(1)</script></html>";
    QCOMPARE(l.add(l.kimDevice, l.kim, u"k 1#?.HTML"_s, u"<b>x</b>\".pdf"_s,
                   u"<script>alert('c')</script>\nline two"_s, script),
             QByteArray("1</>1"));
    const QByteArray reply = l.page(l.kimDevice, u"0"_s);
    const QString html = QString::fromUtf8(bodyOf(reply));
    QVERIFY(!html.contains(u"<script>"_s) && !html.contains(u"<b>x"_s));
    QVERIFY(html.contains(u"&lt;script&gt;alert(&#39;c&#39;)&lt;/script&gt;<br>line two"_s));
    QVERIFY2(html.contains(u"download=\"&lt;b&gt;x&lt;/b&gt;&quot;.pdf\""_s), qPrintable(html));
    // Date and size of the row.
    QVERIFY(QRegularExpression(u"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d"_s).match(html).hasMatch());
    QVERIFY(html.contains(u"%1 B"_s.arg(script.size())));

    // The link leads to the file, which comes as bytes a browser will not run.
    const QRegularExpression href(u"href=\"(/image/[^\"]*)\""_s);
    const auto match = href.match(html);
    QVERIFY(match.hasMatch());
    QCOMPARE(match.captured(1), u"/image/document/%1/k%201%23%3F.HTML"_s.arg(l.kim));
    const QByteArray file = httpExchange(l.f.httpPort(), getRequest(match.captured(1)));
    QVERIFY2(file.startsWith("HTTP/1.1 200 OK\r\n"), file.constData());
    QVERIFY(file.contains("Content-Type: application/octet-stream\r\n"));
    QCOMPARE(bodyOf(file), script);

    // A row whose file went missing shows no link.
    QFile::remove(l.f.imageRoot() + u"/document/%1/k 1#?.HTML"_s.arg(l.kim));
    QVERIFY(bodyOf(l.page(l.kimDevice, u"0"_s)).contains("(file missing)"));
    QCOMPARE(DocumentPage::readableSize(1536), u"1.5 KB"_s);
    QCOMPARE(DocumentPage::readableSize(3 * 1024 * 1024), u"3.0 MB"_s);
}

void TestServerDocs::homePage() {
    ServerConfig config;
    config.versionName = u"<0.6>"_s;
    ServerFixture f(config);
    QVERIFY(f.running());
    const QByteArray reply = httpExchange(f.httpPort(), getRequest(u"/"_s));
    QVERIFY2(reply.startsWith("HTTP/1.1 200 OK\r\n"), reply.constData());
    const QByteArray html = bodyOf(reply);
    QVERIFY(html.contains("<title>Orvix</title>"));
    QVERIFY(html.contains("href=\"/android/pcdocument.php\""));
    QVERIFY(html.contains("&lt;0.6&gt;"));
}

void TestServerDocs::demoDocuments() {
    Library l(demoConfig());
    QVERIFY(l.f.running());
    const auto demo = l.f.context().members().findByLoginId(u"demo"_s);
    QVERIFY(demo);
    DocumentStore store(l.f.context().database());
    const auto documents = store.list(demo->memberNo, DocumentStore::Order::Registration);
    QVERIFY(documents);
    QCOMPARE(documents->size(), 3);
    for (const DocumentRecord& document : *documents) {
        const QString relative = document.path.section(u"/image/"_s, 1); // document/<member>/<name>
        QVERIFY2(relative.startsWith(u"document/%1/"_s.arg(demo->memberNo)), qPrintable(relative));
        QFile file(l.f.imageRoot() + u'/' + relative);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (document.ext != u"PDF")
            continue;
        // A PDF whose cross-reference offsets each point at their object.
        QVERIFY(bytes.startsWith("%PDF-1.4\n") && bytes.endsWith("%%EOF\n"));
        const qsizetype xref =
            bytes.mid(bytes.lastIndexOf("startxref\n") + 10).split('\n').value(0).toLongLong();
        QVERIFY(bytes.mid(xref).startsWith("xref\n0 6\n"));
        for (int object = 1; object <= 5; ++object) {
            const qsizetype offset = bytes.mid(xref + 9 + 20 * object, 10).toLongLong();
            QVERIFY(bytes.mid(offset).startsWith(QByteArray::number(object) + " 0 obj\n"));
        }
    }
    QVERIFY(documents->at(0).registeredAt < documents->at(2).registeredAt);
    // Escaping in the PDF's text, and seeding again adds nothing.
    QVERIFY(TextPdf::page(u"a(b)\\c"_s, {u"한"_s}).contains("(a\\(b\\)\\\\c) Tj"));
    QString error;
    QVERIFY2(docsFeature().seedDemo(l.f.context(), &error), qPrintable(error));
    QCOMPARE(store.list(demo->memberNo, DocumentStore::Order::Registration)->size(), 3);
}

QTEST_GUILESS_MAIN(TestServerDocs)
#include "tst_server_docs.moc"
