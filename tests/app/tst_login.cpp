#include "app/login_dlg.h"
#include "app/login_reply.h"
#include "app/orvix_win_app.h"
#include "app/settings_file.h"
#include "app/ui_text.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/scripted_ui_services.h"
#include "support/http_peer.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace orvix;
using orvix::test::HttpPeer;

namespace {

const QByteArray kAdmitted = "1</>1</>12</>dev-1</>0</>34</>7</>0.5.6</>%1</>%1</></></>7";

// The application object with doubles and a working folder of its own.
struct Fixture {
    QTemporaryDir dir;
    FixedEnvironment environment;
    ScriptedUiServices ui;
    CountingSound sound;
    std::unique_ptr<COrvixWinApp> app;

    explicit Fixture(int country = Country::Korea) {
        environment.documents = dir.path();
        app = std::make_unique<COrvixWinApp>(COrvixWinApp::Services{&environment, &ui, &sound, {}});
        app->session().country = country;
        app->session().workFolder = dir.filePath(QStringLiteral("OrvixWin"));
        QDir().mkpath(app->session().workFolder);
    }
};

void typeLogin(CLoginDlg& dialog, const QString& id, const QString& password) {
    dialog.control<QLineEdit>(CLoginDlg::IdEdit)->setText(id);
    dialog.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(password);
}

void pressOk(CLoginDlg& dialog) {
    QTest::mouseClick(dialog.control<QPushButton>(1), Qt::LeftButton);
}

QByteArray admittedReply(const HttpPeer& peer) {
    return HttpPeer::reply(QByteArray(kAdmitted).replace("%1", peer.address().toUtf8()));
}

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void opensWithRememberedValuesAndCountryTexts() {
        Fixture f(Country::China);
        f.app->session().memberId = QStringLiteral("member");
        f.app->session().password = QStringLiteral("secret");
        CLoginDlg dialog(*f.app);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Orvix登录"));
        QCOMPARE(dialog.control<QPushButton>(1)->text(), QStringLiteral("确认"));
        QCOMPARE(dialog.control<QPushButton>(2)->text(), QStringLiteral("取消"));
        QCOMPARE(dialog.control<QLineEdit>(CLoginDlg::IdEdit)->text(), QStringLiteral("member"));
        QCOMPARE(dialog.control<QLineEdit>(CLoginDlg::PasswordEdit)->text(),
                 QStringLiteral("secret"));
        QCOMPARE(dialog.control<QLineEdit>(CLoginDlg::PasswordEdit)->echoMode(),
                 QLineEdit::Password);
        QVERIFY(dialog.control<QCheckBox>(CLoginDlg::RememberBox)->isChecked());
        QVERIFY(dialog.control<QPlainTextEdit>(CLoginDlg::MessageArea)->isHidden());
        QCOMPARE(dialog.size(), QSize(308, 520));
    }

    void reservedPasswordNeverReachesTheNetwork() {
        HttpPeer peer([](const HttpPeer::Request&) { return HttpPeer::reply("0"); });
        qputenv("ORVIX_SERVER", peer.address().toUtf8());
        Fixture f;
        CLoginDlg dialog(*f.app);
        dialog.show();
        typeLogin(dialog, QStringLiteral("a"), CLoginDlg::ReservedPassword);
        pressOk(dialog);
        QCOMPARE(f.ui.messages().size(), size_t(1));
        QCOMPARE(f.ui.messages()[0].text, loginText(LoginRow::PasswordMustChange, 0));
        QCOMPARE(f.ui.messages()[0].title, COrvixWinApp::ApplicationTitle);
        QVERIFY(dialog.control<QPushButton>(1)->isEnabled());

        // The next request the server sees is the one after the password was changed.
        typeLogin(dialog, QStringLiteral("a"), QStringLiteral("b"));
        pressOk(dialog);
        QTRY_COMPARE(f.ui.messages().size(), size_t(2));
        QCOMPARE(peer.requestCount(), 1);
        const HttpPeer::Request request = peer.requests().at(0);
        QCOMPARE(request.path, QByteArray("/android/pclogin.php"));
        QCOMPARE(request.body, QByteArray("id=a&password=b"));
        QCOMPARE(request.header("Content-Length"), QByteArray("15"));
        QCOMPARE(request.header("Host"), peer.address().toUtf8());
    }

    void wrongPasswordKeepsDialogOpen() {
        HttpPeer peer([](const HttpPeer::Request&) { return HttpPeer::reply("0"); });
        qputenv("ORVIX_SERVER", peer.address().toUtf8());
        Fixture f(Country::Other);
        CLoginDlg dialog(*f.app);
        dialog.show();
        typeLogin(dialog, QStringLiteral("member"), QStringLiteral("bad"));
        pressOk(dialog);
        QVERIFY(!dialog.control<QPushButton>(1)->isEnabled());
        QTRY_COMPARE(f.ui.messages().size(), size_t(1));
        QCOMPARE(f.ui.messages()[0].text, QStringLiteral("Password is not correct!"));
        QVERIFY(dialog.control<QPushButton>(1)->isEnabled());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QVERIFY(!QFile::exists(f.app->settingsPath()));
    }

    void pendingRepeatsUntilAdmitted() {
        std::atomic<int> served{0};
        HttpPeer* self = nullptr;
        HttpPeer peer([&](const HttpPeer::Request&) {
            return ++served <= 3 ? HttpPeer::reply("1</>0") : admittedReply(*self);
        });
        self = &peer;
        qputenv("ORVIX_SERVER", peer.address().toUtf8());
        Fixture f;
        CLoginDlg dialog(*f.app);
        dialog.show();
        typeLogin(dialog, QStringLiteral("member"), QStringLiteral("secret"));
        pressOk(dialog);

        auto* area = dialog.control<QPlainTextEdit>(CLoginDlg::MessageArea);
        QTRY_VERIFY(area->isVisible());
        QCOMPARE(area->toPlainText(), loginText(LoginRow::AgreementPending, 0));
        QVERIFY(!dialog.control<QPushButton>(1)->isEnabled());
        QVERIFY(dialog.control<QPushButton>(2)->isEnabled());
        QVERIFY(f.ui.messages().empty());

        QTRY_COMPARE_WITH_TIMEOUT(dialog.result(), 1, 5000);
        const QList<HttpPeer::Request> requests = peer.requests();
        QCOMPARE(requests.size(), 4);
        for (int i = 1; i < requests.size(); ++i) {
            QCOMPARE(requests[i].body, QByteArray("id=member&password=secret"));
            // Each repeat waits for the previous reply and then the 100 ms timer.
            QVERIFY2(requests[i].receivedAtMs - requests[i - 1].receivedAtMs >= 95,
                     QByteArray::number(requests[i].receivedAtMs - requests[i - 1].receivedAtMs));
        }
        const SessionRecord& session = f.app->session();
        QCOMPARE(session.memberNumber, QStringLiteral("12"));
        QCOMPARE(session.deviceId, QStringLiteral("dev-1"));
        QCOMPARE(session.storeNumber, QStringLiteral("34"));
        QCOMPARE(session.serverAddress, peer.address());
        QCOMPARE(session.serverAddressNarrow, peer.address().toUtf8());
        QCOMPARE(session.minimumVersionCode, QStringLiteral("7"));
        QVERIFY(session.memberPhotoPath.isEmpty());
        QVERIFY(!dialog.isRepeating());
    }

    void refusalEndsWithCancel() {
        HttpPeer peer([](const HttpPeer::Request&) { return HttpPeer::reply("1</>2"); });
        qputenv("ORVIX_SERVER", peer.address().toUtf8());
        Fixture f;
        CLoginDlg dialog(*f.app);
        dialog.show();
        typeLogin(dialog, QStringLiteral("member"), QStringLiteral("secret"));
        pressOk(dialog);
        QTRY_COMPARE(dialog.result(), 2);
        QCOMPARE(f.ui.messages().size(), size_t(1));
        QCOMPARE(f.ui.messages()[0].text, loginText(LoginRow::NotAdmitted, 0));
    }

    void cancelWhilePendingStopsRepeating() {
        HttpPeer peer([](const HttpPeer::Request&) { return HttpPeer::reply("1</>0"); });
        qputenv("ORVIX_SERVER", peer.address().toUtf8());
        Fixture f;
        CLoginDlg dialog(*f.app);
        dialog.show();
        typeLogin(dialog, QStringLiteral("member"), QStringLiteral("secret"));
        pressOk(dialog);
        QTRY_VERIFY(dialog.isRepeating());
        QTest::mouseClick(dialog.control<QPushButton>(2), Qt::LeftButton);
        QCOMPARE(dialog.result(), 2);
        QVERIFY(!dialog.isRepeating());
        const int count = peer.requestCount();
        QTest::qWait(250);
        QVERIFY(peer.requestCount() <= count + 1); // at most the one already under way
        QVERIFY(!dialog.isRepeating());
    }

    void admittedReplyWithEmptyAndMissingFields() {
        HttpPeer peer([](const HttpPeer::Request&) {
            return HttpPeer::reply("1</>1</>12</></>0</></>8</>0.6.0</>srv.test:81</>img.test");
        });
        qputenv("ORVIX_SERVER", peer.address().toUtf8());
        Fixture f;
        CLoginDlg dialog(*f.app);
        dialog.show();
        typeLogin(dialog, QStringLiteral("member"), QStringLiteral("secret"));
        dialog.control<QCheckBox>(CLoginDlg::RememberBox)->setChecked(false);
        pressOk(dialog);
        QTRY_COMPARE(dialog.result(), 1);
        const SessionRecord& session = f.app->session();
        QCOMPARE(session.memberNumber, QStringLiteral("12"));
        QVERIFY(session.deviceId.isEmpty());
        QVERIFY(session.storeNumber.isEmpty());
        QCOMPARE(session.latestVersionCode, QStringLiteral("8"));
        QCOMPARE(session.latestVersionName, QStringLiteral("0.6.0"));
        QCOMPARE(session.serverAddress, QStringLiteral("srv.test:81"));
        QCOMPARE(session.imageServerAddress, QStringLiteral("img.test"));
        QVERIFY(session.reservedField11.isEmpty());
        QVERIFY(session.minimumVersionCode.isEmpty());
        // Remember cleared: nothing remembered on disk.
        QFile settings(f.app->settingsPath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), SettingsFile::encode("0", "0"));
    }

    void memberPhotoIsFetchedBeforeTheDialogCloses() {
        const QByteArray photo = QByteArrayLiteral("\xff\xd8\xff\xe0 not really a jpeg");
        HttpPeer* self = nullptr;
        HttpPeer peer([&](const HttpPeer::Request& request) {
            if (request.method == "GET")
                return request.path == "/image/memberphoto/mem12.jpg"
                           ? HttpPeer::reply(photo, "image/jpeg")
                           : QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            return HttpPeer::reply(QByteArray(kAdmitted)
                                       .replace("</>0</>34", "</>1</>34")
                                       .replace("%1", self->address().toUtf8()));
        });
        self = &peer;
        qputenv("ORVIX_SERVER", peer.address().toUtf8());
        Fixture f;
        CLoginDlg dialog(*f.app);
        dialog.show();
        typeLogin(dialog, QStringLiteral("member"), QStringLiteral("secret"));
        pressOk(dialog);
        QTRY_COMPARE(dialog.result(), 1);
        const QString path = f.app->session().workFolder + QStringLiteral("/mem12.jpg");
        QCOMPARE(f.app->session().memberPhotoPath, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), photo);
        QCOMPARE(peer.requests().last().header("User-Agent"),
                 QByteArray("http://") + peer.address().toUtf8() + "/image/memberphoto/mem12.jpg");
        // Not a decodable picture: start-up then falls back to the default picture.
        f.app->LoadMemberPhoto();
        QVERIFY(!f.app->memberPhoto());
        QCOMPARE(f.app->defaultMemberPicture().size(), QSize(50, 50));
    }

    void replyParsing() {
        QCOMPARE(LoginReply::parse(QString()).outcome, LoginReply::Outcome::WrongPassword);
        QCOMPARE(LoginReply::parse(QStringLiteral("1")).outcome, LoginReply::Outcome::Admitted);
        QCOMPARE(LoginReply::parse(QStringLiteral("1</>0")).outcome, LoginReply::Outcome::Pending);
        QCOMPARE(LoginReply::parse(QStringLiteral("1</>02")).outcome,
                 LoginReply::Outcome::Admitted);
        QCOMPARE(LoginReply::parse(QStringLiteral("11</>1")).outcome,
                 LoginReply::Outcome::WrongPassword);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
