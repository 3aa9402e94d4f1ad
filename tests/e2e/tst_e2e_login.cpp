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
#include "support/http_peer.h"
#include "support/server_process.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace orvix;
using orvix::test::ServerProcess;
using Window = COrvixWinApp::Window;

namespace {

// Sends one form request to the server the way the client frames it and returns the body.
QByteArray postForm(quint16 port, const QByteArray& path, const QByteArray& body) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray reply;
    while (socket.waitForReadyRead(5000)) {
        reply += socket.readAll();
        const qsizetype end = reply.indexOf("\r\n\r\n");
        if (end >= 0) {
            const qsizetype at = reply.indexOf("Content-Length: ");
            const qsizetype length =
                reply.mid(at + 16, reply.indexOf("\r\n", at) - at - 16).toLongLong();
            if (reply.size() >= end + 4 + length)
                return reply.mid(end + 4, length);
        }
    }
    return {};
}

QString writePhoto(const QString& folder) {
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(QColor(200, 80, 40));
    const QString path = folder + QStringLiteral("/photo.jpg");
    image.save(path, "JPEG");
    return path;
}

} // namespace

class TestEndToEndLogin : public QObject {
    Q_OBJECT
private slots:
    void loginThroughPhoneApprovalAndEndOfSession() {
        ServerProcess server(QStringLiteral(ORVIX_SERVER_BINARY));
        QTemporaryDir scratch;
        const QByteArray number = server.admin(
            {QStringLiteral("add-member"), QStringLiteral("kim"), QStringLiteral("pass1234"),
             QStringLiteral("--photo"), writePhoto(scratch.path())});
        QVERIFY2(!number.isNull(), "add-member failed");
        const QString memberNumber = QString::fromUtf8(number).trimmed();
        QVERIFY2(server.start(), server.output().constData());
        qputenv("ORVIX_SERVER", server.httpAddress().toUtf8());

        QTemporaryDir documents;
        FixedEnvironment environment;
        environment.documents = documents.path();
        environment.country = QStringLiteral("KR");
        ScriptedUiServices ui;
        CountingSound sound;
        COrvixWinApp app({&environment, &ui, &sound, {}});
        registerDocumentTemplates(app);

        // The member logs in; the server waits for the phone; the phone approves.
        bool sawPending = false;
        bool stillWaiting = false;
        ui.answerModal([&](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(QStringLiteral("kim"));
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(QStringLiteral("pass1234"));
            QTest::keyClick(login.control<QLineEdit>(CLoginDlg::PasswordEdit), Qt::Key_Return);
            auto* area = login.control<QPlainTextEdit>(CLoginDlg::MessageArea);
            sawPending = QTest::qWaitFor([&] { return area->isVisible(); }, 10000) &&
                         !login.control<QPushButton>(1)->isEnabled();
            // Let the dialog ask a few more times before the phone answers.
            QTest::qWait(350);
            stillWaiting = login.result() == 0 && !login.control<QPushButton>(1)->isEnabled();
            if (server.admin({QStringLiteral("approve-pc"), QStringLiteral("kim")}).isNull())
                return static_cast<int>(DialogResult::Cancel);
            if (!QTest::qWaitFor([&] { return login.result() != 0; }, 10000))
                return static_cast<int>(DialogResult::Cancel);
            return login.result();
        });
        const bool started = app.InitInstance({});
        QVERIFY(started);
        QVERIFY(sawPending);
        QVERIFY(stillWaiting);

        // The session record.
        const SessionRecord& session = app.session();
        QCOMPARE(session.memberId, QStringLiteral("kim"));
        QCOMPARE(session.memberNumber, memberNumber);
        QCOMPARE(session.deviceId.size(), 32);
        QVERIFY(!session.storeNumber.isEmpty());
        QCOMPARE(session.serverAddress, server.httpAddress());
        QCOMPARE(session.imageServerAddress, server.httpAddress());
        QCOMPARE(session.latestVersionCode, QStringLiteral("7"));
        QCOMPARE(session.minimumVersionCode, QStringLiteral("7"));

        // The settings file remembers the login; the member photo was fetched and loaded.
        const auto remembered = SettingsFile::read(app.settingsPath());
        QVERIFY(remembered.has_value());
        QCOMPARE(remembered->id, QByteArray("kim"));
        QCOMPARE(remembered->password, QByteArray("pass1234"));
        QCOMPARE(session.memberPhotoPath, documents.path() + QStringLiteral("/OrvixWin/mem") +
                                              memberNumber + QStringLiteral(".jpg"));
        QVERIFY(app.memberPhoto());
        QCOMPARE(app.memberPhoto()->height(), 90);

        // The launcher.
        auto* main = app.window<CMainFrame>(Window::Main);
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->size(), QSize(500, 170));
        QCOMPARE(main->view()->buttons().size(), size_t(5));
        QCOMPARE(main->view()->buttonAt(QPoint(186, 50)), 2);
        QCOMPARE(main->view()->buttonAt(QPoint(192, 50)), 3);
        QCOMPARE(ui.modalDialogs(), QStringList{QStringLiteral("CLoginDlg")});

        // Closing the main window ends the PC session on the server, then the program.
        QSignalSpy ended(main, &CMainFrame::sessionEnded);
        main->close();
        QVERIFY(main->isVisible()); // until the server has answered
        QVERIFY(ended.wait(10000));
        QVERIFY(!main->isVisible());
        const QByteArray again = postForm(server.httpPort(), "/android/closeusepc.php",
                                          "deviceid=" + session.deviceId.toUtf8());
        QCOMPARE(again, QByteArray("0"));

        for (QWidget* widget : QApplication::topLevelWidgets())
            delete widget;
    }

    void refusedOnThePhoneEndsWithExitCodeOne() {
        ServerProcess server(QStringLiteral(ORVIX_SERVER_BINARY));
        QVERIFY(!server
                     .admin({QStringLiteral("add-member"), QStringLiteral("lee"),
                             QStringLiteral("pw5678")})
                     .isNull());
        QVERIFY2(server.start(), server.output().constData());
        qputenv("ORVIX_SERVER", server.httpAddress().toUtf8());

        QTemporaryDir documents;
        FixedEnvironment environment;
        environment.documents = documents.path();
        environment.country = QStringLiteral("US");
        ScriptedUiServices ui;
        CountingSound sound;
        COrvixWinApp app({&environment, &ui, &sound, {}});
        registerDocumentTemplates(app);
        ui.answerModal([&](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(QStringLiteral("lee"));
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(QStringLiteral("pw5678"));
            login.control<QPushButton>(1)->click();
            if (!QTest::qWaitFor([&] { return login.isRepeating(); }, 10000))
                return static_cast<int>(DialogResult::Ok);
            server.admin({QStringLiteral("refuse-pc"), QStringLiteral("lee")});
            if (!QTest::qWaitFor([&] { return login.result() != 0; }, 10000))
                return static_cast<int>(DialogResult::Ok);
            return login.result();
        });
        QVERIFY(!app.InitInstance({}));
        QCOMPARE(app.exitCode(), 1);
        QCOMPARE(ui.messages().size(), size_t(1));
        QCOMPARE(ui.messages()[0].text, QStringLiteral("Not agree use PC"));
        QVERIFY(!app.window(Window::Main));
        QVERIFY(!QFile::exists(app.settingsPath()));
    }
};

QTEST_MAIN(TestEndToEndLogin)
#include "tst_e2e_login.moc"
