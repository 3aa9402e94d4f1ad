#include "app/explorer.h"

#include "app/orvix_win_app.h"
#include "platform/browser_control.h"
#include "platform/dialog_template.h"

#include <QVBoxLayout>

namespace orvix {

namespace {

// Lets a child fill a widget whole.
void fillWith(QWidget* host, QWidget* child) {
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(child);
}

} // namespace

CExplorer::CExplorer(QWidget* parent)
    : QWidget(parent) {}

CExplorer::~CExplorer() = default;

BrowserControl* CExplorer::browser() {
    if (!m_browserMade) {
        m_browserMade = true;
        m_browser = COrvixWinApp::current().createBrowser(this);
        if (m_browser)
            fillWith(this, m_browser->widget());
    }
    return m_browser.get();
}

void CExplorer::showEvent(QShowEvent* event) {
    browser();
    QWidget::showEvent(event);
}

CExplorer* CExplorer::fill(QWidget* window, int controlId) {
    auto* host = findControl<QWidget>(window, controlId);
    if (!host)
        return nullptr;
    auto* explorer = new CExplorer(host);
    fillWith(host, explorer);
    return explorer;
}

void CExplorer::Navigate(const QString& address) {
    m_address = address;
    if (BrowserControl* control = browser())
        control->navigate(address);
}

void CExplorer::back() {
    if (BrowserControl* control = browser())
        control->back();
}

void CExplorer::forward() {
    if (BrowserControl* control = browser())
        control->forward();
}

void CExplorer::reload() {
    if (BrowserControl* control = browser())
        control->reload();
}

} // namespace orvix
