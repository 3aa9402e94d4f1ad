#include "platform/doubles/fixed_environment.h"
#include "platform/doubles/recording_browser.h"
#include "platform/doubles/scripted_ui_services.h"
#include "platform/system_environment.h"
#include "platform/web_engine_browser.h"

#include <QDialog>
#include <QTest>

using namespace orvix;

class TestPlatformServices : public QObject {
    Q_OBJECT
private slots:
    void systemCodePageRoundTrips() {
        SystemEnvironment environment;
        for (const QString& text : {QStringLiteral("member01"), QStringLiteral("홍길동비밀번호"),
                                    QStringLiteral("用户名"), QString()})
            QCOMPARE(environment.fromSystemCodePage(environment.toSystemCodePage(text)), text);
        QCOMPARE(environment.toSystemCodePage(QStringLiteral("member01")), QByteArray("member01"));
        QVERIFY(!environment.documentsFolder().isEmpty());
        QVERIFY(!environment.documentsFolder().endsWith(QLatin1Char('/')));
    }

    void currentTimeSecondsKeepsLow32Bits() {
        FixedEnvironment environment;
        environment.now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
        QCOMPARE(environment.currentTimeSeconds(), 1'700'000'000);
        // Past 2038 the value wraps to negative, as a signed 32-bit number of seconds does.
        environment.now = QDateTime::fromSecsSinceEpoch(qint64(1) << 31, Qt::UTC);
        QCOMPARE(environment.currentTimeSeconds(), std::numeric_limits<qint32>::min());
    }

    void fileFilterConversion() {
        QCOMPARE(toQtFileFilter(
                     QStringLiteral("JPG(*.JPG)|*.JPG|PNG(*.PNG)|*.PNG|ALL Files(*.*)|*.*||")),
                 QStringLiteral(
                     "JPG(*.JPG) (*.JPG *.jpg);;PNG(*.PNG) (*.PNG *.png);;ALL Files(*.*) (*.*)"));
        QCOMPARE(toQtFileFilter(QString()), QString());
    }

    void scriptedUiServicesRecordAndAnswer() {
        ScriptedUiServices ui;
        // Unscripted: OK for a message box, nothing chosen, a modal run cancelled.
        QCOMPARE(
            ui.messageBox(nullptr, QStringLiteral("t"), QStringLiteral("a"), MessageBoxButtons::Ok),
            DialogResult::Ok);
        QVERIFY(ui.chooseFiles(nullptr, {}).isEmpty());
        QVERIFY(!ui.chooseColor(nullptr, Qt::black));
        QDialog dialog;
        QCOMPARE(ui.runModal(dialog), DialogResult::Cancel);

        ui.answerMessageBox(DialogResult::No);
        ui.answerFiles({QStringLiteral("/tmp/a.jpg"), QStringLiteral("/tmp/b.jpg")});
        ui.answerColor(QColor(255, 0, 0));
        bool shownWhileRunning = false;
        ui.answerModal([&](QDialog& d) {
            shownWhileRunning = d.isVisible();
            return DialogResult::Ok;
        });
        QCOMPARE(ui.messageBox(nullptr, QStringLiteral("t"), QStringLiteral("q"),
                               MessageBoxButtons::YesNo),
                 DialogResult::No);
        QCOMPARE(ui.chooseFiles(nullptr, {QStringLiteral("JPG(*.JPG)|*.JPG||"), {}, true}).size(),
                 2);
        QCOMPARE(ui.chooseColor(nullptr, Qt::black).value(), QColor(255, 0, 0));
        QCOMPARE(ui.runModal(dialog), DialogResult::Ok);
        QVERIFY(shownWhileRunning && !dialog.isVisible());

        QCOMPARE(ui.messages().size(), size_t(2));
        QCOMPARE(ui.messages()[1].text, QStringLiteral("q"));
        QVERIFY(ui.fileRequests().back().multiple);
        QCOMPARE(ui.modalDialogs(),
                 QStringList({QStringLiteral("QDialog"), QStringLiteral("QDialog")}));
        ui.setDesktopBrowserWorks(false);
        QVERIFY(!ui.openInDesktopBrowser(QUrl(QStringLiteral("http://other.test/"))));
        QCOMPARE(ui.openedAddresses().size(), size_t(1));
    }

    void browserAddresses() {
        RecordingBrowser browser;
        browser.navigate(QStringLiteral("http://host/page.php?a=1"));
        browser.back();
        browser.reload();
        QCOMPARE(browser.actions(),
                 QStringList({QStringLiteral("navigate http://host/page.php?a=1"),
                              QStringLiteral("back"), QStringLiteral("reload")}));
        // The real browser takes http addresses as they stand and local paths as files.
        QCOMPARE(WebEngineBrowser::addressToUrl(QStringLiteral("http://h:8080/a.php?x=1&y=2")),
                 QUrl(QStringLiteral("http://h:8080/a.php?x=1&y=2")));
        QCOMPARE(WebEngineBrowser::addressToUrl(QStringLiteral("/home/u/OrvixWin\\prevview.html")),
                 QUrl::fromLocalFile(QStringLiteral("/home/u/OrvixWin/prevview.html")));
        QCOMPARE(WebEngineBrowser::addressToUrl(QString()), QUrl(QStringLiteral("about:blank")));
    }
};

QTEST_MAIN(TestPlatformServices)
#include "tst_platform_services.moc"
