#include "app/about_dlg.h"
#include "app/orvix_msg_dlg.h"
#include "app/progress_dlg.h"
#include "app/upgrade_dlg.h"
#include "platform/resources.h"
#include "support/shell_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace orvix;
using test::ShellFixture;

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void noticeTextColumnFontAndModes() {
        ShellFixture f(Country::Other);
        f.session().fontTable = {QStringLiteral("K"), QStringLiteral("돋움체"),
                                 QStringLiteral("E")};
        COrvixMsgDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Orvix通知"));
        for (int id : {1, 2, COrvixMsgDlg::TextId}) {
            const QFont font = dialog.control<QWidget>(id)->font();
            QCOMPARE(font.family(), QStringLiteral("돋움체"));
            QCOMPARE(font.pixelSize(), 16);
            QCOMPARE(font.weight(), QFont::Normal);
        }
        const struct {
            int mode;
            bool ok, cancel;
        } cases[] = {{COrvixMsgDlg::OnlyOk, true, false},
                     {COrvixMsgDlg::OnlyCancel, false, true},
                     {0, true, true}};
        for (const auto& c : cases) {
            COrvixMsgDlg notice;
            notice.SetMessage(c.mode, QStringLiteral("첫 줄\n둘째 줄"));
            QCOMPARE(!notice.control<QPushButton>(1)->isHidden(), c.ok);
            QCOMPARE(!notice.control<QPushButton>(2)->isHidden(), c.cancel);
            QCOMPARE(notice.control<QPlainTextEdit>(COrvixMsgDlg::TextId)->toPlainText(),
                     QStringLiteral("첫 줄\n둘째 줄"));
        }
        // A notice of two lines shows whole, with no scroll bar beside it.
        COrvixMsgDlg shown;
        shown.SetMessage(COrvixMsgDlg::OnlyOk, QStringLiteral("첫 줄\n둘째 줄"));
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        auto* text = shown.control<QPlainTextEdit>(COrvixMsgDlg::TextId);
        QCoreApplication::processEvents();
        QVERIFY(!text->verticalScrollBar()->isVisible());
        QVERIFY(!text->horizontalScrollBar()->isVisible());
    }

    void progressFollowsBytesDone() {
        ShellFixture f;
        QWidget owner;
        CProgressDlg progress(&owner);
        QVERIFY(!progress.isWindow() && progress.isHidden());
        QCOMPARE(sendMessage(&progress, Msg::Progress, 500), 1); // no total yet: no division
        QCOMPARE(progress.position(), 0);
        progress.setTotal(1000);
        for (const auto& [done, position] :
             {std::pair{500, 50}, {999, 99}, {1, 0}, {1000, 100}, {1500, 100}, {-20, 0}}) {
            QCOMPARE(sendMessage(&progress, Msg::Progress, done), 1);
            QCOMPARE(progress.position(), position);
            QCOMPARE(progress.control<QProgressBar>(CProgressDlg::BarId)->value(), position);
        }
        // The member cannot close the strip from the keyboard.
        owner.show();
        progress.show();
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(&progress, key);
        QVERIFY(progress.isVisible());
    }

    void upgradeVersionsAndCancelByMinimumVersion() {
        const QString required = QStringLiteral("Orvix가 업그레이드가 되었습니다. 새로운 버전이 "
                                                "존재 합니다. 현재 버전으로 사용이 불가능 "
                                                "합니다.업그레이드를 부탁드립니다.");
        const QString offer =
            QStringLiteral("Orvix가 업그레이드가 되었습니다. 업그레이드 하시겠습니까?");
        for (const auto& [minimum, isRequired] :
             {std::pair{"8", true}, {"9 beta", true}, {"7", false}, {"", false}, {"v9", false}}) {
            ShellFixture f;
            f.session().minimumVersionCode = QString::fromLatin1(minimum);
            UpGradeDlg dialog;
            QCOMPARE(dialog.windowTitle(), QStringLiteral("업그레이드 알림"));
            QCOMPARE(dialog.control<QLineEdit>(UpGradeDlg::CurrentVersionId)->text(),
                     QStringLiteral("0.5.6"));
            QCOMPARE(dialog.control<QLineEdit>(UpGradeDlg::NewVersionId)->text(),
                     QStringLiteral("0.6.1"));
            QCOMPARE(dialog.control<QPushButton>(2)->isEnabled(), !isRequired);
            QCOMPARE(dialog.control<QPlainTextEdit>(UpGradeDlg::MessageId)->toPlainText(),
                     isRequired ? required : offer);
            // Cancel (or Escape) lets the program go on, unless this version is refused.
            dialog.reject();
            QCOMPARE(dialog.result(), isRequired ? 0 : int(DialogResult::Cancel));
            QVERIFY(!dialog.requestedExitCode() && f.ui.openedAddresses().empty());
        }
        ShellFixture f;
        UpGradeDlg dialog;
        const QPoint topLeft(dialog.units().toPixelsX(7), dialog.units().toPixelsY(7));
        QCOMPARE(dialog.control<QLabel>(UpGradeDlg::PictureId)->geometry(),
                 QRect(topLeft, QSize(60, 60)));
    }

    void upgradeOkOpensTheWebSiteAndAsksForExitCodeOne() {
        for (const QString& host : {QString(), u"web.orvix.test:9090"_qs}) {
            Configuration configuration;
            if (!host.isNull())
                configuration.webHost = host;
            ShellFixture f(Country::Korea, configuration);
            f.ui.setDesktopBrowserWorks(!host.isNull()); // the program ends either way
            UpGradeDlg dialog;
            QTest::mouseClick(dialog.control<QPushButton>(1), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(DialogResult::Ok));
            QCOMPARE(dialog.requestedExitCode(), std::optional<int>(1));
            QCOMPARE(f.ui.openedAddresses().at(0).toString(),
                     host.isNull() ? QStringLiteral("http://127.0.0.1:8080/")
                                   : QStringLiteral("http://web.orvix.test:9090/"));
        }
    }

    void aboutShowsIconVersionAndNotice() {
        ShellFixture f;
        CAboutDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("OrvixWin 정보"));
        QCOMPARE(dialog.control<QLabel>(CAboutDlg::VersionTextId)->text(),
                 QStringLiteral("Orvix 윈도우 버전 0.5"));
        QVERIFY(!dialog.control<QLabel>(CAboutDlg::NoticeTextId)->text().isEmpty());
        QVERIFY(!dialog.control<QLabel>(CAboutDlg::IconId)->pixmap().isNull());
        f.app->OnAppAbout();
        QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("CAboutDlg")});
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
