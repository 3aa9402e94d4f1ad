#include "app/explorer.h"
#include "app/web_dialog.h"
#include "platform/web_engine_browser.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

using namespace orvix;
using test::ShellFixture;

// The preview dialog on the real embedded browser (Qt WebEngine, offscreen): the page written
// to the working folder is loaded and shown.
class TestWebEngineView : public QObject {
    Q_OBJECT
private slots:
    void previewLoadsInTheRealBrowser() {
        ShellFixture f;
        f.app.reset();
        COrvixWinApp::Services services{&f.environment, &f.ui, &f.sound, {}};
        services.makeBrowser = [](QWidget* parent) {
            return std::make_unique<WebEngineBrowser>(parent);
        };
        COrvixWinApp app(services, {});
        app.session().workFolder = f.dir.path();
        QFile page(CWebDialog::previewPath(f.dir.path()));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><head><title>preview 7</title></head><body><p>7</p></body></html>");
        page.close();

        CWebDialog dialog;
        auto* view = qobject_cast<QWebEngineView*>(dialog.explorer()->browser()->widget());
        QVERIFY(view);
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        dialog.show();
        QVERIFY(loaded.wait(60000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(view->title(), QStringLiteral("preview 7"));
        QCOMPARE(view->url(), QUrl::fromLocalFile(page.fileName()));
        QCOMPARE(view->size(), dialog.size());
        dialog.reject();
    }
};

int main(int argc, char* argv[]) {
    // The embedded browser shares its graphics context with the windows, as in the program.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    TestWebEngineView test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_web_engine_view.moc"
