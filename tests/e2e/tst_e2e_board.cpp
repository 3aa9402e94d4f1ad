// The board end to end against orvix-server with its demo data: the launcher's Square lists the
// demo posts with photos, owners and counts; a double click opens a post's page; an opinion
// written in the dialog reaches the server's page and the list.

#include "app/login_dlg.h"
#include "app/main_frame.h"
#include "app/orvix_win_app.h"
#include "app/orvix_win_view.h"
#include "board/orvix_area_view.h"
#include "board/orvix_frame.h"
#include "board/orvix_list_frame.h"
#include "board/orvix_list_view.h"
#include "board/write_text_dlg.h"
#include "document_templates.h"
#include "platform/doubles/counting_sound.h"
#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/recording_browser.h"
#include "platform/doubles/scripted_ui_services.h"
#include "support/server_process.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace orvix;
using Window = COrvixWinApp::Window;

class TestEndToEndBoard : public QObject {
    Q_OBJECT
private slots:
    void demoBoardListOpenAndOpinion() {
        test::ServerProcess server{QStringLiteral(ORVIX_SERVER_BINARY)};
        QVERIFY2(server.start({u"--demo"_s, u"--auto-approve"_s}), server.output().constData());
        Configuration configuration;
        configuration.serverAddress = server.httpAddress();
        configuration.uploadPort = server.uploadPort();
        QTemporaryDir documents;
        FixedEnvironment environment;
        environment.documents = documents.path();
        environment.country = u"US"_s;
        environment.now = QDateTime::currentDateTimeUtc();
        ScriptedUiServices ui;
        CountingSound sound;
        std::vector<RecordingBrowser*> browsers;
        COrvixWinApp::Services services{&environment, &ui, &sound, {}};
        services.makeBrowser = [&browsers](QWidget* parent) {
            auto browser = std::make_unique<RecordingBrowser>(parent);
            browsers.push_back(browser.get());
            return std::unique_ptr<BrowserControl>(std::move(browser));
        };
        COrvixWinApp app(services, configuration);
        // The windows start-up opens go before the application object, however the test ends.
        struct Windows {
            ~Windows() { qDeleteAll(QApplication::topLevelWidgets()); }
        } windows;
        registerDocumentTemplates(app);
        ui.answerModal([](QDialog& dialog) {
            auto& login = static_cast<CLoginDlg&>(dialog);
            login.control<QLineEdit>(CLoginDlg::IdEdit)->setText(u"demo"_s);
            login.control<QLineEdit>(CLoginDlg::PasswordEdit)->setText(u"demo1234"_s);
            QTest::keyClick(login.control<QLineEdit>(CLoginDlg::PasswordEdit), Qt::Key_Return);
            if (!QTest::qWaitFor([&] { return login.result() != 0; }, 15000))
                return int(DialogResult::Cancel);
            return login.result();
        });
        QVERIFY(app.InitInstance({}));

        // Square: the list frame shows the demo posts, with their photos, owners and counts.
        auto* main = app.window<CMainFrame>(Window::Main);
        QVERIFY(main);
        QCOMPARE(main->view()->OnLauncherCommand(COrvixWinView::Square), 1);
        auto* listFrame = app.window<COrvixListFrame>(Window::PostListFrame);
        QVERIFY(listFrame && listFrame->isVisible());
        COrvixListView* list = listFrame->view();
        QVERIFY(QTest::qWaitFor([&] { return list->model().rows().size() >= 5; }, 20000));
        int hike = -1;
        for (std::size_t i = 0; i < list->model().rows().size(); ++i) {
            const CPostRow& row = list->model().rows()[i];
            QVERIFY2(!row.photoPath.isEmpty(), qPrintable(row.title));
            if (row.title == u"Weekend hike: Bukhansan trail"_s)
                hike = int(i);
        }
        QVERIFY(hike >= 0);
        const CPostRow& before = list->model().rows()[std::size_t(hike)];
        QCOMPARE(before.ownerName, u"Alex"_s);
        QCOMPARE(before.opinionCount, u"1"_s);
        QCOMPARE(before.badgeFlag, u"1"_s);
        const QString mailIndex = before.mailIndex;
        // Painting the rows decodes their photos.
        list->resize(470, 570);
        QImage target(list->viewport()->size(), QImage::Format_RGB32);
        list->viewport()->render(&target);
        QVERIFY(!list->model().rows()[0].photo.isNull());

        // A double click on the hike opens its page in the post view.
        list->verticalScrollBar()->setValue(0);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           QPoint(200, PostListModel::rowTop(hike) + 50));
        auto* postFrame = app.window<COrvixFrame>(Window::PostFrame);
        QVERIFY(postFrame && postFrame->isVisible());
        RecordingBrowser* browser = nullptr;
        for (RecordingBrowser* candidate : browsers) {
            if (!candidate->lastAddress().isEmpty())
                browser = candidate;
        }
        QVERIFY(browser);
        const QString page = browser->lastAddress();
        QCOMPARE(page, u"http://%1/android/orviview_pc_new.php?deviceid=%2&mailidx=%3"_s.arg(
                           server.httpAddress(), app.session().deviceId, mailIndex));
        QVERIFY(server.get(page).body.contains("<h1>Weekend hike: Bukhansan trail</h1>"));
        // Opening it told the server, whose answer brought the list again: no longer new.
        QVERIFY(QTest::qWaitFor(
            [&] {
                const auto& rows = list->model().rows();
                for (const CPostRow& row : rows) {
                    if (row.mailIndex == mailIndex)
                        return row.badgeFlag == u"0"_s;
                }
                return false;
            },
            15000));

        // An opinion, written in the dialog: in the page and counted in the list.
        ui.answerModal([](QDialog& dialog) {
            auto& opinion = static_cast<CWriteTextDlg&>(dialog);
            opinion.control<QPlainTextEdit>(CWriteTextDlg::TextBox)
                ->setPlainText(u"See you at 8 <sharp> & bring water"_s);
            QTest::mouseClick(opinion.control<QPushButton>(CWriteTextDlg::SaveButton),
                              Qt::LeftButton);
            if (!QTest::qWaitFor([&] { return opinion.result() != 0; }, 20000))
                return int(DialogResult::Cancel);
            return opinion.result();
        });
        QVERIFY(postFrame->OnCommand(COrvixAreaView::WriteText));
        QVERIFY2(ui.messages().empty(),
                 ui.messages().empty() ? "" : qPrintable(ui.messages().front().text));
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (const CPostRow& row : list->model().rows()) {
                    if (row.mailIndex == mailIndex)
                        return row.opinionCount == u"2"_s;
                }
                return false;
            },
            20000));
        QCOMPARE(list->model().rows().front().mailIndex, mailIndex); // changed last: first
        QCOMPARE(list->model().rows().front().badgeFlag, u"0"_s);    // own change: not new
        const QByteArray shown = server.get(page).body;
        // Styled as its ".tml" file says, the text escaped.
        QVERIFY2(shown.contains("See you at 8 [sharp] &amp; bring water</p>"), shown.constData());
        QCOMPARE(browser->lastAddress(), page);
    }
};

QTEST_MAIN(TestEndToEndBoard)
#include "tst_e2e_board.moc"
