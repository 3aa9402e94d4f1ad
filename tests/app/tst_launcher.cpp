#include "app/fonts.h"
#include "app/orvix_win_view.h"
#include "app/ui_text.h"
#include "platform/resources.h"
#include "support/shell_fixture.h"

#include <QAction>
#include <QDialog>
#include <QSignalSpy>
#include <QTest>

using namespace orvix;
using test::ActionRecorder;
using test::FeatureWindows;
using test::ShellFixture;
using Action = COrvixWinApp::Action;

namespace {

// Normal and pressed pictures of buttons 1 to 5.
constexpr std::pair<int, int> kPictures[] = {
    {130, 131}, {132, 133}, {134, 135}, {136, 137}, {139, 140}};

// The names the buttons show, in the member's language.
constexpr UiRow kNames[] = {UiRow::Chatting, UiRow::SquareButton, UiRow::Story,
                            UiRow::MyInformation, UiRow::AddStore};

// Which picture each button shows in a rendering of the view: 'n'ormal, 'p'ressed or '?', each
// with the button's name in the language of `country`.
QByteArray shownPictures(QWidget& view, int country = Country::Korea) {
    QImage rendering(view.size(), QImage::Format_RGB32);
    view.render(&rendering);
    QByteArray shown;
    for (int i = 0; i < 5; ++i) {
        const QImage area = rendering.copy(i * 96, 0, 96, 132);
        const auto picture = [&](int id) {
            const res::PictureWords words{{u"font"_qs, pictureFace(country)},
                                          {u"name"_qs, uiText(kNames[i], country)}};
            return res::picture(id, 1.0, words).convertToFormat(QImage::Format_RGB32);
        };
        shown += area == picture(kPictures[i].first)    ? 'n'
                 : area == picture(kPictures[i].second) ? 'p'
                                                        : '?';
    }
    return shown;
}

int command(COrvixWinView& view, int number) {
    return sendMessage(&view, Msg::LauncherCommand, number, 0);
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT
private slots:
    void buttonsNamesAndHitTesting() {
        ShellFixture f(Country::China);
        COrvixWinView view;
        view.OnInitialUpdate();
        const QStringList names{QStringLiteral("网上聊天"), QStringLiteral("Orvix广场"),
                                QStringLiteral("Orvix故事"), QStringLiteral("信息"),
                                QStringLiteral("商店注册")};
        QCOMPARE(view.buttons().size(), std::size_t(5));
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(view.buttons()[i].number(), i + 1);
            QCOMPARE(view.buttons()[i].rect(), QRect(96 * i, 0, 96, 132));
            QCOMPARE(view.buttons()[i].name(), names[i]);
        }
        const std::pair<QPoint, int> hits[] = {{{186, 60}, 2},  {{192, 60}, 3}, {{191, 60}, 2},
                                               {{95, 131}, 1},  {{479, 0}, 5},  {{480, 10}, 0},
                                               {{186, 132}, 0}, {{186, -1}, 0}, {{-1, 10}, 0}};
        for (const auto& [point, button] : hits)
            QCOMPARE(view.buttonAt(point), button);
    }

    void pressedPictureUntilReleaseOnAnotherButton() {
        ShellFixture f;
        ActionRecorder actions;
        actions.provide(*f.app, Action::OpenDocumentLibrary);
        actions.provide(*f.app, Action::OpenMemberContent);
        COrvixWinView view;
        view.resize(500, 170);
        view.OnInitialUpdate();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(shownPictures(view), QByteArray("nnnnn"));
        QCOMPARE(shownPictures(view, Country::Other), QByteArray("?????")); // names in Korean

        // Press on Information (4), move to Story (3), release there: Story's command runs.
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(300, 40));
        QCOMPARE(shownPictures(view), QByteArray("nnnpn"));
        QTest::mouseMove(&view, QPoint(200, 40));
        QCOMPARE(shownPictures(view), QByteArray("nnnpn"));
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 0);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(200, 40));
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);
        QCOMPARE(actions.count(Action::OpenMemberContent), 0);
        QCOMPARE(shownPictures(view), QByteArray("nnnnn"));

        // A release below the strip sends nothing; the right button does nothing at all.
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(10, 150));
        QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(200, 40));
        QCOMPARE(shownPictures(view), QByteArray("nnnnn"));
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);
    }

    void chattingAndSquareShowAndHideTheirWindows() {
        ShellFixture f;
        FeatureWindows windows(*f.app);
        ActionRecorder actions;
        actions.provide(*f.app, Action::RequestPostList);
        COrvixWinView view;
        view.OnInitialUpdate();

        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(windows.chatFrame.isVisible());
        QCOMPARE(windows.chatFrame.windowTitle(), QStringLiteral("채팅"));
        QCOMPARE(command(view, COrvixWinView::Square), 1);
        QVERIFY(!windows.chatFrame.isVisible());
        QVERIFY(windows.postListFrame.isVisible());
        QCOMPARE(actions.count(Action::RequestPostList), 1);

        windows.postFrame.show(); // a post opened from the list
        QCOMPARE(command(view, COrvixWinView::Square), 1);
        QVERIFY(!windows.postListFrame.isVisible() && !windows.postFrame.isVisible());
        QCOMPARE(actions.count(Action::RequestPostList), 1);

        QCOMPARE(command(view, COrvixWinView::Square), 1);
        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(!windows.postListFrame.isVisible());
        QVERIFY(windows.chatFrame.isVisible());
        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(!windows.chatFrame.isVisible());
    }

    void commandsOfFeaturesNotThereDoNothing() {
        ShellFixture f;
        FeatureWindows windows(*f.app, /*withChatView=*/false);
        COrvixWinView view;
        view.OnInitialUpdate();
        for (int number = 1; number <= 5; ++number)
            QCOMPARE(command(view, number), 1);
        QVERIFY(!windows.chatFrame.isVisible() && !windows.postListFrame.isVisible());

        ActionRecorder actions;
        for (Action action :
             {Action::OpenDocumentLibrary, Action::OpenMemberContent, Action::OpenStoreContent})
            actions.provide(*f.app, action);
        for (int number : {3, 4, 4, 5, 0, 6, -3})
            command(view, number);
        QCOMPARE(command(view, 6), 0);
        QCOMPARE(sendMessage(&view, Msg::Reply, 3, 0), 0);
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);
        QCOMPARE(actions.count(Action::OpenMemberContent), 2);
        QCOMPARE(actions.count(Action::OpenStoreContent), 1);
        // The library runs over the chat window; the editor's actions take no argument.
        QCOMPARE(actions.runs[Action::OpenDocumentLibrary][0].value<QWidget*>(),
                 &windows.chatFrame);
        QVERIFY(!actions.runs[Action::OpenMemberContent][0].isValid());
    }

    void versionCheckOffersTheUpgrade() {
        ShellFixture f;
        COrvixWinView view;
        QSignalSpy exits(&view, &COrvixWinView::exitRequested);
        view.OnInitialUpdate(); // equal codes: nothing shown
        QVERIFY(f.ui.modalDialogs().isEmpty());

        f.session().latestVersionCode = QStringLiteral("07"); // differs as text
        view.OnInitialUpdate();                               // cancelled: the program goes on
        QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("UpGradeDlg")});
        QCOMPARE(exits.count(), 0);
        f.ui.answerModal([](QDialog& dialog) {
            dialog.accept();
            return dialog.result();
        });
        view.OnInitialUpdate(); // accepted: the program must end with exit code 1
        QCOMPARE(exits.count(), 1);
        QCOMPARE(exits.at(0).at(0).toInt(), 1);
    }

    void contextMenuOpensAbout() {
        ShellFixture f(Country::China);
        COrvixWinView view;
        view.OnInitialUpdate();
        QCOMPARE(view.contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(view.aboutAction()->text(), QStringLiteral("关于Orvix"));
        view.aboutAction()->trigger();
        QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("CAboutDlg")});
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
