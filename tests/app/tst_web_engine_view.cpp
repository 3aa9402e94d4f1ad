#include "app/explorer.h"
#include "app/web_dialog.h"
#include "platform/web_module.h"
#include "support/http_peer.h"
#include "support/shell_fixture.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QOpenGLContext>
#include <QSignalSpy>
#include <QTest>

using namespace orvix;
using test::HttpPeer;
using test::ShellFixture;

// The preview dialog on the real embedded browser, loaded as the program loads it: from its
// module, when the first web view opens, in a process that linked no part of Qt WebEngine and
// set up no graphics context at start.
class TestWebEngineView : public QObject {
    Q_OBJECT
private slots:
    void previewLoadsInTheBrowserLoadedOnDemand() {
        // Nothing of the browser before the first web view.
        QVERIFY(!QOpenGLContext::globalShareContext());
        QVERIFY(!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));

        ShellFixture f;
        f.app.reset();
        WebModule module(QStringLiteral(ORVIX_WEB_MODULE));
        COrvixWinApp::Services services{&f.environment, &f.ui, &f.sound, {}};
        services.makeBrowser = [&module](QWidget* parent) { return module.makeBrowser(parent); };
        COrvixWinApp app(services, {});
        app.session().workFolder = f.dir.path();
        QFile page(CWebDialog::previewPath(f.dir.path()));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><head><title>preview 7</title></head>"
                   "<body style='background:#ff0000'><p>7</p></body></html>");
        page.close();

        CWebDialog dialog;
        QVERIFY(!module.isLoaded()); // not before the dialog opens
        dialog.show();
        QVERIFY2(module.isLoaded(), qPrintable(module.errorString()));
        QObject* view = dialog.explorer()->browser()->widget();
        QCOMPARE(view->metaObject()->className(), "QWebEngineView");
        QSignalSpy loaded(view, SIGNAL(loadFinished(bool)));
        QVERIFY(loaded.wait(60000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(view->property("title").toString(), QStringLiteral("preview 7"));
        QCOMPARE(view->property("url").toUrl(), QUrl::fromLocalFile(page.fileName()));
        QCOMPARE(dialog.explorer()->browser()->widget()->size(), dialog.size());
        // The page is drawn: the dialog shows its red background.
        QTRY_VERIFY_WITH_TIMEOUT(dialog.grab().toImage().pixelColor(
                                     dialog.width() / 2, dialog.height() - 10) == QColor(255, 0, 0),
                                 20000);
        dialog.reject();
    }

    // A module that is not there leaves windows without a page, and says why, once.
    void missingModuleGivesNoBrowser() {
        WebModule module(QStringLiteral("/nonexistent/liborvix_web.so"));
        QWidget host;
        QVERIFY(!module.makeBrowser(&host));
        QVERIFY(!module.isLoaded());
        QVERIFY(!module.errorString().isEmpty());
        QVERIFY(!module.makeBrowser(&host));
        QVERIFY(host.children().isEmpty());
    }

    // A page written to the working folder shows pictures from the server (the content preview
    // names the document icon by its web address), as the same page does on the server.
    void localPageShowsServerPictures() {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&buffer, "PNG"));
        HttpPeer server([&](const HttpPeer::Request&) {
            return "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                   QByteArray::number(png.size()) + "\r\nConnection: close\r\n\r\n" + png;
        });

        ShellFixture f;
        f.app.reset();
        WebModule module(QStringLiteral(ORVIX_WEB_MODULE));
        COrvixWinApp::Services services{&f.environment, &f.ui, &f.sound, {}};
        services.makeBrowser = [&module](QWidget* parent) { return module.makeBrowser(parent); };
        COrvixWinApp app(services, {});
        app.session().workFolder = f.dir.path();
        QFile page(CWebDialog::previewPath(f.dir.path()));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><head><title>waiting</title></head><body><img src='http://127.0.0.1:" +
                   QByteArray::number(server.port()) +
                   "/icon.png' onload=\"document.title='shown'\" "
                   "onerror=\"document.title='blocked'\"></body></html>");
        page.close();

        CWebDialog dialog;
        dialog.show();
        QVERIFY2(module.isLoaded(), qPrintable(module.errorString()));
        QObject* view = dialog.explorer()->browser()->widget();
        QTRY_VERIFY_WITH_TIMEOUT(view->property("title").toString() == u"shown" ||
                                     view->property("title").toString() == u"blocked",
                                 60000);
        QCOMPARE(view->property("title").toString(), QStringLiteral("shown"));
        QCOMPARE(server.requestCount(), 1);
        dialog.reject();
    }
};

int main(int argc, char* argv[]) {
    // Like the program: nothing set up for the browser before the application starts.
    QApplication application(argc, argv);
    TestWebEngineView test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_web_engine_view.moc"
