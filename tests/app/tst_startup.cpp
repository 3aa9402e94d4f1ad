#include "app/login_dlg.h"
#include "app/main_frame.h"
#include "app/settings_file.h"
#include "app/upgrade_dlg.h"
#include "document_templates.h"
#include "imaging/dib_picture.h"
#include "platform/resources.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace orvix;
using test::HttpPeer;
using Window = COrvixWinApp::Window;

namespace {

// A server that admits every login; the reply's version code and photo marker are settable.
struct Server {
    QByteArray latestVersionCode = "7";
    QByteArray photoMarker = "0";
    HttpPeer peer{[this](const HttpPeer::Request& request) {
        if (request.method == "GET") {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::blue);
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "JPEG");
            return HttpPeer::reply(jpeg, "image/jpeg");
        }
        const QByteArray address = peer.address().toUtf8();
        return HttpPeer::reply("1</>1</>5</>device5</>" + photoMarker + "</>6</>" +
                               latestVersionCode + "</>0.5.6</>" + address + "</>" + address +
                               "</></></>7");
    }};
    Configuration configuration() const {
        Configuration built;
        built.serverAddress = peer.address();
        return built;
    }
};

// The application with the program's windows registered, as main() puts it together.
struct Startup : test::ShellFixture {
    explicit Startup(const char* country = "KR", Configuration configuration = {})
        : ShellFixture(Country::Korea, std::move(configuration)) {
        environment.country = QString::fromLatin1(country);
        registerDocumentTemplates(*app);
    }
    ~Startup() {
        // The windows belong to no parent: the program keeps them to its end.
        qDeleteAll(QApplication::topLevelWidgets());
    }
    // The member types an ID and a password and presses OK; the run ends with the dialog.
    void answerLogin(QIcon* icon = nullptr) {
        ui.answerModal([icon](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            if (icon)
                *icon = login.windowIcon();
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(QStringLiteral("member"));
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(QStringLiteral("secret"));
            login.control<QPushButton>(1)->click();
            if (!QTest::qWaitFor([&] { return login.result() != 0; }, 10000))
                return int(DialogResult::Cancel);
            return login.result();
        });
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void cancelledLoginEndsBeforeAnyWindow() {
        Startup f("JP");
        QDir().mkpath(f.dir.filePath(QStringLiteral("OrvixWin")));
        QVERIFY(SettingsFile::write(f.dir.filePath(QStringLiteral("OrvixWin/orvisys.sy1")),
                                    QStringLiteral("홍길동").toUtf8(), "pw"));
        QString title, id;
        f.ui.answerModal([&](QDialog& dialog) {
            title = dialog.windowTitle();
            id = static_cast<CLoginDlg&>(dialog).control<QLineEdit>(CLoginDlg::IdEdit)->text();
            return int(DialogResult::Cancel);
        });
        QVERIFY(!f.app->InitInstance({}));
        QCOMPARE(f.app->exitCode(), 1);
        QCOMPARE(title, QStringLiteral("Orvix Login")); // "JP" takes the English column
        QCOMPARE(id, QStringLiteral("홍길동"));
        QVERIFY(!f.app->window(Window::Main));
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void loginOpensTheLauncherAndHiddenFeatureWindows() {
        Server server;
        server.photoMarker = "1";
        Startup f("CN", server.configuration());
        QIcon loginIcon;
        f.answerLogin(&loginIcon);
        // A content file named on the command line is not opened.
        QVERIFY(f.app->InitInstance({QStringLiteral("orvixwin"), QStringLiteral("/tmp/x.sml")}));

        // Every window carries the program's icon, the login dialog first.
        const auto isProgramIcon = [](const QIcon& icon) {
            return !icon.isNull() &&
                   icon.pixmap(32).toImage() == res::icon(res::ProgramIcon).pixmap(32).toImage();
        };
        QVERIFY(isProgramIcon(loginIcon));

        // Sizes and places are those of the outer frames, caption and border included.
        const int left800 =
            (QGuiApplication::primaryScreen()->availableGeometry().width() - 800) / 2;
        auto* main = f.app->window<CMainFrame>(Window::Main);
        QVERIFY(main && main->isVisible());
        QVERIFY(isProgramIcon(main->windowIcon()));
        QVERIFY(!main->acceptDrops()); // dropped files are not taken
        QCOMPARE(main->windowTitle(), QStringLiteral("Orvix"));
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QTRY_COMPARE(main->frameGeometry(), QRect(left800 + 150, 20, 500, 170));
        const struct {
            Window window;
            QString title;
            QRect geometry;
        } frames[] = {
            {Window::ChatFrame, QString(), QRect(left800, 200, 800, 450)},
            {Window::ImageFrame, QStringLiteral("사진보기"), QRect(left800 + 200, 200, 400, 300)},
            {Window::ContentFrame, QStringLiteral("内容编辑器"), QRect(left800, 200, 580, 600)},
            {Window::PostFrame, QStringLiteral("Orvix广场"), QRect(left800, 180, 700, 600)},
            {Window::PostListFrame, QStringLiteral("Orvix广场"), QRect(left800, 200, 470, 600)},
        };
        for (const auto& expected : frames) {
            QWidget* frame = f.app->window(expected.window);
            QVERIFY(frame && frame->isHidden());
            QCOMPARE(frame->windowTitle(), expected.title);
            QVERIFY(isProgramIcon(frame->windowIcon()));
            frame->show();
            QVERIFY(QTest::qWaitForWindowExposed(frame));
            QTRY_COMPARE(frame->frameGeometry(), expected.geometry);
            QVERIFY(frame->geometry() != expected.geometry); // the frame has its margins
            frame->hide();
        }
        QVERIFY(!f.app->window(Window::StoreFrame)); // opens only when asked for
        // Equal version codes show no upgrade prompt; the only modal run was the login.
        QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("CLoginDlg")});
        QCOMPARE(f.app->memberPhoto()->height(), 48); // fetched at login, loaded at start-up
        QCOMPARE(f.session().memberPhotoPath, f.dir.filePath(QStringLiteral("OrvixWin/mem5.jpg")));
    }

    void upgradeAcceptedEndsStartUpWithExitCodeOne() {
        Server server;
        server.latestVersionCode = "8";
        Configuration configuration = server.configuration();
        configuration.webHost = QStringLiteral("web.orvix.test");
        Startup f("KR", configuration);
        f.answerLogin();
        f.ui.answerModal([](QDialog& dialog) {
            static_cast<UpGradeDlg&>(dialog).control<QPushButton>(1)->click();
            return dialog.result();
        });
        QVERIFY(!f.app->InitInstance({}));
        QCOMPARE(f.app->exitCode(), 1);
        QCOMPARE(f.ui.openedAddresses(), std::vector{QUrl(u"http://web.orvix.test/"_qs)});
    }

    void startUpFailsWhenAnyTemplateCannotCreateItsWindow() {
        test::ShellFixture f;
        COrvixWinApp complete({&f.environment, &f.ui, &f.sound, {}}, {});
        registerDocumentTemplates(complete);
        const std::vector<DocumentTemplate> all = complete.documentTemplates();
        QCOMPARE(all.size(), std::size_t(7));
        // None (nothing registered), the main window's, the store's (opened later), the last.
        for (std::size_t broken :
             {all.size() + 1, std::size_t(0), std::size_t(5), all.size() - 1}) {
            COrvixWinApp app({&f.environment, &f.ui, &f.sound, {}}, {});
            for (std::size_t i = 0; i < all.size() && broken <= all.size(); ++i)
                app.AddDocTemplate(i == broken ? DocumentTemplate{} : all[i]);
            f.ui.answerModal([](QDialog&) { return int(DialogResult::Ok); });
            QVERIFY(!app.InitInstance({}));
            QVERIFY(!app.window(Window::Main));
        }
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
