#include "platform/doubles/recording_browser.h"

#include <QWidget>

namespace orvix {

RecordingBrowser::RecordingBrowser(QWidget* parent)
    : m_widget(new QWidget(parent))
    , m_ownsWidget(parent == nullptr) {}

RecordingBrowser::~RecordingBrowser() {
    if (m_ownsWidget)
        delete m_widget;
}

void RecordingBrowser::navigate(const QString& address) {
    m_lastAddress = address;
    m_actions << QStringLiteral("navigate ") + address;
}

} // namespace orvix
