// The store form as the member uses it: reached through the New command, its controls and
// labels, the notices, the registration against a scripted server, the photo copies and the
// address page.

#include "app/new_document_command.h"
#include "app/new_type_dlg.h"
#include "app/orvix_msg_dlg.h"
#include "store/store_add_view.h"
#include "store/store_frame.h"
#include "store/web_map_view.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;
using orvix::test::HttpPeer;
using orvix::test::ShellFixture;

namespace {

// The application with a scripted server; the browsers it creates are recorded.
struct StoreFixture {
    HttpPeer server;
    ShellFixture f;
    ScriptedUiServices& ui = f.ui;
    FixedEnvironment& environment = f.environment;
    QTemporaryDir& dir = f.dir;
    std::vector<RecordingBrowser*>& browsers = f.browsers;
    COrvixWinApp* app = nullptr;
    QStringList notices;

    static Configuration pointedAtWebHost() {
        Configuration configuration;
        configuration.webHost = u"web.example:8080"_s;
        return configuration;
    }
    // An empty reply closes the connection without answering.
    explicit StoreFixture(const QByteArray& reply = "1</>1</>42")
        : server([reply](const HttpPeer::Request&) {
            return reply.isEmpty() ? QByteArray() : HttpPeer::reply(reply);
        })
        , f(Country::Korea, pointedAtWebHost()) {
        app = f.app.get();
        app->session().memberNumber = u"12"_s;
        app->setServerAddress(server.address());
    }
    // Answers the next notice (or any modal dialog), keeping its text.
    void expectNotice() {
        ui.answerModal([this](QDialog& dialog) {
            if (auto* notice = qobject_cast<COrvixMsgDlg*>(&dialog))
                notices << notice->message();
            return int(DialogResult::Ok);
        });
    }
    QString picture(const QString& name, int width) {
        QImage image(width, width / 2, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = dir.filePath(name);
        return image.save(path) ? path : QString();
    }
};

void type(CStoreAddView& view, int id, const QString& text) {
    findControl<QLineEdit>(&view, id)->setText(text);
}

void click(CStoreAddView& view, int id) {
    QTest::mouseClick(findControl<QPushButton>(&view, id), Qt::LeftButton);
}

void fill(CStoreAddView& view) {
    type(view, CStoreAddView::StoreNameEdit, u"카페 & Bar"_s);
    type(view, CStoreAddView::PhoneEdit, u"02-1234"_s);
    type(view, CStoreAddView::TitleEdit, u"Fresh coffee"_s);
    type(view, CStoreAddView::KindEdit, u"cafe"_s);
    type(view, CStoreAddView::OwnerEdit, u"Kim"_s);
}

// A stand-in main window type (without a name) and the store type, as start-up registers them.
void registerTypes(COrvixWinApp& app) {
    DocumentTemplate main;
    main.createFrame = [] { return static_cast<QWidget*>(new QMainWindow()); };
    DocumentTemplate store;
    store.createFrame = [] { return static_cast<QWidget*>(new CStoreFrame()); };
    store.createdAtStart = false;
    store.name = {u"상점 등록", u"商店注册", u"Store registration"};
    app.AddDocTemplate(main);
    app.AddDocTemplate(store);
}

} // namespace

class TestStoreView : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { qDeleteAll(QApplication::topLevelWidgets()); }

    void newCommandOpensTheStoreForm() {
        StoreFixture f;
        registerTypes(*f.app);
        QCOMPARE(NewDocumentCommand::typeNames(*f.app, Country::China),
                 QStringList({u"Orvix"_s, u"Orvix — 商店注册"_s}));
        QWidget host;
        QAction* action = NewDocumentCommand::addTo(&host);
        QCOMPARE(action->shortcut(), QKeySequence(QKeySequence::New));
        QCOMPARE(action->text(), u"새로 만들기"_s);

        // Cancel opens nothing; choosing the store type opens the store window.
        f.ui.answerModal([](QDialog&) { return int(DialogResult::Cancel); });
        action->trigger();
        QVERIFY(!f.app->window(COrvixWinApp::Window::StoreFrame));
        QStringList listed;
        f.ui.answerModal([&](QDialog& dialog) {
            auto& chooser = static_cast<CNewTypeDlg&>(dialog);
            for (int i = 0; i < chooser.list()->count(); ++i)
                listed << chooser.list()->item(i)->text();
            chooser.list()->setCurrentRow(1);
            return int(DialogResult::Ok);
        });
        action->trigger();
        QCOMPARE(listed, QStringList({u"Orvix"_s, u"Orvix — 상점 등록"_s}));
        auto* frame = f.app->window<CStoreFrame>(COrvixWinApp::Window::StoreFrame);
        QVERIFY(frame && frame->isVisible());
        // Placed by its outer frame, caption and border included.
        QTRY_COMPARE(frame->frameGeometry(), QRect(FrameWindow::centredLeft(800), 180, 700, 600));

        // Closed and asked for again: the same window comes back, not a second one.
        frame->close();
        QVERIFY(!frame->isVisible());
        QCOMPARE(NewDocumentCommand::open(*f.app, 1), frame);
        QVERIFY(frame->isVisible());
        QCOMPARE(NewDocumentCommand::open(*f.app, 2), nullptr);
        QCOMPARE(f.ui.modalDialogs(), QStringList({u"CNewTypeDlg"_s, u"CNewTypeDlg"_s}));
    }

    void controlsAndLabels() {
        StoreFixture f;
        CStoreFrame frame;
        CStoreAddView& view = *frame.view();
        const DialogTemplate form = CStoreAddView::dialogTemplate();
        const DialogUnits units = DialogUnits::forFont(form.fontFace, form.pointSize);
        // Every control at its place; the labels, lower than their font, grown about their
        // middle.
        for (const DialogControl& control : form.controls) {
            QWidget* widget = findControl<QWidget>(&view, control.id);
            QVERIFY(widget);
            const QRect place = units.toPixels(control.rect);
            if (control.kind != ControlKind::Static) {
                QCOMPARE(widget->geometry(), place);
                continue;
            }
            QCOMPARE(widget->x(), place.x());
            QCOMPARE(widget->width(), place.width());
            QVERIFY(qAbs(widget->geometry().center().y() - place.center().y()) <= 1);
            QVERIFY(widget->height() >= QFontMetrics(view.labelFont()).height());
        }
        // The labels from the Chinese column whatever the country, in the 16-pixel label font.
        QCOMPARE(findControl<QPushButton>(&view, CStoreAddView::SaveButton)->text(), u"保存"_s);
        auto* name = findControl<QWidget>(&view, CStoreAddView::StoreNameLabel);
        QCOMPARE(name->property("text").toString(), u"商号"_s);
        QCOMPARE(name->font().pixelSize(), 16);
        QCOMPARE(name->font().family(), u"돋움체"_s);
        QCOMPARE(findControl<QWidget>(&view, CStoreAddView::TitleEdit)->font().pixelSize(),
                 pointsToPixels(9));
        QVERIFY(findControl<QWidget>(&view, CStoreAddView::ViewPhotoButton)->isHidden());
        QCOMPARE(frame.windowTitle(), u"商店注册"_s);
    }

    void photosAndChecksInOrder() {
        StoreFixture f;
        CStoreFrame frame;
        frame.show();
        CStoreAddView& view = *frame.view();
        // A store photo of another type: the notice, nothing kept.
        f.ui.answerFiles({f.dir.filePath(u"shop.bmp"_s)});
        f.expectNotice();
        click(view, CStoreAddView::StorePhotoButton);
        QCOMPARE(f.ui.fileRequests().back().filter, StoreForm::PhotoFilter);
        QCOMPARE(f.ui.fileRequests().back().initialName, u"*.JPG"_s);
        QVERIFY(!f.ui.fileRequests().back().multiple);
        QVERIFY(view.form().storePhotoPath().isEmpty());
        QVERIFY(findControl<QWidget>(&view, CStoreAddView::ViewPhotoButton)->isHidden());

        // Each missing field in turn, in order, named by its label; nothing is sent.
        const QStringList expected = {u"商号"_s, u"电话号码"_s, u"单行说明"_s, u"商店分类"_s,
                                      u"社长"_s, u"商店照片"_s, u"商店信息"_s};
        const int edits[] = {CStoreAddView::StoreNameEdit, CStoreAddView::PhoneEdit,
                             CStoreAddView::TitleEdit, CStoreAddView::KindEdit,
                             CStoreAddView::OwnerEdit};
        for (int step = 0; step < 7; ++step) {
            f.expectNotice();
            click(view, CStoreAddView::SaveButton);
            if (step < 5) {
                type(view, edits[step], u"x"_s);
            } else if (step == 5) {
                f.ui.answerFiles({f.dir.filePath(u"shop.Jpg"_s)});
                click(view, CStoreAddView::StorePhotoButton);
                QVERIFY(!findControl<QWidget>(&view, CStoreAddView::ViewPhotoButton)->isHidden());
            }
        }
        QCOMPARE(f.notices, QStringList{uiText(UiRow::PhotoFormats, StoreTextColumn)} + expected);

        // Seven information photos: six kept, and the member is told.
        QStringList seven;
        for (int i = 0; i < 7; ++i)
            seven << f.dir.filePath(u"info%1.jpg"_s.arg(i));
        f.ui.answerFiles(seven);
        f.expectNotice();
        click(view, CStoreAddView::InformationButton);
        QVERIFY(f.ui.fileRequests().back().multiple);
        QCOMPARE(view.form().infoPhotos(), seven.mid(0, 6));
        QCOMPARE(f.notices.last(), StoreForm::tooManyPhotosMessage(StoreTextColumn));
        QCOMPARE(f.server.requestCount(), 0);
    }

    void registrationCopiesPhotosAndOpensTheAddressPage() {
        StoreFixture f;
        f.environment.now = QDateTime::fromSecsSinceEpoch(1765012345, Qt::UTC);
        CStoreFrame frame;
        frame.show();
        CStoreAddView& view = *frame.view();
        fill(view);
        f.ui.answerFiles({f.picture(u"front.jpg"_s, 1600)});
        click(view, CStoreAddView::StorePhotoButton);
        f.ui.answerFiles({f.picture(u"in0.png"_s, 1200), f.picture(u"in1.jpg"_s, 900)});
        click(view, CStoreAddView::InformationButton);

        QString mapAddress;
        QString mapIndex;
        f.ui.answerModal([&](QDialog& dialog) {
            mapIndex = static_cast<CWebMapView&>(dialog).storeIndex();
            mapAddress = f.browsers.back()->lastAddress();
            return int(DialogResult::Ok);
        });
        QSignalSpy answered(&view, &CStoreAddView::registrationAnswered);
        click(view, CStoreAddView::SaveButton);
        QVERIFY(findControl<QWidget>(&view, CStoreAddView::SaveButton)->isHidden());
        QVERIFY(answered.wait(10000));
        QCOMPARE(answered.first().first().toInt(), 42);

        const auto request = f.server.requests().first();
        QCOMPARE(request.path, QByteArray("/android/pcaddstore.php"));
        QCOMPARE(QString::fromUtf8(request.body),
                 u"deviceid=dev-42&storename=카페   Bar&storetel=02-1234&storestyle=cafe&"
                 u"ceoname=Kim&title=Fresh coffee&addkey=1765012345&infophoto=2"_s);

        // The copies, the address page of the store, then an empty form.
        const QString work = f.dir.path();
        QCOMPARE(QImageReader(work + u"/storephoto/000000042.jpg"_s).size(), QSize(1000, 500));
        QCOMPARE(QImageReader(work + u"/storephoto/s000000042.jpg"_s).size(), QSize(300, 150));
        QCOMPARE(QImageReader(work + u"/mailbox/0000000012/17650123450.jpg"_s).size().width(),
                 1000);
        QVERIFY(!QFile::exists(work + u"/mailbox/0000000012/17650123451.jpg"_s));
        QCOMPARE(mapIndex, u"42"_s);
        QCOMPARE(
            mapAddress,
            u"http://web.example:8080/android/orseekaddress_cn_window.php?deviceid=dev-42&idx=42"_s);
        QVERIFY(!findControl<QWidget>(&view, CStoreAddView::SaveButton)->isHidden());
        QVERIFY(findControl<QLineEdit>(&view, CStoreAddView::StoreNameEdit)->text().isEmpty());
        QCOMPARE(view.form().firstMissing(), UiRow::StoreName);
        QVERIFY(view.form().infoPhotos().isEmpty());
    }

    void refusalKeepsTheForm_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("refused") << QByteArray("0");
        QTest::newRow("no index") << QByteArray("1</>1</>");
        QTest::newRow("error page") << QByteArray("<b>Fatal error</b>");
        QTest::newRow("no reply at all") << QByteArray();
    }

    void refusalKeepsTheForm() {
        QFETCH(QByteArray, reply);
        StoreFixture f(reply);
        CStoreFrame frame;
        frame.show();
        CStoreAddView& view = *frame.view();
        fill(view);
        f.ui.answerFiles({f.picture(u"front.jpg"_s, 1600)});
        click(view, CStoreAddView::StorePhotoButton);
        f.ui.answerFiles({f.picture(u"in0.jpg"_s, 1200)});
        click(view, CStoreAddView::InformationButton);
        f.expectNotice();
        QSignalSpy answered(&view, &CStoreAddView::registrationAnswered);
        click(view, CStoreAddView::SaveButton);
        QVERIFY(answered.wait(10000));
        QCOMPARE(answered.first().first().toInt(), 0);
        QCOMPARE(f.notices, QStringList{u"php error"_s});
        QCOMPARE(f.ui.modalDialogs(), QStringList{u"COrvixMsgDlg"_s});
        QVERIFY(!findControl<QWidget>(&view, CStoreAddView::SaveButton)->isHidden());
        QCOMPARE(findControl<QLineEdit>(&view, CStoreAddView::StoreNameEdit)->text(),
                 u"카페 & Bar"_s);
        QCOMPARE(view.form().infoPhotos().size(), 1);
        QVERIFY(!QDir(f.dir.filePath(u"storephoto"_s)).exists());
    }
};

QTEST_MAIN(TestStoreView)
#include "tst_store_view.moc"
