#include "app/login_dlg.h"
#include "app/settings_file.h"
#include "app/ui_text.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"
#include "support/tcp_peer.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QWindow>

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

Configuration builtInServer(const QString& address) {
    Configuration configuration;
    configuration.serverAddress = address;
    return configuration;
}

// A login dialog of a fresh application whose built-in server is the peer.
struct Login {
    ShellFixture f;
    CLoginDlg dialog;
    explicit Login(const HttpPeer& peer, int country = Country::Korea)
        : Login(peer.address(), country) {}
    explicit Login(const QString& server, int country = Country::Korea)
        : f(country, builtInServer(server))
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
            // Each repeat waits for the previous reply and then the whole 100 ms, never less.
            QVERIFY(requests[i].receivedAtMs - requests[i - 1].receivedAtMs >= 100);
        }
        const SessionRecord& session = login.f.session();
        QCOMPARE(session.memberNumber, QStringLiteral("12"));
        QCOMPARE(session.deviceId, QStringLiteral("dev-1"));
        QCOMPARE(session.storeNumber, QStringLiteral("34"));
        QCOMPARE(session.serverAddressNarrow, peer.address().toUtf8());
        QCOMPARE(session.minimumVersionCode, QStringLiteral("7"));
        QVERIFY(!login.dialog.isRepeating());
    }

    // A server that cannot answer never leaves the member stuck: OK comes back with a word, in
    // the member's language, that the server cannot be reached.
    void unreachableServerGivesOkBack_data() {
        QTest::addColumn<QByteArray>("answer"); // empty: the server never answers
        QTest::addColumn<bool>("refused");      // nothing listens at the address
        QTest::addColumn<int>("country");
        QTest::newRow("refused") << QByteArray() << true << Country::Korea;
        QTest::newRow("silent") << QByteArray() << false << Country::China;
        QTest::newRow("garbage") << QByteArray("\x16\x03\x01\x02 nonsense\r\n\r\nmore") << false
                                 << Country::Other;
        QTest::newRow("cut short")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 90\r\n\r\n1</>") << false
            << Country::Korea;
    }
    void unreachableServerGivesOkBack() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, refused);
        QFETCH(int, country);
        test::TcpPeer peer(answer.isEmpty() ? test::TcpPeer::Script()
                                            : HttpPeer::answering({{{answer}}}));
        Login login(refused ? u"127.0.0.1:%1"_qs.arg(test::TcpPeer().port()) : peer.address(),
                    country);
        login.dialog.setRequestTimeout(std::chrono::milliseconds(300));
        for (int attempt = 1; attempt <= 2; ++attempt) {
            login.submit(u"member"_qs, u"secret"_qs);
            QVERIFY(!login.okEnabled());
            QTRY_VERIFY(login.okEnabled());
            QCOMPARE(login.f.ui.messages().size(), size_t(attempt));
            QCOMPARE(login.lastMessage(), CLoginDlg::unreachableText(country));
            QCOMPARE(login.f.ui.messages().back().title, COrvixWinApp::ApplicationTitle);
            QVERIFY(login.dialog.isVisible());
            QVERIFY(!login.dialog.isRepeating());
        }
        // Three texts of their own.
        QCOMPARE(QSet<QString>({CLoginDlg::unreachableText(0), CLoginDlg::unreachableText(1),
                                CLoginDlg::unreachableText(2)})
                     .size(),
                 3);
    }

    // While the phone's agreement is pending, a failed request is asked again like a reply,
    // silently: an approval given meanwhile still logs the PC in.
    void pendingGoesOnAfterAFailedRequest() {
        std::atomic<int> served{0};
        HttpPeer* self = nullptr;
        const auto script =
            [&](const QByteArray& received) -> std::optional<test::TcpPeer::Answer> {
            if (!HttpPeer::Request::parse(received))
                return std::nullopt;
            const int n = ++served;
            if (n == 1)
                return test::TcpPeer::Answer{{{HttpPeer::reply("1</>0")}}};
            if (n == 2)
                return test::TcpPeer::Answer{{{"HTTP/1.1 200 OK\r\n"}}, test::TcpPeer::Then::Abort};
            if (n == 3)
                return test::TcpPeer::Answer{{}, test::TcpPeer::Then::Hold}; // silent
            return test::TcpPeer::Answer{{{admitted(*self)}}};
        };
        HttpPeer peer([](const HttpPeer::Request&) { return QByteArray(); });
        self = &peer;
        test::TcpPeer server(script);
        Login login(server.address());
        login.dialog.setRequestTimeout(std::chrono::milliseconds(300));
        login.submit(u"member"_qs, u"secret"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(login.dialog.result(), 1, 5000);
        QCOMPARE(served.load(), 4);
        QVERIFY(login.f.ui.messages().empty()); // no word about the failures meanwhile
        QCOMPARE(login.f.session().memberNumber, u"12"_qs);
    }

    // The face speaks the member's language, the pending message stands whole in its area, the
    // painted remember label toggles its box, and Tab goes left to right, row by row.
    void faceInTheMembersLanguage_data() {
        QTest::addColumn<int>("country");
        QTest::newRow("Korean") << Country::Korea;
        QTest::newRow("Chinese") << Country::China;
        QTest::newRow("English") << Country::Other;
    }
    void faceInTheMembersLanguage() {
        QFETCH(int, country);
        Login login(u"127.0.0.1:1"_qs, country);
        CLoginDlg& dialog = login.dialog;
        auto* face = dialog.control<QLabel>(CLoginDlg::Face);
        const QImage painted = face->pixmap().toImage();
        QCOMPARE(painted.deviceIndependentSize().toSize(), QSize(308, 522));
        // The labels are painted where the face leaves room for them, and differ by language.
        const auto inked = [&](const QRect& area) {
            int dark = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    dark += qGray(painted.pixel(x, y)) < 140;
            return dark;
        };
        QVERIFY(inked(QRect(10, 265, 87, 20)) > 20); // ID
        QVERIFY(inked(QRect(10, 307, 87, 20)) > 20); // Password
        QVERIFY(inked(CLoginDlg::RememberLabelArea) > 40);
        Login english(u"127.0.0.1:1"_qs, Country::Other);
        QCOMPARE(painted == english.dialog.control<QLabel>(CLoginDlg::Face)->pixmap().toImage(),
                 country == Country::Other);
        QVERIFY(CLoginDlg::rememberLabel(country).size() >
                loginText(LoginRow::RememberLabel, country).size()); // says the password too

        // The pending message is read whole, without scrolling.
        auto* area = dialog.control<QPlainTextEdit>(CLoginDlg::MessageArea);
        area->setPlainText(loginText(LoginRow::AgreementPending, country));
        area->show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
        QCOMPARE(area->verticalScrollBar()->maximum(), 0);

        // A click on the painted label toggles the box; a click elsewhere on the face does not.
        auto* box = dialog.control<QCheckBox>(CLoginDlg::RememberBox);
        QVERIFY(box->isChecked());
        QTest::mouseClick(face, Qt::LeftButton, {}, CLoginDlg::RememberLabelArea.center());
        QVERIFY(!box->isChecked());
        QTest::mouseClick(face, Qt::LeftButton, {},
                          CLoginDlg::RememberLabelArea.topLeft() + QPoint(4, 4));
        QVERIFY(box->isChecked());
        QTest::mouseClick(face, Qt::LeftButton, {}, QPoint(150, 120));
        QVERIFY(box->isChecked());

        // Tab: ID, password, the remember box, then the buttons left to right.
        QList<QWidget*> order;
        QWidget* at = dialog.control<QLineEdit>(CLoginDlg::IdEdit);
        do {
            if ((at->focusPolicy() & Qt::TabFocus) && at->isVisibleTo(&dialog))
                order.append(at);
            at = at->nextInFocusChain();
        } while (at != dialog.control<QLineEdit>(CLoginDlg::IdEdit));
        const QList<QWidget*> expected{dialog.control<QLineEdit>(CLoginDlg::IdEdit),
                                       dialog.control<QLineEdit>(CLoginDlg::PasswordEdit), box,
                                       dialog.control<QPushButton>(2),
                                       dialog.control<QPushButton>(1)};
        QCOMPARE(order, expected);
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
