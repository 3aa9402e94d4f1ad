#include "app/login_dlg.h"
#include "app/main_frame.h"
#include "app/orvix_win_app.h"
#include "app/orvix_win_view.h"
#include "app/settings_file.h"
#include "document_templates.h"
#include "imaging/dib_picture.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"
#include "support/server_process.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using Window = COrvixWinApp::Window;

namespace {

// The reference server with one member, and the client's application object pointed at it.
struct EndToEnd {
    test::ServerProcess server{QStringLiteral(ORVIX_SERVER_BINARY)};
    QTemporaryDir documents;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    std::unique_ptr<COrvixWinApp> app;
    QString memberNumber;

    EndToEnd(const QString& id, const QString& password, const QStringList& memberOptions = {}) {
        // The server makes the data folder; the member is added beside it, as an operator would.
        if (!server.start())
            return;
        memberNumber = QString::fromUtf8(
            server.admin(QStringList{QStringLiteral("add-member"), id, password} + memberOptions)
                .trimmed());
        if (memberNumber.isEmpty())
            return;
        Configuration configuration;
        configuration.serverAddress = server.httpAddress();
        configuration.uploadPort = server.uploadPort();
        environment.documents = documents.path();
        app = std::make_unique<COrvixWinApp>(COrvixWinApp::Services{&environment, &ui, &sound, {}},
                                             configuration);
        registerDocumentTemplates(*app);
    }
    ~EndToEnd() { qDeleteAll(QApplication::topLevelWidgets()); }

    // The member logs in; once the server waits for the phone, the phone gives its answer.
    void loginAnsweredOnThePhone(const QString& id, const QString& password, const QString& answer,
                                 bool* sawPending) {
        ui.answerModal([=, this](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(id);
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(password);
            QTest::keyClick(login.control<QLineEdit>(CLoginDlg::PasswordEdit), Qt::Key_Return);
            auto* area = login.control<QPlainTextEdit>(CLoginDlg::MessageArea);
            *sawPending =
                QTest::qWaitFor([&] { return area->isVisible() && login.isRepeating(); }, 10000);
            QTest::qWait(300); // a few more repeats before the phone answers
            *sawPending =
                *sawPending && login.result() == 0 && !login.control<QPushButton>(1)->isEnabled();
            server.admin({answer, id});
            if (!QTest::qWaitFor([&] { return login.result() != 0; }, 10000))
                return int(DialogResult::Ok); // the test then fails on what follows
            return login.result();
        });
    }
};

} // namespace

class TestEndToEndLogin : public QObject {
    Q_OBJECT
private slots:
    void loginThroughPhoneApprovalAndEndOfSession() {
        QTemporaryDir scratch;
        QImage photo(120, 90, QImage::Format_RGB32);
        photo.fill(QColor(200, 80, 40));
        QVERIFY(photo.save(scratch.filePath(QStringLiteral("photo.jpg")), "JPEG"));
        EndToEnd e(QStringLiteral("kim"), QStringLiteral("pass1234"),
                   {QStringLiteral("--photo"), scratch.filePath(QStringLiteral("photo.jpg"))});
        QVERIFY2(e.app, e.server.output().constData());
        bool sawPending = false;
        e.loginAnsweredOnThePhone(QStringLiteral("kim"), QStringLiteral("pass1234"),
                                  QStringLiteral("approve-pc"), &sawPending);
        QVERIFY(e.app->InitInstance({}));
        QVERIFY(sawPending);

        // The session record, the settings file and the member photo.
        const SessionRecord& session = e.app->session();
        QCOMPARE(session.memberNumber, e.memberNumber);
        QCOMPARE(session.deviceId.size(), 32);
        QVERIFY(!session.storeNumber.isEmpty());
        QCOMPARE(session.serverAddress, e.server.httpAddress());
        QCOMPARE(session.imageServerAddress, e.server.httpAddress());
        QCOMPARE(session.minimumVersionCode, QStringLiteral("7"));
        const auto remembered = SettingsFile::read(e.app->settingsPath());
        QVERIFY(remembered && remembered->id == "kim" && remembered->password == "pass1234");
        QVERIFY(e.app->memberPhoto());
        QCOMPARE(e.app->memberPhoto()->height(), 90);

        // The launcher.
        auto* main = e.app->window<CMainFrame>(Window::Main);
        QVERIFY(main && main->isVisible());
        QTRY_COMPARE(main->frameGeometry().size(), QSize(500, 170)); // the outer frame
        QCOMPARE(main->view()->buttonAt(QPoint(186, 50)), 2);
        QCOMPARE(e.ui.modalDialogs(), QStringList{QStringLiteral("CLoginDlg")});

        // Closing the main window ends the PC session on the server, then the program.
        QSignalSpy ended(main, &CMainFrame::sessionEnded);
        main->close();
        QVERIFY(main->isVisible()); // until the server has answered
        QVERIFY(ended.wait(10000));
        QVERIFY(!main->isVisible());
        const QByteArray body = "deviceid=" + session.deviceId.toUtf8();
        QCOMPARE(e.server
                     .exchange("POST /android/closeusepc.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                               "Content-Length: " +
                               QByteArray::number(body.size()) + "\r\n\r\n" + body)
                     .body,
                 QByteArray("0")); // that session is no longer open
    }

    void refusedOnThePhoneEndsWithExitCodeOne() {
        EndToEnd e(QStringLiteral("lee"), QStringLiteral("pw5678"));
        QVERIFY2(e.app, e.server.output().constData());
        e.environment.country = QStringLiteral("US");
        bool sawPending = false;
        e.loginAnsweredOnThePhone(QStringLiteral("lee"), QStringLiteral("pw5678"),
                                  QStringLiteral("refuse-pc"), &sawPending);
        QVERIFY(!e.app->InitInstance({}));
        QVERIFY(sawPending);
        QCOMPARE(e.app->exitCode(), 1);
        QCOMPARE(e.ui.messages().size(), size_t(1));
        QCOMPARE(e.ui.messages()[0].text, QStringLiteral("Not agree use PC"));
        QVERIFY(!e.app->window(Window::Main));
        QVERIFY(!QFile::exists(e.app->settingsPath()));
    }
};

QTEST_MAIN(TestEndToEndLogin)
#include "tst_e2e_login.moc"
