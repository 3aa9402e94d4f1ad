// The content download dialog against a local server, and the editor's small dialogs.

#include "editor/cont_download_dlg.h"
#include "editor/content_model.h"
#include "editor/image_size_dlg.h"
#include "editor/new_file_dlg.h"
#include "editor/web_address_dlg.h"
#include "net/url_download.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;
using orvix::test::HttpPeer;

namespace {

QByteArray jpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

const QByteArray kNotFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";

// A server folder: paths below /image/mailbox/0000000012/ and what they answer.
struct Mailbox {
    QMap<QByteArray, QByteArray> files;
    HttpPeer peer{[this](const HttpPeer::Request& request) {
        const QByteArray prefix = "/image/mailbox/0000000012/";
        const QByteArray name =
            request.path.startsWith(prefix) ? request.path.mid(prefix.size()) : QByteArray();
        return files.contains(name) ? HttpPeer::reply(files[name], "image/jpeg") : kNotFound;
    }};
    QStringList paths() const {
        QStringList out;
        for (const auto& request : peer.requests())
            out << QString::fromUtf8(request.path);
        return out;
    }
};

struct Run {
    int result = 0;
    QStringList statuses;
    int range = -1;
    int position = -1;
    qint64 startedAfterMs = -1;
};

// Opens the dialog (not modally: it ends itself) and waits for its end.
Run download(ContentModel& model, Mailbox& box, const QString& file) {
    CContDownloadDlg dialog(box.peer.address(), file, 12, model);
    Run run;
    QObject::connect(dialog.control<QLineEdit>(CContDownloadDlg::StatusId), &QLineEdit::textChanged,
                     [&](const QString& text) { run.statuses << text; });
    QElapsedTimer clock;
    dialog.setDownload([&](const QString& address, const QString& path) {
        if (run.startedAfterMs < 0)
            run.startedAfterMs = clock.elapsed();
        return UrlDownload(std::chrono::seconds(10)).run(address, path) == 1;
    });
    clock.start();
    dialog.open();
    if (!QTest::qWaitFor([&] { return dialog.result() != 0; }, 30000))
        return run;
    run.result = dialog.result();
    run.range = dialog.control<QProgressBar>(CContDownloadDlg::BarId)->maximum();
    run.position = dialog.control<QProgressBar>(CContDownloadDlg::BarId)->value();
    return run;
}

} // namespace

class TestContentDownload : public QObject {
    Q_OBJECT
private slots:
    void loadsAContentWithItsPhotos();
    void failuresLeaveTheContentAsItWas_data();
    void failuresLeaveTheContentAsItWas();
    void countsAndRanges_data();
    void countsAndRanges();
    void hostileNames();
    void sizeDialog_data();
    void sizeDialog();
    void linkAndNewDialogs();
};

void TestContentDownload::loadsAContentWithItsPhotos() {
    test::ShellFixture f;
    Mailbox box;
    box.files["mem000000000012.sml"] =
        u"orvix</>kim121700</>4</>우리 가게</>1<@>0<@>20<@>true<@>false<@>1<@>2<@>3<@>4<@>5<@>6"
        "<@>1<@>0<@>안녕<br>하세요</>2<@>1<@>kim1217001.jpg<@>50<@>2<@>0</>7<@>2<@>video</>8<@>3"
        "<@>12<@>false<@>false<@>255<@>255<@>255<@>0<@>0<@>0<@>0<@>0<@>http://h/d.PDF<@>d.pdf"_s
            .toUtf8();
    box.files["kim1217001.jpg"] = jpeg(1080, 720);
    ContentModel model;
    model.addText(u"old"_s);
    const Run run = download(model, box, u"mem000000000012.sml"_s);
    QCOMPARE(run.result, 1);
    // The work starts half a second after the dialog opens.
    QVERIFY2(run.startedAfterMs >= 450, qPrintable(QString::number(run.startedAfterMs)));
    QCOMPARE(box.paths(), QStringList({u"/image/mailbox/0000000012/mem000000000012.sml"_s,
                                       u"/image/mailbox/0000000012/kim1217001.jpg"_s}));
    QCOMPARE(run.statuses,
             QStringList({u"컨턴트 파일을 다운 받습니다. 잠시 기다리십시오."_s,
                          u"컨턴트 파일을 다운 받습니다."_s, u"텍스트 0 데이터를 받습니다."_s,
                          u"그림 1 데이터를 받습니다."_s, u"문서 3 데이터를 받습니다."_s}));
    QCOMPARE(run.range, 4);
    QCOMPARE(run.position, 4);
    // The kind the PC cannot show is told once.
    QCOMPARE(f.ui.messages().size(), size_t(1));
    QVERIFY(f.ui.messages()[0].text.startsWith(u"스마트폰에서 작성한 데이터입니다."_s));

    QCOMPARE(model.count(), 3);
    QCOMPARE(model.fileName, u"kim121700"_s);
    QCOMPARE(model.folder, u"mailbox/0000000012"_s);
    QCOMPARE(model.title, u"우리 가게"_s);
    QCOMPARE(model.block(0)->text->text, u"안녕\r\n하세요"_s);
    QVERIFY(model.block(0)->text->lineCount >= 2); // laid out
    const CContentPhoto& photo = *model.block(1)->photo;
    QCOMPARE(photo.localPath, f.dir.filePath(u"kim1217001.jpg"_s));
    QVERIFY(photo.picture);
    QCOMPARE(photo.height, 360);
    QCOMPARE(model.block(2)->document->sizePercent, 50);
    QCOMPARE(model.selectedIndex(), -1);
    QVERIFY(QFile::exists(f.dir.filePath(u"mem000000000012.sml"_s)));
}

void TestContentDownload::failuresLeaveTheContentAsItWas_data() {
    QTest::addColumn<QByteArray>("file"); // empty: the server has none
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("no file") << QByteArray() << QStringList();
    QTest::newRow("not a content") << QByteArray("<html>error</html>")
                                   << QStringList{u"작성된 정보가 없습니다. 새로 만듭니다."_s};
    QTest::newRow("empty file") << QByteArray("")
                                << QStringList{u"작성된 정보가 없습니다. 새로 만듭니다."_s};
}

void TestContentDownload::failuresLeaveTheContentAsItWas() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, messages);
    test::ShellFixture f;
    Mailbox box;
    if (!file.isNull())
        box.files["st000000031.sml"] = file;
    ContentModel model;
    model.fileName = u"mine"_s;
    model.title = u"my title"_s;
    model.addText(u"kept"_s);
    model.modified = false;
    const Run run = download(model, box, u"st000000031.sml"_s);
    QCOMPARE(run.result, 2);
    QStringList shown;
    for (const auto& message : f.ui.messages())
        shown << message.text;
    QCOMPARE(shown, messages);
    QCOMPARE(model.count(), 1);
    QCOMPARE(model.block(0)->text->text, u"kept"_s);
    QCOMPARE(model.fileName, u"mine"_s);
    QCOMPARE(model.title, u"my title"_s);
    QVERIFY(model.block(0)->selected);
}

void TestContentDownload::countsAndRanges_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("position");
    QTest::newRow("no blocks") << QByteArray("orvix</>f</>0</>t") << 0 << 0 << 0;
    QTest::newRow("count larger") << QByteArray("orvix</>f</>5</>t</>1<@>0</>8<@>1") << 2 << 5 << 2;
    QTest::newRow("count cut to 16 bits")
        << QByteArray("orvix</>f</>70000</>t</>1<@>0") << 1 << 70000 - 65536 << 1;
}

void TestContentDownload::countsAndRanges() {
    QFETCH(QByteArray, file);
    QFETCH(int, blocks);
    QFETCH(int, range);
    QFETCH(int, position);
    test::ShellFixture f;
    Mailbox box;
    box.files["mem000000000012.sml"] = file;
    ContentModel model;
    model.addText(u"replaced"_s);
    const Run run = download(model, box, u"mem000000000012.sml"_s);
    QCOMPARE(run.result, 1);
    QCOMPARE(model.count(), blocks);
    QCOMPARE(run.range, range);
    QCOMPARE(run.position, position);
}

void TestContentDownload::hostileNames() {
    test::ShellFixture f;
    Mailbox box;
    // A file name that names no file, photos that would land outside the working folder or
    // on the settings file.
    box.files["mem000000000012.sml"] = "orvix</>../../evil</>4</>t</>2<@>0<@>../../evil.jpg<@>100"
                                       "</>2<@>1<@>orvisys.sy1</>2<@>2<@>C:evil.jpg</>2<@>3"
                                       "<@>good.jpg";
    box.files["good.jpg"] = jpeg(540, 100);
    ContentModel model;
    const Run run = download(model, box, u"mem000000000012.sml"_s);
    QCOMPARE(run.result, 1);
    QCOMPARE(box.paths(), QStringList({u"/image/mailbox/0000000012/mem000000000012.sml"_s,
                                       u"/image/mailbox/0000000012/good.jpg"_s}));
    QCOMPARE(model.count(), 4);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!model.block(i)->photo->picture && model.block(i)->photo->localPath.isEmpty());
    QVERIFY(model.block(3)->photo->picture);
    // The content gets a name of its own, as a new content would.
    QCOMPARE(model.fileName, u"12"_s + QString::number(f.environment.currentTimeSeconds()));
    QDir parent(f.dir.path());
    parent.cdUp();
    QVERIFY(!QFile::exists(parent.filePath(u"evil.jpg"_s)));
}

void TestContentDownload::sizeDialog_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("value"); // -1: refused
    QTest::newRow("150") << u"150"_s << qint64(150);
    QTest::newRow("zero") << u"0"_s << qint64(0);
    QTest::newRow("blanks") << u" 42 "_s << qint64(42);
    QTest::newRow("largest") << u"4294967295"_s << qint64(4294967295);
    QTest::newRow("too large") << u"4294967296"_s << qint64(-1);
    QTest::newRow("negative") << u"-5"_s << qint64(-1);
    QTest::newRow("text") << u"abc"_s << qint64(-1);
    QTest::newRow("empty") << QString() << qint64(-1);
    QTest::newRow("fraction") << u"1.5"_s << qint64(-1);
}

void TestContentDownload::sizeDialog() {
    QFETCH(QString, typed);
    QFETCH(qint64, value);
    test::ShellFixture f(Country::Other);
    CImageSizeDlg dialog;
    QCOMPARE(dialog.windowTitle(), u"영상크기 설정"_s);
    dialog.setValue(100);
    QCOMPARE(dialog.control<QLineEdit>(CImageSizeDlg::ValueId)->text(), u"100"_s);
    dialog.control<QLineEdit>(CImageSizeDlg::ValueId)->setText(typed);
    dialog.open();
    QTest::keyClick(&dialog, Qt::Key_Return);
    if (value < 0) {
        QCOMPARE(dialog.result(), 0); // stays open
        QVERIFY(dialog.isVisible());
        QCOMPARE(f.ui.messages().size(), size_t(1));
        QCOMPARE(f.ui.messages()[0].text, u"Please enter an unsigned integer."_s);
    } else {
        QCOMPARE(dialog.result(), 1);
        QCOMPARE(qint64(dialog.value()), value);
    }
}

void TestContentDownload::linkAndNewDialogs() {
    test::ShellFixture f;
    CWebAddressDlg link;
    QCOMPARE(link.windowTitle(), u"웹 연결"_s);
    link.control<QLineEdit>(CWebAddressDlg::AddressId)->setText(u"naver.com/x y"_s);
    link.open();
    QTest::keyClick(&link, Qt::Key_Return);
    QCOMPARE(link.result(), 1);
    QCOMPARE(link.address(), u"naver.com/x y"_s);
    CNewFileDlg question;
    QCOMPARE(question.windowTitle(), u"새파일 만들기"_s);
    QVERIFY(question.findChild<QWidget*>(controlName(1)));
    question.open();
    QTest::keyClick(&question, Qt::Key_Escape);
    QCOMPARE(question.result(), 2);
}

QTEST_MAIN(TestContentDownload)
#include "tst_content_download.moc"
