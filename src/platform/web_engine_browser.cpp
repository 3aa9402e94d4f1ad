#include "platform/web_engine_browser.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace orvix {

WebEngineBrowser::WebEngineBrowser(QWidget* parent)
    : m_view(new QWebEngineView(parent)) {
    handDownloadsToDesktop(m_view->page()->profile());
}

void WebEngineBrowser::handDownloadsToDesktop(QWebEngineProfile* profile) {
    static const char* const handled = "orvixDownloadsToDesktop";
    if (!profile || profile->property(handled).toBool())
        return;
    profile->setProperty(handled, true);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* download) {
                         const QUrl address = download->url();
                         download->cancel();
                         // Only web addresses: a page cannot make the desktop run a local file.
                         const QString scheme = address.scheme().toLower();
                         if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
                             QDesktopServices::openUrl(address);
                     });
}

WebEngineBrowser::~WebEngineBrowser() = default; // the view belongs to its parent widget

QUrl WebEngineBrowser::addressToUrl(const QString& address) {
    const QString lower = address.left(8).toLower();
    if (lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://")) ||
        lower.startsWith(QLatin1String("file:")))
        return QUrl(address);
    if (address.isEmpty())
        return QUrl(QStringLiteral("about:blank"));
    return QUrl::fromLocalFile(
        QDir::fromNativeSeparators(QString(address).replace(QLatin1Char('\\'), QLatin1Char('/'))));
}

void WebEngineBrowser::navigate(const QString& address) {
    m_view->setUrl(addressToUrl(address));
}

void WebEngineBrowser::back() {
    m_view->back();
}

void WebEngineBrowser::forward() {
    m_view->forward();
}

void WebEngineBrowser::reload() {
    m_view->reload();
}

QWidget* WebEngineBrowser::widget() {
    return m_view;
}

} // namespace orvix
