// A document link of the library page, clicked in the real embedded browser (Qt WebEngine,
// offscreen): the download goes to the desktop's web browser and nothing is written here.

#include "platform/web_engine_browser.h"
#include "support/http_peer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;
using namespace orvix;
using orvix::test::HttpPeer;

namespace {

// Takes the addresses the program asks the desktop to open.
class DesktopBrowser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& address) { opened << address; }
};

} // namespace

class TestDocumentDownload : public QObject {
    Q_OBJECT
private slots:
    void downloadLinkGoesToTheDesktopBrowser() {
        HttpPeer site([](const HttpPeer::Request& request) {
            if (request.path.startsWith("/image/"))
                return HttpPeer::reply("%PDF-1.4 x", "application/octet-stream");
            return HttpPeer::reply("<html><body><a id=\"d\" href=\"/image/document/1/11.PDF\" "
                                   "download=\"report.pdf\">report.pdf</a></body></html>");
        });
        DesktopBrowser desktop;
        QDesktopServices::setUrlHandler(u"http"_s, &desktop, "open");

        QWidget host;
        WebEngineBrowser browser(&host);
        auto* view = qobject_cast<QWebEngineView*>(browser.widget());
        QVERIFY(view);
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        host.resize(400, 300);
        view->resize(400, 300);
        host.show();
        browser.navigate(
            u"http://%1/android/pcdocument.php?deviceid=d&order=0"_s.arg(site.address()));
        QVERIFY(loaded.wait(60000));
        view->page()->runJavaScript(u"document.getElementById('d').click();"_s);
        QVERIFY(QTest::qWaitFor([&] { return !desktop.opened.isEmpty(); }, 30000));
        QCOMPARE(desktop.opened.first(),
                 QUrl(u"http://%1/image/document/1/11.PDF"_s.arg(site.address())));
        QDesktopServices::unsetUrlHandler(u"http"_s);
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    TestDocumentDownload test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_document_download.moc"
