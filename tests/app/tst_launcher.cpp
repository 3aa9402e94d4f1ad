#include "app/orvix_win_view.h"
#include "app/upgrade_dlg.h"
#include "platform/resources.h"
#include "shell_fixture.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>

using namespace orvix;
using orvix::test::ActionCounter;
using orvix::test::FeatureWindows;
using orvix::test::ShellFixture;
using Action = COrvixWinApp::Action;

namespace {

struct Pictures {
    int normal;
    int pressed;
};
// Pictures of buttons 1 to 5.
constexpr Pictures kPictures[] = {{130, 131}, {132, 133}, {134, 135}, {136, 137}, {139, 140}};

QImage render(QWidget& view) {
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    view.render(&image);
    return image;
}

QImage picture(int id) {
    return res::bitmap(id).convertToFormat(QImage::Format_RGB32);
}

// Which of its two pictures a button shows in a rendering of the view: 'n', 'p' or '?'.
char shownPicture(const QImage& rendering, int number) {
    const Pictures pictures = kPictures[number - 1];
    const QImage area = rendering.copy((number - 1) * 96, 0, 96, 132);
    if (area == picture(pictures.normal))
        return 'n';
    if (area == picture(pictures.pressed))
        return 'p';
    return '?';
}

QByteArray shownPictures(QWidget& view) {
    const QImage rendering = render(view);
    QByteArray shown;
    for (int number = 1; number <= 5; ++number)
        shown += shownPicture(rendering, number);
    return shown;
}

int command(COrvixWinView& view, int number) {
    return sendMessage(&view, Msg::LauncherCommand, number, 0);
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The pixel checks below need two different pictures per button.
        for (const Pictures& pictures : kPictures) {
            QVERIFY(!picture(pictures.normal).isNull());
            QCOMPARE(picture(pictures.normal).size(), QSize(96, 132));
            QVERIFY(picture(pictures.normal) != picture(pictures.pressed));
        }
    }

    void buttonsSideBySideWithTheirNames() {
        ShellFixture f(Country::China);
        COrvixWinView view;
        view.OnInitialUpdate();
        QCOMPARE(view.buttons().size(), std::size_t(5));
        const QStringList names{QStringLiteral("网上聊天"), QStringLiteral("Orvix广场"),
                                QStringLiteral("Orvix故事"), QStringLiteral("信息"),
                                QStringLiteral("商店注册")};
        for (int i = 0; i < 5; ++i) {
            const CLauncherButton& button = view.buttons().at(std::size_t(i));
            QCOMPARE(button.number(), i + 1);
            QCOMPARE(button.rect(), QRect(96 * i, 0, 96, 132));
            QCOMPARE(button.name(), names.at(i));
        }
    }

    void hitTesting() {
        ShellFixture f;
        COrvixWinView view;
        QCOMPARE(view.buttonAt(QPoint(10, 10)), 0); // no buttons before the initial update
        view.OnInitialUpdate();
        QCOMPARE(view.buttonAt(QPoint(186, 60)), 2);
        QCOMPARE(view.buttonAt(QPoint(192, 60)), 3);
        QCOMPARE(view.buttonAt(QPoint(191, 60)), 2);
        QCOMPARE(view.buttonAt(QPoint(0, 0)), 1);
        QCOMPARE(view.buttonAt(QPoint(95, 131)), 1);
        QCOMPARE(view.buttonAt(QPoint(96, 131)), 2);
        QCOMPARE(view.buttonAt(QPoint(479, 0)), 5);
        QCOMPARE(view.buttonAt(QPoint(480, 10)), 0);
        QCOMPARE(view.buttonAt(QPoint(186, 132)), 0);
        QCOMPARE(view.buttonAt(QPoint(186, -1)), 0);
        QCOMPARE(view.buttonAt(QPoint(-1, 10)), 0);
    }

    void drawsEveryPictureAtItsRectangle() {
        ShellFixture f;
        COrvixWinView view;
        view.resize(500, 170);
        view.OnInitialUpdate();
        QCOMPARE(shownPictures(view), QByteArray("nnnnn"));
    }

    void pressedPictureUntilReleaseOnAnotherButton() {
        ShellFixture f;
        ActionCounter actions;
        actions.provide(*f.app, Action::OpenDocumentLibrary);
        actions.provide(*f.app, Action::OpenMemberContent);
        COrvixWinView view;
        view.resize(500, 170);
        view.OnInitialUpdate();
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        // Press on Information (button 4), move to Story (button 3), release there.
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(300, 40));
        QCOMPARE(view.pressedButton(), 4);
        QCOMPARE(shownPictures(view), QByteArray("nnnpn"));
        QTest::mouseMove(&view, QPoint(200, 40));
        QCOMPARE(shownPictures(view), QByteArray("nnnpn"));
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 0);

        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(200, 40));
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);
        QCOMPARE(actions.count(Action::OpenMemberContent), 0);
        QCOMPARE(view.pressedButton(), 0);
        QCOMPARE(shownPictures(view), QByteArray("nnnnn"));

        // A release below the strip sends nothing; the pressed picture goes away all the same.
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(shownPictures(view), QByteArray("pnnnn"));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(10, 150));
        QCOMPARE(shownPictures(view), QByteArray("nnnnn"));
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);

        // The right button neither presses nor commands.
        QTest::mousePress(&view, Qt::RightButton, {}, QPoint(200, 40));
        QCOMPARE(view.pressedButton(), 0);
        QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(200, 40));
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);
    }

    void chattingShowsThenHidesTheChatWindows() {
        ShellFixture f;
        FeatureWindows windows(*f.app);
        COrvixWinView view;
        view.OnInitialUpdate();
        windows.postListFrame.show();
        windows.postFrame.show();

        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(windows.chatFrame.isVisible());
        QCOMPARE(windows.chatFrame.windowTitle(), QStringLiteral("채팅"));
        QVERIFY(!windows.postListFrame.isVisible());
        QVERIFY(!windows.postFrame.isVisible());

        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(!windows.chatFrame.isVisible());
    }

    void chattingWithoutTheChatFeatureDoesNothing() {
        ShellFixture f;
        FeatureWindows windows(*f.app, /*withChatView=*/false);
        COrvixWinView view;
        view.OnInitialUpdate();
        windows.postListFrame.show();
        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(!windows.chatFrame.isVisible());
        QVERIFY(windows.postListFrame.isVisible());
    }

    void squareTogglesThePostListAndHidesTheChat() {
        ShellFixture f;
        FeatureWindows windows(*f.app);
        ActionCounter actions;
        actions.provide(*f.app, Action::RequestPostList);
        COrvixWinView view;
        view.OnInitialUpdate();

        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(windows.chatFrame.isVisible());
        QCOMPARE(command(view, COrvixWinView::Square), 1);
        QVERIFY(!windows.chatFrame.isVisible());
        QVERIFY(windows.postListFrame.isVisible());
        QCOMPARE(actions.count(Action::RequestPostList), 1);

        windows.postFrame.show(); // a post opened from the list
        QCOMPARE(command(view, COrvixWinView::Square), 1);
        QVERIFY(!windows.postListFrame.isVisible());
        QVERIFY(!windows.postFrame.isVisible());
        QCOMPARE(actions.count(Action::RequestPostList), 1);

        // Chatting hides the board windows again.
        QCOMPARE(command(view, COrvixWinView::Square), 1);
        QCOMPARE(actions.count(Action::RequestPostList), 2);
        QCOMPARE(command(view, COrvixWinView::Chatting), 1);
        QVERIFY(!windows.postListFrame.isVisible());
        QVERIFY(windows.chatFrame.isVisible());
    }

    void squareWithoutTheBoardFeatureDoesNothing() {
        ShellFixture f;
        FeatureWindows windows(*f.app);
        COrvixWinView view;
        view.OnInitialUpdate();
        windows.chatFrame.show();
        QCOMPARE(command(view, COrvixWinView::Square), 1);
        QVERIFY(windows.chatFrame.isVisible());
        QVERIFY(!windows.postListFrame.isVisible());
    }

    void storyInformationAndAddStoreRunTheirActions() {
        ShellFixture f;
        COrvixWinView view;
        view.OnInitialUpdate();
        // Before the features exist the buttons are inert.
        QCOMPARE(command(view, COrvixWinView::Story), 1);
        QCOMPARE(command(view, COrvixWinView::Information), 1);
        QCOMPARE(command(view, COrvixWinView::AddStore), 1);

        ActionCounter actions;
        for (Action action :
             {Action::OpenDocumentLibrary, Action::OpenMemberContent, Action::OpenStoreContent})
            actions.provide(*f.app, action);
        QCOMPARE(command(view, COrvixWinView::Story), 1);
        QCOMPARE(command(view, COrvixWinView::Information), 1);
        QCOMPARE(command(view, COrvixWinView::Information), 1);
        QCOMPARE(command(view, COrvixWinView::AddStore), 1);
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);
        QCOMPARE(actions.count(Action::OpenMemberContent), 2);
        QCOMPARE(actions.count(Action::OpenStoreContent), 1);

        // Other numbers and other messages are ignored.
        QCOMPARE(command(view, 0), 0);
        QCOMPARE(command(view, 6), 0);
        QCOMPARE(command(view, -3), 0);
        QCOMPARE(sendMessage(&view, Msg::Reply, 3, 0), 0);
        QCOMPARE(actions.count(Action::OpenDocumentLibrary), 1);
    }

    void equalVersionCodesShowNoUpgradeDialog() {
        ShellFixture f;
        f.session().latestVersionCode = QStringLiteral("7");
        COrvixWinView view;
        view.OnInitialUpdate();
        QVERIFY(f.ui.modalDialogs().isEmpty());
    }

    void anotherVersionCodeShowsTheUpgradeDialog() {
        ShellFixture f;
        f.session().latestVersionCode = QStringLiteral("07"); // differs as text
        COrvixWinView view;
        QSignalSpy exits(&view, &COrvixWinView::exitRequested);
        view.OnInitialUpdate();
        QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("UpGradeDlg")});
        QCOMPARE(view.buttons().size(), std::size_t(5));
        QCOMPARE(exits.count(), 0); // cancelled: the program goes on

        // Accepted: the program is asked to end with exit code 1 once the dialog has closed.
        f.ui.answerModal([](QDialog& dialog) {
            dialog.accept();
            return dialog.result();
        });
        view.OnInitialUpdate();
        QCOMPARE(f.ui.modalDialogs().size(), 2);
        QCOMPARE(exits.count(), 1);
        QCOMPARE(exits.at(0).at(0).toInt(), 1);
        QCOMPARE(f.ui.openedAddresses().size(), std::size_t(1));
    }

    void contextMenuOpensAbout() {
        for (int country : {Country::Korea, Country::China, Country::Other}) {
            ShellFixture f(country);
            COrvixWinView view;
            view.OnInitialUpdate();
            QCOMPARE(view.contextMenuPolicy(), Qt::ActionsContextMenu);
            QVERIFY(view.actions().contains(view.aboutAction()));
            const QString expected[] = {QStringLiteral("Orvix 정보"), QStringLiteral("关于Orvix"),
                                        QStringLiteral("About Orvix")};
            QCOMPARE(view.aboutAction()->text(), expected[country]);
            view.aboutAction()->trigger();
            QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("CAboutDlg")});
        }
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
