#pragma once

#include "platform/browser_control.h"

#include <QUrl>

class QWebEngineProfile;
class QWebEngineView;

namespace orvix {

// The embedded browser on Qt WebEngine.
//
// A download a page asks for (a link to a file with "download", a reply the browser does not
// show) is handed to the desktop's web browser, which asks the member where to keep it, as a
// browser of its own would; the embedded one writes nothing to disk.
class WebEngineBrowser final : public BrowserControl {
public:
    explicit WebEngineBrowser(QWidget* parent);
    ~WebEngineBrowser() override;

    void navigate(const QString& address) override;
    void back() override;
    void forward() override;
    void reload() override;
    QWidget* widget() override;

    // The address a text names: http(s) and file addresses as they stand, anything else as a
    // local file path (with either kind of separator).
    static QUrl addressToUrl(const QString& address);

    // Hands every download of a browser profile to the desktop's web browser (once per profile).
    static void handDownloadsToDesktop(QWebEngineProfile* profile);

private:
    QWebEngineView* m_view;
};

} // namespace orvix
