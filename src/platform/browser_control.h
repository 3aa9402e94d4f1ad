#pragma once

#include <QString>

class QWidget;

namespace orvix {

// The embedded web browser of a view or dialog: it navigates to addresses and moves through
// its history. The page's own links and scripts run inside it; the program has no hook on them.
class BrowserControl {
public:
    virtual ~BrowserControl() = default;

    // Navigates to an address: an http address, or a local file path.
    virtual void navigate(const QString& address) = 0;
    virtual void back() = 0;
    virtual void forward() = 0;
    virtual void reload() = 0;

    // The widget that shows the page, to be placed in the host window.
    virtual QWidget* widget() = 0;
};

} // namespace orvix
