#pragma once

#include "platform/browser_control.h"

#include <QUrl>

class QWebEngineView;

namespace orvix {

// The embedded browser on Qt WebEngine.
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

private:
    QWebEngineView* m_view;
};

} // namespace orvix
