#include "platform/doubles/counting_sound.h"
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
    void systemCodePageRoundTrips_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QStringLiteral("member01");
        QTest::newRow("korean") << QStringLiteral("홍길동비밀번호");
        QTest::newRow("chinese") << QStringLiteral("用户名");
        QTest::newRow("empty") << QString();
    }
    void systemCodePageRoundTrips() {
        QFETCH(QString, text);
        SystemEnvironment environment;
        const QByteArray narrow = environment.toSystemCodePage(text);
        QCOMPARE(environment.fromSystemCodePage(narrow), text);
        if (text == QLatin1String("member01"))
            QCOMPARE(narrow, QByteArray("member01"));
    }

    void systemEnvironmentAnswers() {
        SystemEnvironment environment;
        QVERIFY(!environment.documentsFolder().isEmpty());
        QVERIFY(!environment.documentsFolder().endsWith(QLatin1Char('/')));
        const QString code = environment.countryIsoCode();
        QVERIFY(code.isEmpty() || code.size() == 2);
        QVERIFY(qAbs(environment.currentDateTime().secsTo(QDateTime::currentDateTime())) < 5);
    }

    void currentTimeSecondsKeepsLow32Bits() {
        FixedEnvironment environment;
        environment.now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
        QCOMPARE(environment.currentTimeSeconds(), 1'700'000'000);
        // Past 2038 the value wraps to negative, as a signed 32-bit number of seconds does.
        environment.now = QDateTime::fromSecsSinceEpoch(qint64(1) << 31, Qt::UTC);
        QCOMPARE(environment.currentTimeSeconds(), std::numeric_limits<qint32>::min());
    }

    void fixedEnvironmentCodePages() {
        FixedEnvironment environment;
        QCOMPARE(environment.toSystemCodePage(QStringLiteral("é")), QByteArray("\xc3\xa9"));
        environment.codePage = FixedEnvironment::CodePage::Latin1;
        QCOMPARE(environment.toSystemCodePage(QStringLiteral("é")), QByteArray("\xe9"));
        QCOMPARE(environment.fromSystemCodePage("\xe9"), QStringLiteral("é"));
    }

    void fileFilterConversion() {
        QCOMPARE(toQtFileFilter(QStringLiteral(
                     "JPG(*.JPG)|*.JPG|PNG(*.PNG)|*.PNG|GIF(*.GIF)|*.GIF|ALL Files(*.*)|*.*||")),
                 QStringLiteral("JPG(*.JPG) (*.JPG *.jpg);;PNG(*.PNG) (*.PNG *.png);;"
                                "GIF(*.GIF) (*.GIF *.gif);;ALL Files(*.*) (*.*)"));
        QCOMPARE(toQtFileFilter(QStringLiteral("JPG(*.JPG)|*.JPG||")),
                 QStringLiteral("JPG(*.JPG) (*.JPG *.jpg)"));
        QCOMPARE(toQtFileFilter(QString()), QString());
    }

    void scriptedUiServicesRecordAndAnswer() {
        ScriptedUiServices ui;
        // Unscripted answers.
        QCOMPARE(ui.messageBox(nullptr, QStringLiteral("Orvix"), QStringLiteral("hello"),
                               MessageBoxButtons::Ok),
                 DialogResult::Ok);
        QVERIFY(ui.chooseFiles(nullptr, {}).isEmpty());
        QVERIFY(!ui.chooseColor(nullptr, Qt::black).has_value());
        QVERIFY(!ui.chooseFont(nullptr, QFont()).has_value());

        ui.answerMessageBox(DialogResult::No);
        ui.answerFiles({QStringLiteral("/tmp/a.jpg"), QStringLiteral("/tmp/b.jpg")});
        ui.answerColor(QColor(255, 0, 0));
        QCOMPARE(ui.messageBox(nullptr, QStringLiteral("t"), QStringLiteral("q"),
                               MessageBoxButtons::YesNo),
                 DialogResult::No);
        FileOpenRequest request{QStringLiteral("JPG(*.JPG)|*.JPG||"), QStringLiteral("*.JPG"),
                                true};
        QCOMPARE(ui.chooseFiles(nullptr, request).size(), 2);
        QCOMPARE(ui.chooseColor(nullptr, Qt::black).value(), QColor(255, 0, 0));

        QCOMPARE(ui.messages().size(), size_t(2));
        QCOMPARE(ui.messages()[1].buttons, MessageBoxButtons::YesNo);
        QCOMPARE(ui.fileRequests().back().initialName, QStringLiteral("*.JPG"));
        QVERIFY(ui.fileRequests().back().multiple);
        QCOMPARE(ui.colorRequests(), 2);

        QVERIFY(ui.openInDesktopBrowser(QUrl(QStringLiteral("http://example.test/"))));
        ui.setDesktopBrowserWorks(false);
        QVERIFY(!ui.openInDesktopBrowser(QUrl(QStringLiteral("http://other.test/"))));
        QCOMPARE(ui.openedAddresses().size(), size_t(2));
    }

    void scriptedModalRunsNeverBlock() {
        ScriptedUiServices ui;
        QDialog dialog;
        // Unscripted: cancelled at once.
        QCOMPARE(ui.runModal(dialog), DialogResult::Cancel);
        ui.answerModal([](QDialog& d) {
            d.setWindowTitle(QStringLiteral("seen"));
            return DialogResult::Ok;
        });
        QCOMPARE(ui.runModal(dialog), DialogResult::Ok);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("seen"));
        QCOMPARE(ui.modalDialogs(),
                 QStringList({QStringLiteral("QDialog"), QStringLiteral("QDialog")}));
    }

    void recordingBrowserAndCountingSound() {
        RecordingBrowser browser;
        QVERIFY(browser.widget());
        browser.navigate(QStringLiteral("http://host/page.php?a=1"));
        browser.back();
        browser.forward();
        browser.reload();
        QCOMPARE(browser.actions(),
                 QStringList({QStringLiteral("navigate http://host/page.php?a=1"),
                              QStringLiteral("back"), QStringLiteral("forward"),
                              QStringLiteral("reload")}));
        QCOMPARE(browser.lastAddress(), QStringLiteral("http://host/page.php?a=1"));

        CountingSound sound;
        sound.playNotification();
        sound.playNotification();
        QCOMPARE(sound.count(), 2);
    }

    void browserAddresses() {
        QCOMPARE(WebEngineBrowser::addressToUrl(QStringLiteral("http://h:8080/a.php?x=1&y=2")),
                 QUrl(QStringLiteral("http://h:8080/a.php?x=1&y=2")));
        QCOMPARE(WebEngineBrowser::addressToUrl(QStringLiteral("/home/u/OrvixWin\\prevview.html")),
                 QUrl::fromLocalFile(QStringLiteral("/home/u/OrvixWin/prevview.html")));
        QCOMPARE(WebEngineBrowser::addressToUrl(QString()), QUrl(QStringLiteral("about:blank")));
    }
};

QTEST_MAIN(TestPlatformServices)
#include "tst_platform_services.moc"
