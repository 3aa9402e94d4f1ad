// The editor window and its view: geometry and bars, every button's command, the choosers and
// dialogs, selection by mouse, the right-click menu, painting checked by pixels, New, and
// opening the member's and the store's contents.

#include "app/document_dialog_run.h"
#include "app/web_dialog.h"
#include "editor/content_frame.h"
#include "editor/content_view.h"
#include "editor/image_size_dlg.h"
#include "editor/web_address_dlg.h"
#include "platform/doubles/recording_browser.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

using namespace orvix;
using namespace Qt::StringLiterals;
using orvix::test::HttpPeer;

namespace {

struct Editor {
    test::ShellFixture f;
    std::unique_ptr<CContentFrame> frame;
    CContentView* view = nullptr;

    explicit Editor(int country = Country::Korea)
        : f(country) {
        f.session().memberId = u"kim"_s;
        f.session().memberNumber = u"12"_s;
        f.session().storeNumber = u"31"_s;
        frame = std::make_unique<CContentFrame>();
        view = frame->view();
        frame->show();
    }
    ContentModel& model() { return view->model(); }
    void click(int id) {
        auto* button = frame->findChild<QAbstractButton*>(controlName(id));
        QVERIFY2(button, qPrintable(QString::number(id)));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void type(const QString& text) { frame->textEdit()->setPlainText(text); }
    QImage rendered() {
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        view->viewport()->render(&image);
        return image;
    }
};

QString writeJpeg(const QString& path, int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, "JPEG", 100);
    return path;
}

} // namespace

class TestContentView : public QObject {
    Q_OBJECT
private slots:
    void windowAndBars();
    void buttonsReachTheirCommands();
    void addPhotoOnlyForJpg_data();
    void addPhotoOnlyForJpg();
    void fontAndColourChoosers();
    void selectionByMouse();
    void imageSizeAndLink();
    void painting();
    void newAsksOnlyWhenModified();
    void closingHidesAndKeepsTheBlocks();
    void postContentStartsNewWithoutAsking();
    void previewShowsThePageWritten();
    void documentsComeFromTheRegistrationDialog();
    void opensMemberAndStoreContents();
};

void TestContentView::windowAndBars() {
    Editor e(Country::Other);
    QCOMPARE(e.frame->frameGeometry(), QRect(FrameWindow::centredLeft(800), 200, 580, 600));
    QVERIFY(!(e.frame->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(
        e.frame->titleBar()->findChild<QLabel*>(controlName(CContentFrame::SubjectLabel))->text(),
        u"Subject"_s);
    QVERIFY(e.frame->titleEdit());
    // Seventeen picture buttons below, each as large as its picture; upload and close above.
    const auto buttons = e.frame->toolBar()->findChildren<QAbstractButton*>();
    QCOMPARE(buttons.size(), 17);
    for (const QAbstractButton* button : buttons)
        QCOMPARE(button->size(), QSize(40, 40));
    QCOMPARE(e.frame->titleBar()->findChildren<QAbstractButton*>().size(), 2);
    QCOMPARE(COrvixWinApp::current().window(COrvixWinApp::Window::ContentFrame), e.frame.get());
    QCOMPARE(COrvixWinApp::current().window(COrvixWinApp::Window::ContentView), e.view);
    // A new content from the start.
    QCOMPARE(e.model().fileName,
             u"kim12"_s + QString::number(e.f.environment.currentTimeSeconds()));
    QCOMPARE(e.model().folder, u"mailbox/0000000012"_s);
}

void TestContentView::buttonsReachTheirCommands() {
    Editor e;
    // Add text: the box's text (line breaks kept as CR LF), then the box is empty.
    e.type(u"first\nline"_s);
    e.click(CContentFrame::AddTextButton);
    QCOMPARE(e.model().count(), 1);
    QCOMPARE(e.model().block(0)->text->text, u"first\r\nline"_s);
    QVERIFY(e.frame->textEdit()->toPlainText().isEmpty());
    e.click(CContentFrame::AddTextButton); // an empty text block, 5 + 16 tall
    QCOMPARE(e.model().block(1)->text->height, 21);
    e.type(u"second"_s);
    e.click(CContentFrame::ModifyTextButton);
    QCOMPARE(e.model().block(1)->text->text, u"second"_s);
    const struct {
        int button;
        std::function<bool(ContentModel&)> effect;
    } rows[] = {
        {CContentFrame::AlignRightButton,
         [](ContentModel& m) { return m.selected()->alignment() == 2; }},
        {CContentFrame::AlignCentreButton,
         [](ContentModel& m) { return m.selected()->alignment() == 1; }},
        {CContentFrame::AlignLeftButton,
         [](ContentModel& m) { return m.selected()->alignment() == 0; }},
        {CContentFrame::MoveUpButton, [](ContentModel& m) { return m.selectedIndex() == 0; }},
        {CContentFrame::MoveDownButton, [](ContentModel& m) { return m.selectedIndex() == 1; }},
        {CContentFrame::MoveToTopButton,
         [](ContentModel& m) { return m.block(0)->text->text == u"second"; }},
        {CContentFrame::MoveToEndButton,
         [](ContentModel& m) { return m.block(1)->text->text == u"second"; }},
        {CContentFrame::DeleteButton,
         [](ContentModel& m) { return m.count() == 1 && m.selectedIndex() < 0; }},
    };
    for (const auto& row : rows) {
        e.click(row.button);
        QVERIFY2(row.effect(e.model()), qPrintable(QString::number(row.button)));
    }
    // The close button hides the window.
    e.click(CContentFrame::CloseButton);
    QVERIFY(!e.frame->isVisible());
}

void TestContentView::addPhotoOnlyForJpg_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("upper case") << u"photo.JPG"_s << true;
    QTest::newRow("lower case") << u"photo.jpg"_s << true;
    QTest::newRow("jpeg") << u"photo.jpeg"_s << false;
    QTest::newRow("png") << u"photo.png"_s << false;
}

void TestContentView::addPhotoOnlyForJpg() {
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    Editor e;
    const QString path = writeJpeg(e.f.dir.filePath(name), 1080, 540, Qt::red);
    e.f.ui.answerFiles({path});
    e.click(CContentFrame::AddPhotoButton);
    QCOMPARE(e.f.ui.fileRequests().back().filter, u"JPG(*.JPG)|*.JPG||"_s);
    QCOMPARE(e.f.ui.fileRequests().back().initialName, u"*.JPG"_s);
    QCOMPARE(e.model().count(), accepted ? 1 : 0);
    if (accepted) {
        const CContentPhoto& photo = *e.model().block(0)->photo;
        QCOMPARE(photo.localPath, path);
        QCOMPARE(photo.height, 270);
        QVERIFY(photo.name.isEmpty());
        QVERIFY(photo.stampName.endsWith(name));
        QVERIFY(e.f.ui.messages().empty());
    } else {
        QCOMPARE(e.f.ui.messages().back().text, u"JPG 파일만 가능합니다."_s);
    }
    // Cancelling the chooser adds nothing.
    e.click(CContentFrame::AddPhotoButton);
    QCOMPARE(e.model().count(), accepted ? 1 : 0);
}

void TestContentView::fontAndColourChoosers() {
    Editor e;
    // Without a selected text block the choosers still come up and nothing changes.
    QFont ten(u"DejaVu Sans"_s);
    ten.setPointSize(10);
    e.f.ui.answerFont(ten);
    e.click(CContentFrame::TextStyleButton);
    QCOMPARE(e.f.ui.fontRequests(), 1);
    e.type(u"styled"_s);
    e.click(CContentFrame::AddTextButton);
    e.model().modified = false;
    const struct {
        int weight;
        bool italic;
        bool bold;
    } fonts[] = {{QFont::Bold, false, true},
                 {QFont::DemiBold, true, true},
                 {QFont::ExtraBold, false, false},
                 {QFont::Normal, true, false}};
    for (const auto& font : fonts) {
        QFont chosen = ten;
        chosen.setWeight(QFont::Weight(font.weight));
        chosen.setItalic(font.italic);
        e.f.ui.answerFont(chosen);
        e.click(CContentFrame::TextStyleButton);
        const CContentText& t = *e.model().selected()->text;
        QCOMPARE(t.size, -13); // 10 points as a character height
        QCOMPARE(t.bold, font.bold);
        QCOMPARE(t.italic, font.italic);
        QCOMPARE(t.face, u"돋움체"_s); // the chosen face is not taken
    }
    QVERIFY(e.model().modified);
    e.f.ui.answerColor(QColor(1, 2, 3));
    e.click(CContentFrame::BackgroundButton);
    e.f.ui.answerColor(QColor(4, 5, 6));
    e.click(CContentFrame::TextColourButton);
    e.click(CContentFrame::TextColourButton); // cancelled
    QCOMPARE(e.model().selected()->text->background, QColor(1, 2, 3));
    QCOMPARE(e.model().selected()->text->textColour, QColor(4, 5, 6));
    QCOMPARE(e.f.ui.colorRequests(), 3);
}

void TestContentView::selectionByMouse() {
    Editor e;
    e.view->AddText(u"one\ntwo"_s);
    e.view->AddText(u"three"_s);
    const int firstHeight = e.model().block(0)->text->height;
    QTest::mouseClick(e.view->viewport(), Qt::LeftButton, {}, QPoint(100, 5));
    QCOMPARE(e.model().selectedIndex(), 0);
    QCOMPARE(e.frame->textEdit()->toPlainText(), u"one\ntwo"_s);
    // Exactly on the boundary nothing is hit and the selection stays.
    QTest::mouseClick(e.view->viewport(), Qt::LeftButton, {}, QPoint(100, firstHeight));
    QCOMPARE(e.model().selectedIndex(), 0);
    QTest::mouseClick(e.view->viewport(), Qt::LeftButton, {}, QPoint(100, firstHeight + 1));
    QCOMPARE(e.model().selectedIndex(), 1);
    QCOMPARE(e.frame->textEdit()->toPlainText(), u"three"_s);
    // Below the content: nothing.
    QTest::mouseClick(e.view->viewport(), Qt::LeftButton, {}, QPoint(100, 300));
    QCOMPARE(e.model().selectedIndex(), 1);
    // Scrolled, the point is taken in content coordinates.
    for (int i = 0; i < 30; ++i)
        e.view->AddText(u"more"_s);
    QVERIFY(e.view->scrollPosition() > 0); // appending scrolled to the end
    const int scrolled = e.view->scrollPosition();
    QTest::mouseClick(e.view->viewport(), Qt::LeftButton, {}, QPoint(100, 2));
    QCOMPARE(e.model().selectedIndex(), e.model().hitTest(scrolled + 2));
}

void TestContentView::imageSizeAndLink() {
    Editor e(Country::China);
    e.view->AddText(u"text"_s);
    QVERIFY(!e.view->offersImageSize());
    e.view->AddPhoto(writeJpeg(e.f.dir.filePath(u"a.jpg"_s), 540, 100, Qt::green), u"a.jpg"_s);
    QVERIFY(e.view->offersImageSize());
    QCOMPARE(e.view->imageSizeText(), u"设置影像大小"_s);
    e.model().modified = false;
    e.f.ui.answerModal([](QDialog& dialog) {
        auto& size = static_cast<CImageSizeDlg&>(dialog);
        const bool proposed = size.control<QLineEdit>(CImageSizeDlg::ValueId)->text() == u"100";
        size.control<QLineEdit>(CImageSizeDlg::ValueId)->setText(u"150"_s);
        QTest::keyClick(&size, Qt::Key_Return);
        return proposed ? size.result() : 0;
    });
    e.view->SetImageSize();
    QCOMPARE(e.model().selected()->photo->widthPercent, 150);
    QVERIFY(!e.model().modified);
    e.f.ui.answerModal([](QDialog& dialog) {
        auto& link = static_cast<CWebAddressDlg&>(dialog);
        link.control<QLineEdit>(CWebAddressDlg::AddressId)->setText(u"www.orvix.kr"_s);
        QTest::keyClick(&link, Qt::Key_Return);
        return link.result();
    });
    e.click(CContentFrame::WebLinkButton);
    QCOMPARE(e.model().selected()->link, u"www.orvix.kr"_s);
    e.click(CContentFrame::WebLinkButton); // cancelled: the link stays
    QCOMPARE(e.model().selected()->link, u"www.orvix.kr"_s);
    QVERIFY(!e.model().modified);
    QCOMPARE(e.f.ui.modalDialogs(),
             QStringList({u"CImageSizeDlg"_s, u"CWebAddressDlg"_s, u"CWebAddressDlg"_s}));
}

void TestContentView::painting() {
    Editor e;
    e.frame->resize(580, 900);
    QTest::qWait(10);
    e.view->AddText(u"ab"_s);
    CContentText& t = *e.model().block(0)->text;
    t.background = QColor(0, 128, 0);
    t.margin = 3;
    e.view->AddPhoto(writeJpeg(e.f.dir.filePath(u"p.jpg"_s), 1080, 400, QColor(0, 0, 255)),
                     u"p.jpg"_s); // 200 tall at full width
    e.model().block(1)->photo->widthPercent = 50;
    e.model().block(1)->photo->alignment = 2;
    e.view->AddDocument(u"d.pdf"_s, u"http://d"_s, u"PDF"_s, QString());
    e.model().select(0);
    const int textHeight = t.height;
    QImage image = e.rendered();
    // The text block: its background inside, a red outline when selected.
    QCOMPARE(QColor(image.pixel(100, textHeight / 2)), QColor(0, 128, 0));
    QCOMPARE(QColor(image.pixel(0, 1)), QColor(255, 0, 0));
    QCOMPARE(QColor(image.pixel(5 * 3 + 540 - 1, 1)), QColor(255, 0, 0));
    // The photo at 50 % on the right: 270 × 100 from x 270.
    const int top = textHeight;
    QColor blue(image.pixel(400, top + 50));
    QVERIFY2(blue.blue() > 200 && blue.red() < 50, qPrintable(blue.name()));
    QCOMPARE(QColor(image.pixel(100, top + 50)), QColor(Qt::white));
    // The document right below the drawn half photo: its icon at the right of 540.
    const int docTop = top + 100;
    QVERIFY(QColor(image.pixel(540 - 35, docTop + 35)) != QColor(Qt::white));
    QCOMPARE(e.view->drawnHeight(), textHeight + 100 + 70);
    // Selected photo: the outline 540 wide at its drawn height.
    e.model().select(1);
    image = e.rendered();
    QCOMPARE(QColor(image.pixel(0, top)), QColor(255, 0, 0));
    QCOMPARE(QColor(image.pixel(539, top + 99)), QColor(255, 0, 0));
    QCOMPARE(QColor(image.pixel(0, 1)), QColor(0, 128, 0)); // the text's outline in its colour
}

void TestContentView::newAsksOnlyWhenModified() {
    Editor e;
    e.view->AddPhoto(writeJpeg(e.f.dir.filePath(u"a.jpg"_s), 540, 100, Qt::green), u"a.jpg"_s);
    e.model().modified = false;
    e.view->SetAlignment(2); // a photo's alignment does not count as a change
    QVERIFY(e.view->NewContent());
    QVERIFY(e.f.ui.modalDialogs().isEmpty());
    QCOMPARE(e.model().count(), 0);
    e.view->AddText(u"x"_s);
    e.f.ui.answerModal([](QDialog&) { return int(DialogResult::Cancel); });
    QVERIFY(!e.view->NewContent());
    QCOMPARE(e.model().count(), 1);
    e.f.ui.answerModal([](QDialog&) { return int(DialogResult::Ok); });
    QVERIFY(e.view->NewContent());
    QCOMPARE(e.model().count(), 0);
    QVERIFY(!e.model().modified);
    QCOMPARE(e.f.ui.modalDialogs(), QStringList({u"CNewFileDlg"_s, u"CNewFileDlg"_s}));
}

void TestContentView::closingHidesAndKeepsTheBlocks() {
    Editor e;
    e.view->AddText(u"kept"_s);
    QVERIFY(!e.frame->close());
    QVERIFY(!e.frame->isVisible());
    e.frame->show();
    QCOMPARE(e.model().count(), 1);
    QCOMPARE(e.model().block(0)->text->text, u"kept"_s);
}

void TestContentView::postContentStartsNewWithoutAsking() {
    Editor e;
    e.view->AddText(u"edited"_s);
    e.frame->hide();
    QVERIFY(COrvixWinApp::current().runAction(COrvixWinApp::Action::OpenPostContent, u"31"_s));
    QVERIFY(e.f.ui.modalDialogs().isEmpty());
    QVERIFY(e.frame->isVisible());
    QCOMPARE(e.model().count(), 0);
    QVERIFY(!e.model().modified);
    QCOMPARE(e.model().mailIndex, u"31"_s);
    QCOMPARE(e.model().contentKind, ContentModel::PostContent);
}

void TestContentView::opensMemberAndStoreContents() {
    Editor e;
    QMap<QByteArray, QByteArray> files;
    files["/image/mailbox/0000000012/mem000000000012.sml"] =
        u"orvix</>kim121700</>1</>내 소개</>1<@>0<@>16<@>false<@>false<@>255<@>255<@>255<@>0<@>0"
        "<@>0<@>0<@>0<@>hello"_s.toUtf8();
    HttpPeer peer([&](const HttpPeer::Request& request) {
        return files.contains(request.path)
                   ? HttpPeer::reply(files[request.path])
                   : QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    });
    e.f.session().imageServerAddress = peer.address();
    const auto waitForEnd = [&] {
        e.f.ui.answerModal([](QDialog& dialog) {
            if (!QTest::qWaitFor([&] { return dialog.result() != 0; }, 20000))
                return 0;
            return dialog.result();
        });
    };
    e.frame->hide();
    waitForEnd();
    QVERIFY(COrvixWinApp::current().runAction(COrvixWinApp::Action::OpenMemberContent));
    QVERIFY(e.frame->isVisible());
    QCOMPARE(e.model().contentKind, int(ContentModel::MemberContent));
    QCOMPARE(e.model().count(), 1);
    QCOMPARE(e.frame->titleEdit()->text(), u"내 소개"_s);
    QCOMPARE(e.model().fileName, u"kim121700"_s);

    // The store's content: New first (the member keeps a modified content by cancelling it).
    e.view->AddText(u"changed"_s);
    e.f.ui.answerModal([](QDialog&) { return int(DialogResult::Cancel); });
    QVERIFY(COrvixWinApp::current().runAction(COrvixWinApp::Action::OpenStoreContent));
    QCOMPARE(e.model().count(), 2);
    QCOMPARE(e.model().contentKind, int(ContentModel::MemberContent));
    // Agreed: a new content of the store; the server has none, so it stays new.
    e.f.ui.answerModal([](QDialog&) { return int(DialogResult::Ok); });
    waitForEnd();
    QVERIFY(COrvixWinApp::current().runAction(COrvixWinApp::Action::OpenStoreContent));
    QCOMPARE(e.model().count(), 0);
    QCOMPARE(e.model().contentKind, int(ContentModel::StoreContent));
    QCOMPARE(e.model().fileName, u"st000000031"_s);
    QCOMPARE(peer.requests().last().path, QByteArray("/image/mailbox/0000000012/st000000031.sml"));
    // A member content that cannot be downloaded leaves the view and its kind as they were...
    files.clear();
    e.view->AddText(u"stays"_s);
    waitForEnd();
    e.view->OpenMemberContent();
    QCOMPARE(e.model().count(), 1);
    QCOMPARE(e.model().contentKind, int(ContentModel::StoreContent));
    QCOMPARE(e.model().fileName, u"st000000031"_s);
    // ...but a member without a profile starts one in an empty new content.
    e.f.ui.answerModal([](QDialog&) { return int(DialogResult::Ok); });
    QVERIFY(e.view->NewContent());
    waitForEnd();
    e.view->OpenMemberContent();
    QCOMPARE(e.model().contentKind, int(ContentModel::MemberContent));
    QCOMPARE(e.model().fileName, u"mem000000000012"_s);
    QCOMPARE(e.model().count(), 0);
}

void TestContentView::previewShowsThePageWritten() {
    Editor e;
    e.view->AddText(u"<i>preview</i>"_s);
    // Without a title: the member is told, nothing is written or shown.
    e.click(CContentFrame::PreviewButton);
    QCOMPARE(e.f.ui.messages().back().text, u"제목을 입려하지 않으셨습니다."_s);
    QVERIFY(e.f.ui.modalDialogs().isEmpty());
    const QString page = CWebDialog::previewPath(e.f.dir.path());
    QVERIFY(!QFile::exists(page));
    e.frame->titleEdit()->setText(u"미리"_s);
    QString shown;
    QString address; // the dialog's browser goes with the dialog: read while it is up
    e.f.ui.answerModal([&](QDialog& dialog) {
        shown = dialog.windowTitle();
        address = e.f.browsers.back()->lastAddress();
        return int(DialogResult::Ok);
    });
    e.click(CContentFrame::PreviewButton);
    QCOMPARE(e.f.ui.modalDialogs(), QStringList{u"CWebDialog"_s});
    QCOMPARE(shown, u"미리보기"_s);
    QCOMPARE(address, page);
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("charset=utf-8"));
    QVERIFY(bytes.contains("'>[i]preview[/i]</p>\r\n"));
}

void TestContentView::documentsComeFromTheRegistrationDialog() {
    Editor e;
    // Without the documents' dialog the button does nothing.
    e.click(CContentFrame::AddDocumentButton);
    QCOMPARE(e.model().count(), 0);
    // The dialog runs over the editor; what it registered with OK becomes a document block.
    int result = DialogResult::Cancel;
    QWidget* parent = nullptr;
    COrvixWinApp::current().setAction(COrvixWinApp::Action::RunDocumentDialog,
                                      [&](const QVariant& argument) {
                                          DocumentDialogRun* run = DocumentDialogRun::of(argument);
                                          QVERIFY(run);
                                          parent = run->parent;
                                          run->result = result;
                                          run->fileName = u"report.pdf"_s;
                                          run->address = u"http://h/image/document/12/1.PDF"_s;
                                          run->extension = u"PDF"_s;
                                          run->comment = u"memo"_s;
                                      });
    e.click(CContentFrame::AddDocumentButton);
    QCOMPARE(parent, static_cast<QWidget*>(e.frame.get()));
    QCOMPARE(e.model().count(), 0);
    QVERIFY(!e.model().modified);
    result = DialogResult::Ok;
    e.click(CContentFrame::AddDocumentButton);
    QCOMPARE(e.model().count(), 1);
    const CContentDoc& d = *e.model().block(0)->document;
    QCOMPARE(d.fileName, u"report.pdf"_s);
    QCOMPARE(d.address, u"http://h/image/document/12/1.PDF"_s);
    QCOMPARE(d.extension, u"PDF"_s);
    QCOMPARE(d.comment, u"memo"_s);
    QVERIFY(e.model().modified && e.model().block(0)->selected);
}

QTEST_MAIN(TestContentView)
#include "tst_content_view.moc"
