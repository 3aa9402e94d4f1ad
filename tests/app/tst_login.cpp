#include "app/login_dlg.h"
#include "app/settings_file.h"
#include "app/ui_text.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <atomic>

using namespace orvix;
using test::HttpPeer;
using test::ShellFixture;

namespace {

QByteArray admitted(const HttpPeer& peer, const QByteArray& photoMarker = "0") {
    const QByteArray address = peer.address().toUtf8();
    return HttpPeer::reply("1</>1</>12</>dev-1</>" + photoMarker + "</>34</>7</>0.5.6</>" +
                           address + "</>" + address + "</></></>7");
}

Configuration builtInServer(const HttpPeer& peer) {
    Configuration configuration;
    configuration.serverAddress = peer.address();
    return configuration;
}

// A login dialog of a fresh application whose built-in server is the peer.
struct Login {
    ShellFixture f;
    CLoginDlg dialog;
    explicit Login(const HttpPeer& peer)
        : f(Country::Korea, builtInServer(peer))
        , dialog(*f.app) {
        dialog.show();
    }
    void submit(const QString& id, const QString& password) {
        dialog.control<QLineEdit>(CLoginDlg::IdEdit)->setText(id);
        dialog.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(password);
        QTest::mouseClick(dialog.control<QPushButton>(1), Qt::LeftButton);
    }
    bool okEnabled() const { return dialog.control<QPushButton>(1)->isEnabled(); }
    QString lastMessage() const {
        return f.ui.messages().empty() ? QString() : f.ui.messages().back().text;
    }
};

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
private slots:
    void reservedPasswordNeverReachesTheNetwork() {
        HttpPeer peer([](const HttpPeer::Request&) { return HttpPeer::reply("0"); });
        Login login(peer);
        QCOMPARE(login.dialog.size(), QSize(308, 520));
        QVERIFY(login.dialog.control<QCheckBox>(CLoginDlg::RememberBox)->isChecked());
        QVERIFY(login.dialog.control<QPlainTextEdit>(CLoginDlg::MessageArea)->isHidden());
        login.submit(QStringLiteral("a"), CLoginDlg::ReservedPassword);
        QCOMPARE(login.lastMessage(), loginText(LoginRow::PasswordMustChange, 0));
        QCOMPARE(login.f.ui.messages().back().title, COrvixWinApp::ApplicationTitle);
        QVERIFY(login.okEnabled());

        // The first request the server sees is the one after the password was changed; a wrong
        // password keeps the dialog open with OK enabled.
        login.submit(QStringLiteral("a"), QStringLiteral("b"));
        QVERIFY(!login.okEnabled());
        QTRY_COMPARE(login.f.ui.messages().size(), size_t(2));
        QCOMPARE(login.lastMessage(), loginText(LoginRow::WrongPassword, 0));
        QVERIFY(login.okEnabled());
        QVERIFY(login.dialog.isVisible());
        QCOMPARE(peer.requestCount(), 1);
        const HttpPeer::Request request = peer.requests().at(0);
        QCOMPARE(request.path, QByteArray("/android/pclogin.php"));
        QCOMPARE(request.body, QByteArray("id=a&password=b"));
        QCOMPARE(request.header("Content-Length"), QByteArray("15"));
        QVERIFY(!QFile::exists(login.f.app->settingsPath()));
    }

    void pendingRepeatsUntilAdmitted() {
        std::atomic<int> served{0};
        HttpPeer* self = nullptr;
        HttpPeer peer([&](const HttpPeer::Request&) {
            return ++served <= 3 ? HttpPeer::reply("1</>0") : admitted(*self);
        });
        self = &peer;
        Login login(peer);
        login.submit(QStringLiteral("member"), QStringLiteral("secret"));

        auto* area = login.dialog.control<QPlainTextEdit>(CLoginDlg::MessageArea);
        QTRY_VERIFY(area->isVisible());
        QCOMPARE(area->toPlainText(), loginText(LoginRow::AgreementPending, 0));
        QVERIFY(!login.okEnabled());
        QVERIFY(login.dialog.control<QPushButton>(2)->isEnabled());

        QTRY_COMPARE_WITH_TIMEOUT(login.dialog.result(), 1, 5000);
        const QList<HttpPeer::Request> requests = peer.requests();
        QCOMPARE(requests.size(), 4);
        for (int i = 1; i < requests.size(); ++i) {
            QCOMPARE(requests[i].body, QByteArray("id=member&password=secret"));
            // Each repeat waits for the previous reply and then the 100 ms timer.
            QVERIFY(requests[i].receivedAtMs - requests[i - 1].receivedAtMs >= 95);
        }
        const SessionRecord& session = login.f.session();
        QCOMPARE(session.memberNumber, QStringLiteral("12"));
        QCOMPARE(session.deviceId, QStringLiteral("dev-1"));
        QCOMPARE(session.storeNumber, QStringLiteral("34"));
        QCOMPARE(session.serverAddressNarrow, peer.address().toUtf8());
        QCOMPARE(session.minimumVersionCode, QStringLiteral("7"));
        QVERIFY(!login.dialog.isRepeating());
    }

    void refusalAndCancelEndWithCancel() {
        HttpPeer refusing([](const HttpPeer::Request&) { return HttpPeer::reply("1</>2"); });
        Login refused(refusing);
        refused.submit(QStringLiteral("member"), QStringLiteral("secret"));
        QTRY_COMPARE(refused.dialog.result(), 2);
        QCOMPARE(refused.lastMessage(), loginText(LoginRow::NotAdmitted, 0));

        HttpPeer pending([](const HttpPeer::Request&) { return HttpPeer::reply("1</>0"); });
        Login cancelled(pending);
        cancelled.submit(QStringLiteral("member"), QStringLiteral("secret"));
        QTRY_VERIFY(cancelled.dialog.isRepeating());
        QTest::mouseClick(cancelled.dialog.control<QPushButton>(2), Qt::LeftButton);
        QCOMPARE(cancelled.dialog.result(), 2);
        QVERIFY(!cancelled.dialog.isRepeating());
        const int count = pending.requestCount();
        QTest::qWait(250);
        QVERIFY(pending.requestCount() <= count + 1); // at most the one already under way
    }

    void emptyAndMissingFieldsKeepTheirPlaces() {
        HttpPeer peer([](const HttpPeer::Request&) {
            return HttpPeer::reply("1</>1</>12</></>0</></>8</>0.6.0</>srv.test:81</>img.test");
        });
        Login login(peer);
        login.dialog.control<QCheckBox>(CLoginDlg::RememberBox)->setChecked(false);
        login.submit(QStringLiteral("member"), QStringLiteral("secret"));
        QTRY_COMPARE(login.dialog.result(), 1);
        const SessionRecord& session = login.f.session();
        QCOMPARE(session.memberNumber, QStringLiteral("12"));
        QVERIFY(session.deviceId.isEmpty() && session.storeNumber.isEmpty());
        QCOMPARE(session.latestVersionName, QStringLiteral("0.6.0"));
        QCOMPARE(session.serverAddress, QStringLiteral("srv.test:81"));
        QCOMPARE(session.imageServerAddress, QStringLiteral("img.test"));
        QVERIFY(session.minimumVersionCode.isEmpty());
        QFile settings(login.f.app->settingsPath());
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), SettingsFile::encode("0", "0"));
    }

    void memberPhotoIsFetchedBeforeTheDialogCloses() {
        const QByteArray photo = QByteArrayLiteral("\xff\xd8\xff\xe0 not really a jpeg");
        HttpPeer* self = nullptr;
        HttpPeer peer([&](const HttpPeer::Request& request) {
            if (request.method == "GET")
                return HttpPeer::reply(photo, "image/jpeg");
            return admitted(*self, "1");
        });
        self = &peer;
        Login login(peer);
        login.submit(QStringLiteral("member"), QStringLiteral("secret"));
        QTRY_COMPARE(login.dialog.result(), 1);
        const QString path = login.f.session().workFolder + QStringLiteral("/mem12.jpg");
        QCOMPARE(login.f.session().memberPhotoPath, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), photo);
        QCOMPARE(peer.requests().last().path, QByteArray("/image/memberphoto/mem12.jpg"));
        // Not a decodable picture: start-up then falls back to the default picture.
        login.f.app->LoadMemberPhoto();
        QVERIFY(!login.f.app->memberPhoto());
        QCOMPARE(login.f.app->defaultMemberPicture().size(), QSize(50, 50));
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
