#include "app/explorer.h"
#include "app/web_dialog.h"
#include "support/shell_fixture.h"

#include <QTest>

using namespace orvix;
using test::ShellFixture;

class TestWebView : public QObject {
    Q_OBJECT
private slots:
    // The explorer hands every move to the browser the application made, which fills it. The
    // browser is made when first needed (shown, or given an address), once.
    void explorerDrivesItsBrowser() {
        ShellFixture f;
        CExplorer explorer;
        QVERIFY(f.browsers.empty());
        explorer.resize(300, 200);
        explorer.show();
        QCOMPARE(f.browsers.size(), std::size_t(1));
        RecordingBrowser* browser = f.browsers[0];
        QCOMPARE(explorer.browser(), browser);
        QCOMPARE(browser->widget()->parentWidget(), &explorer);
        QTRY_COMPARE(browser->widget()->size(), QSize(300, 200));
        CExplorer hidden;
        hidden.Navigate(u"http://web.test/"_qs);
        QCOMPARE(f.browsers.size(), std::size_t(2));
        QCOMPARE(f.browsers[1]->actions(), QStringList{u"navigate http://web.test/"_qs});
        QCOMPARE(hidden.browser(), f.browsers[1]);
        QCOMPARE(f.browsers.size(), std::size_t(2));

        explorer.Navigate(u"http://web.test/android/pcdocument.php?deviceid=d&order=1"_qs);
        explorer.back();
        explorer.forward();
        explorer.reload();
        QCOMPARE(
            browser->actions(),
            QStringList({u"navigate http://web.test/android/pcdocument.php?deviceid=d&order=1"_qs,
                         u"back"_qs, u"forward"_qs, u"reload"_qs}));
        QCOMPARE(explorer.address(),
                 u"http://web.test/android/pcdocument.php?deviceid=d&order=1"_qs);
    }

    // Without a browser from the services every call does nothing; a window without the
    // control gets no explorer.
    void withoutBrowserOrControl() {
        ShellFixture f;
        f.app.reset();
        COrvixWinApp bare({&f.environment, &f.ui, &f.sound, {}}, {});
        CExplorer explorer;
        QVERIFY(!explorer.browser());
        explorer.Navigate(u"http://x/"_qs);
        explorer.back();
        explorer.reload();
        QCOMPARE(explorer.address(), u"http://x/"_qs);
        QWidget window;
        QVERIFY(!CExplorer::fill(&window, 1018));
    }

    // The preview dialog: one browser filling it, the preview page of the working folder
    // shown each time it opens, OK and Cancel close it.
    void previewDialogShowsThePreviewPage() {
        ShellFixture f;
        CWebDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("미리보기"));
        QCOMPARE(CWebDialog::dialogTemplate().resourceId, 151);
        QCOMPARE(dialog.size(), dialog.units().toPixels(QSize(401, 318)));
        auto* host = dialog.control<QWidget>(CWebDialog::BrowserId);
        QVERIFY(host && dialog.explorer());
        QCOMPARE(host->geometry(), QRect(QPoint(0, 0), dialog.size()));
        QVERIFY(f.browsers.empty()); // nothing of the browser before it opens

        const QString page = f.dir.path() + QStringLiteral("/prevview.html");
        for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
            f.ui.answerModal([key](QDialog& shown) {
                QTest::keyClick(&shown, Qt::Key(key));
                return shown.result();
            });
            QCOMPARE(f.ui.runModal(dialog), key == Qt::Key_Escape ? 2 : 1);
            QVERIFY(dialog.isHidden());
        }
        QCOMPARE(f.browsers.size(), std::size_t(1));
        QCOMPARE(f.browsers[0]->actions(),
                 QStringList({u"navigate "_qs + page, u"navigate "_qs + page}));
        QCOMPARE(f.ui.modalDialogs(), QStringList({u"CWebDialog"_qs, u"CWebDialog"_qs}));
    }
};

QTEST_MAIN(TestWebView)
#include "tst_web_view.moc"
