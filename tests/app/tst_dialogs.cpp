#include "app/about_dlg.h"
#include "app/orvix_msg_dlg.h"
#include "app/progress_dlg.h"
#include "app/upgrade_dlg.h"
#include "platform/resources.h"
#include "shell_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <limits>

using namespace orvix;
using orvix::test::ShellFixture;

namespace {

const QString kRequired = QStringLiteral(
    "Orvix가 업그레이드가 되었습니다. 새로운 버전이 존재 합니다. 현재 버전으로 사용이 불가능 "
    "합니다.업그레이드를 부탁드립니다.");
const QString kOffer = QStringLiteral("Orvix가 업그레이드가 되었습니다. 업그레이드 하시겠습니까?");

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void noticeUsesTheStoreTextColumn() {
        ShellFixture f(Country::Other);
        f.session().fontTable = {QStringLiteral("Face K"), QStringLiteral("돋움체"),
                                 QStringLiteral("Face E")};
        COrvixMsgDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Orvix通知"));
        QCOMPARE(dialog.size(), dialog.units().toPixels(QSize(222, 88)));
        for (int id : {1, 2, COrvixMsgDlg::TextId}) {
            const QFont font = dialog.control<QWidget>(id)->font();
            QCOMPARE(font.family(), QStringLiteral("돋움체"));
            QCOMPARE(font.pixelSize(), 16);
            QCOMPARE(font.weight(), QFont::Normal);
            QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        }
        QCOMPARE(dialog.control<QWidget>(COrvixMsgDlg::TextId)->geometry(),
                 dialog.units().toPixels(QRect(7, 7, 208, 46)));
        QVERIFY(dialog.control<QPlainTextEdit>(COrvixMsgDlg::TextId)->isReadOnly());
    }

    void noticeModesChooseTheButtons() {
        ShellFixture f;
        struct Case {
            int mode;
            bool ok;
            bool cancel;
        };
        for (const Case& c :
             {Case{COrvixMsgDlg::OnlyOk, true, false}, Case{COrvixMsgDlg::OnlyCancel, false, true},
              Case{0, true, true}, Case{1, true, true}, Case{4, true, true}}) {
            COrvixMsgDlg dialog;
            dialog.SetMessage(c.mode, QStringLiteral("첫 줄\n두 번째 줄"));
            QCOMPARE(!dialog.control<QPushButton>(1)->isHidden(), c.ok);
            QCOMPARE(!dialog.control<QPushButton>(2)->isHidden(), c.cancel);
            QCOMPARE(dialog.control<QPlainTextEdit>(COrvixMsgDlg::TextId)->toPlainText(),
                     QStringLiteral("첫 줄\n두 번째 줄"));
        }

        // Run through the services: the member's choice is the result.
        COrvixMsgDlg dialog;
        dialog.SetMessage(COrvixMsgDlg::OnlyOk, QStringLiteral("저장되었습니다."));
        f.ui.answerModal([](QDialog& shown) {
            QTest::mouseClick(shown.findChild<QPushButton*>(controlName(1)), Qt::LeftButton);
            return shown.result();
        });
        QCOMPARE(f.ui.runModal(dialog), DialogResult::Ok);
    }

    void progressFollowsBytesDone() {
        ShellFixture f;
        QWidget owner;
        owner.resize(600, 200);
        CProgressDlg progress(&owner);
        QCOMPARE(progress.parentWidget(), &owner);
        QVERIFY(!progress.isWindow());
        QVERIFY(progress.isHidden());
        auto* bar = progress.control<QProgressBar>(CProgressDlg::BarId);
        QVERIFY(bar);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);

        // No total yet: nothing to divide by.
        QCOMPARE(sendMessage(&progress, Msg::Progress, 500), 1);
        QCOMPARE(progress.position(), 0);

        progress.setTotal(1000);
        const std::pair<qint64, int> steps[] = {{500, 50},   {999, 99}, {1, 0},    {1000, 100},
                                                {1500, 100}, {-20, 0},  {290, 29}, {0, 0}};
        for (const auto& [done, position] : steps) {
            QCOMPARE(sendMessage(&progress, Msg::Progress, done), 1);
            QCOMPARE(progress.position(), position);
        }
        QCOMPARE(sendMessage(&progress, Msg::Upload, 500), 0);
        QCOMPARE(progress.position(), 0);

        QCOMPARE(CProgressDlg::positionFor(1, 2), 50);
        QCOMPARE(CProgressDlg::positionFor(4'999'999, 5'000'000), 99);
        QCOMPARE(CProgressDlg::positionFor(std::numeric_limits<qint64>::max(), 1), 100);
        QCOMPARE(CProgressDlg::positionFor(std::numeric_limits<qint64>::min(), 1), 0);
        QCOMPARE(CProgressDlg::positionFor(10, -5), 0);
    }

    void progressCannotBeClosedByTheKeyboard() {
        ShellFixture f;
        QWidget owner;
        owner.resize(600, 200);
        CProgressDlg progress(&owner);
        owner.show();
        progress.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QTest::keyClick(&progress, Qt::Key_Escape);
        QTest::keyClick(&progress, Qt::Key_Return);
        QTest::keyClick(&progress, Qt::Key_Enter);
        QVERIFY(progress.isVisible());
        QCOMPARE(progress.result(), 0);
    }

    void upgradeShowsBothVersionsAndItsPicture() {
        ShellFixture f;
        f.session().latestVersionName = QStringLiteral("0.6.1");
        UpGradeDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("업그레이드 알림"));
        QCOMPARE(dialog.control<QLineEdit>(UpGradeDlg::CurrentVersionId)->text(),
                 QStringLiteral("0.5.6"));
        QCOMPARE(dialog.control<QLineEdit>(UpGradeDlg::NewVersionId)->text(),
                 QStringLiteral("0.6.1"));
        QVERIFY(dialog.control<QLineEdit>(UpGradeDlg::CurrentVersionId)->isReadOnly());
        QCOMPARE(dialog.control<QPushButton>(1)->text(), QStringLiteral("확인"));
        QCOMPARE(dialog.control<QPushButton>(2)->text(), QStringLiteral("취소"));
        auto* picture = dialog.control<QLabel>(UpGradeDlg::PictureId);
        QVERIFY(picture);
        const QPoint topLeft(dialog.units().toPixelsX(7), dialog.units().toPixelsY(7));
        QCOMPARE(picture->geometry(), QRect(topLeft, QSize(60, 60)));
        QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 res::bitmap(res::UpgradePicture).convertToFormat(QImage::Format_RGB32));
    }

    void upgradeCancelDependsOnTheMinimumVersion() {
        struct Case {
            QString minimum;
            bool required;
        };
        for (const Case& c :
             {Case{QStringLiteral("8"), true}, Case{QStringLiteral("12"), true},
              Case{QStringLiteral("9 beta"), true}, Case{QStringLiteral("7"), false},
              Case{QStringLiteral("6"), false}, Case{QString(), false},
              Case{QStringLiteral("v9"), false}, Case{QStringLiteral("-8"), false}}) {
            ShellFixture f;
            f.session().minimumVersionCode = c.minimum;
            UpGradeDlg dialog;
            QCOMPARE(dialog.upgradeRequired(), c.required);
            QCOMPARE(dialog.control<QPushButton>(2)->isEnabled(), !c.required);
            QCOMPARE(dialog.control<QPlainTextEdit>(UpGradeDlg::MessageId)->toPlainText(),
                     c.required ? kRequired : kOffer);

            // Cancel (or Escape) lets the program go on, unless this version is refused.
            dialog.reject();
            QCOMPARE(dialog.result(), c.required ? 0 : int(DialogResult::Cancel));
            QVERIFY(!dialog.requestedExitCode());
            QVERIFY(f.ui.openedAddresses().empty());
        }
    }

    void upgradeOkOpensTheWebSiteAndAsksForExitCodeOne() {
        {
            ScopedEnv unset("ORVIX_WEB_HOST", QByteArray());
            ShellFixture f;
            f.session().minimumVersionCode = QStringLiteral("8");
            UpGradeDlg dialog;
            QTest::mouseClick(dialog.control<QPushButton>(1), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(DialogResult::Ok));
            QCOMPARE(dialog.requestedExitCode(), std::optional<int>(1));
            QCOMPARE(f.ui.openedAddresses().size(), std::size_t(1));
            QCOMPARE(f.ui.openedAddresses().at(0).toString(),
                     QStringLiteral("http://127.0.0.1:8080/"));
        }
        {
            ScopedEnv host("ORVIX_WEB_HOST", "web.orvix.test:9090");
            ShellFixture f;
            f.ui.setDesktopBrowserWorks(false); // the program ends all the same
            UpGradeDlg dialog;
            dialog.accept();
            QCOMPARE(dialog.requestedExitCode(), std::optional<int>(1));
            QCOMPARE(f.ui.openedAddresses().at(0),
                     QUrl(QStringLiteral("http://web.orvix.test:9090/")));
        }
    }

    void aboutShowsIconVersionAndNotice() {
        ShellFixture f;
        CAboutDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("OrvixWin 정보"));
        QCOMPARE(dialog.size(), dialog.units().toPixels(QSize(235, 55)));
        QCOMPARE(dialog.control<QLabel>(CAboutDlg::VersionTextId)->text(),
                 QStringLiteral("Orvix 윈도우 버전 0.5"));
        QVERIFY(!dialog.control<QLabel>(CAboutDlg::NoticeTextId)->text().isEmpty());
        QVERIFY(!dialog.control<QLabel>(CAboutDlg::IconId)->pixmap().isNull());
        QCOMPARE(dialog.control<QPushButton>(1)->text(), QStringLiteral("확인"));

        f.app->OnAppAbout();
        QCOMPARE(f.ui.modalDialogs(), QStringList{QStringLiteral("CAboutDlg")});
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
