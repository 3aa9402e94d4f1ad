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
    : QWidget(parent)
    , m_browser(COrvixWinApp::current().createBrowser(this)) {
    if (m_browser)
        fillWith(this, m_browser->widget());
}

CExplorer::~CExplorer() = default;

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
    if (m_browser)
        m_browser->navigate(address);
}

void CExplorer::back() {
    if (m_browser)
        m_browser->back();
}

void CExplorer::forward() {
    if (m_browser)
        m_browser->forward();
}

void CExplorer::reload() {
    if (m_browser)
        m_browser->reload();
}

} // namespace orvix
