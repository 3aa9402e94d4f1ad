#include "app/login_dlg.h"
#include "app/main_frame.h"
#include "app/orvix_win_app.h"
#include "app/settings_file.h"
#include "app/upgrade_dlg.h"
#include "document_templates.h"
#include "imaging/dib_picture.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"
#include "support/http_peer.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using orvix::test::HttpPeer;
using Window = COrvixWinApp::Window;

namespace {

QByteArray jpegPhoto() {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

// A server that admits every login; the reply's version code and photo marker are settable.
struct Server {
    QByteArray latestVersionCode = "7";
    QByteArray photoMarker = "0";
    HttpPeer peer{[this](const HttpPeer::Request& request) {
        if (request.method == "GET")
            return HttpPeer::reply(jpegPhoto(), "image/jpeg");
        const QByteArray address = peer.address().toUtf8();
        return HttpPeer::reply("1</>1</>5</>device5</>" + photoMarker + "</>6</>" +
                               latestVersionCode + "</>0.5.6</>" + address + "</>" + address +
                               "</></></>7");
    }};
};

struct Fixture {
    QTemporaryDir documents;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    std::unique_ptr<COrvixWinApp> app;

    explicit Fixture(const QString& country = QStringLiteral("KR")) {
        environment.documents = documents.path();
        environment.country = country;
        app = std::make_unique<COrvixWinApp>(COrvixWinApp::Services{&environment, &ui, &sound, {}});
        registerDocumentTemplates(*app);
    }
    ~Fixture() {
        // The windows belong to no parent: the program keeps them to its end.
        for (QWidget* widget : QApplication::topLevelWidgets())
            delete widget;
    }

    // The member types an ID and a password and presses OK; the run ends with the dialog.
    void answerLogin(const QString& id, const QString& password) {
        ui.answerModal([id, password](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(id);
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(password);
            login.control<QPushButton>(1)->click();
            if (!QTest::qWaitFor([&] { return login.result() != 0; }, 10000))
                return static_cast<int>(DialogResult::Cancel);
            return login.result();
        });
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void cancelledLoginEndsBeforeAnyWindow() {
        Fixture f(QStringLiteral("JP"));
        QString title;
        f.ui.answerModal([&](QDialog& dialog) {
            title = dialog.windowTitle();
            return static_cast<int>(DialogResult::Cancel);
        });
        QVERIFY(!f.app->InitInstance({}));
        QCOMPARE(title, QStringLiteral("Orvix Login"));
        QCOMPARE(f.app->session().country, 2);
        QVERIFY(QDir(f.documents.filePath(QStringLiteral("OrvixWin"))).exists());
        QVERIFY(!f.app->window(Window::Main));
        QVERIFY(!f.app->window(Window::ChatFrame));
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void rememberedValuesFillTheLoginDialog() {
        Fixture f;
        QDir().mkpath(f.documents.filePath(QStringLiteral("OrvixWin")));
        QVERIFY(SettingsFile::write(f.documents.filePath(QStringLiteral("OrvixWin/orvisys.sy1")),
                                    QStringLiteral("홍길동").toUtf8(), "pw"));
        QString id, password;
        f.ui.answerModal([&](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            id = login.control<QLineEdit>(CLoginDlg::IdEdit)->text();
            password = login.control<QLineEdit>(CLoginDlg::PasswordEdit)->text();
            return static_cast<int>(DialogResult::Cancel);
        });
        QVERIFY(!f.app->InitInstance({}));
        QCOMPARE(id, QStringLiteral("홍길동"));
        QCOMPARE(password, QStringLiteral("pw"));
        QCOMPARE(f.app->session().country, 0);
    }

    void loginOpensTheLauncherAndHiddenFeatureWindows() {
        Server server;
        qputenv("ORVIX_SERVER", server.peer.address().toUtf8());
        Fixture f(QStringLiteral("CN"));
        f.answerLogin(QStringLiteral("member"), QStringLiteral("secret"));
        // A content file named on the command line is not opened.
        QVERIFY(f.app->InitInstance({QStringLiteral("orvixwin"), QStringLiteral("/tmp/x.sml")}));

        auto* main = f.app->window<CMainFrame>(Window::Main);
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->windowTitle(), QStringLiteral("Orvix"));
        QCOMPARE(main->size(), QSize(500, 170));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(main->geometry().topLeft(), QPoint((area.width() - 500) / 2, 20));

        struct Expected {
            Window window;
            QString title;
            QSize size;
            int top;
        };
        const Expected frames[] = {
            {Window::ChatFrame, QString(), QSize(800, 450), 200},
            {Window::ImageFrame, QStringLiteral("사진보기"), QSize(400, 300), 200},
            {Window::ContentFrame, QStringLiteral("内容编辑器"), QSize(580, 600), 200},
            {Window::PostFrame, QStringLiteral("Orvix广场"), QSize(700, 600), 180},
            {Window::PostListFrame, QStringLiteral("Orvix广场"), QSize(470, 600), 200},
        };
        for (const Expected& expected : frames) {
            QWidget* frame = f.app->window(expected.window);
            QVERIFY(frame);
            QVERIFY(frame->isHidden());
            if (!expected.title.isNull())
                QCOMPARE(frame->windowTitle(), expected.title);
            QCOMPARE(frame->size(), expected.size);
            QCOMPARE(frame->geometry().y(), expected.top);
        }
        QCOMPARE(f.app->window(Window::PostListFrame)->geometry().x(), (area.width() - 800) / 2);
        // The store window opens only when the member asks for it.
        QVERIFY(!f.app->window(Window::StoreFrame));

        // Equal version codes show no upgrade prompt; the only modal run was the login.
        QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("CLoginDlg")});
        QCOMPARE(f.app->session().deviceId, QStringLiteral("device5"));
        QVERIFY(!f.app->memberPhoto());
        QCOMPARE(f.app->defaultMemberPicture().size(), QSize(50, 50));
        QCOMPARE(f.app->documentTemplates().size(), size_t(7));
        QCOMPARE(f.app->documentTemplates()[0].fileTypeId(), QStringLiteral("OrvixWin.Document"));
        QCOMPARE(f.app->documentTemplates()[0].filterName(), QStringLiteral("Orvix Files (*.sml)"));
    }

    void memberPhotoAndUpgradePrompt() {
        Server server;
        server.photoMarker = "1";
        server.latestVersionCode = "8";
        qputenv("ORVIX_SERVER", server.peer.address().toUtf8());
        Fixture f;
        f.answerLogin(QStringLiteral("member"), QStringLiteral("secret"));
        QVERIFY(f.app->InitInstance({}));
        QVERIFY(f.app->memberPhoto());
        QCOMPARE(f.app->memberPhoto()->height(), 48);
        QCOMPARE(f.app->session().memberPhotoPath,
                 f.documents.filePath(QStringLiteral("OrvixWin/mem5.jpg")));
        QVERIFY(f.ui.modalDialogs().contains(QStringLiteral("UpGradeDlg")));
    }

    void upgradeAcceptedEndsStartUpWithExitCodeOne() {
        Server server;
        server.latestVersionCode = "8";
        qputenv("ORVIX_SERVER", server.peer.address().toUtf8());
        Fixture f;
        f.answerLogin(QStringLiteral("member"), QStringLiteral("secret"));
        f.ui.answerModal([](QDialog& dialog) {
            static_cast<UpGradeDlg&>(dialog).control<QPushButton>(1)->click();
            return dialog.result();
        });
        QVERIFY(!f.app->InitInstance({}));
        QCOMPARE(f.app->exitCode(), 1);
        QCOMPARE(f.ui.openedAddresses().size(), size_t(1));
        QCOMPARE(f.ui.openedAddresses()[0], UpGradeDlg::webSiteAddress());
    }

    void startUpFailsWithoutEveryTemplate() {
        QTemporaryDir documents;
        FixedEnvironment environment;
        environment.documents = documents.path();
        ScriptedUiServices ui;
        CountingSound sound;
        auto admitted = [](QDialog&) { return static_cast<int>(DialogResult::Ok); };
        {
            // Six kinds of window instead of seven.
            COrvixWinApp app({&environment, &ui, &sound, {}});
            registerDocumentTemplates(app);
            std::vector<DocumentTemplate> six(app.documentTemplates().begin(),
                                              app.documentTemplates().end() - 1);
            COrvixWinApp shorter({&environment, &ui, &sound, {}});
            for (const DocumentTemplate& t : six)
                shorter.AddDocTemplate(t);
            ui.answerModal(admitted);
            QVERIFY(!shorter.InitInstance({}));
        }
        {
            // Seven, but one that cannot create its window.
            COrvixWinApp app({&environment, &ui, &sound, {}});
            registerDocumentTemplates(app);
            DocumentTemplate broken;
            broken.documentClass = QStringLiteral("COrvixWinDoc");
            COrvixWinApp withBroken({&environment, &ui, &sound, {}});
            for (std::size_t i = 0; i < 6; ++i)
                withBroken.AddDocTemplate(app.documentTemplates()[i]);
            withBroken.AddDocTemplate(broken);
            ui.answerModal(admitted);
            QVERIFY(!withBroken.InitInstance({}));
            QVERIFY(!withBroken.window(Window::Main));
        }
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
