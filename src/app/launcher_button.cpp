#include "app/launcher_button.h"

#include "platform/message_target.h"

#include <QPainter>
#include <QPoint>

namespace orvix {

CLauncherButton::CLauncherButton(QImage normal, QImage pressed, const QRect& rect, QObject* owner,
                                 QString name, int number)
    : m_normal(std::move(normal))
    , m_pressed(std::move(pressed))
    , m_rect(rect)
    , m_owner(owner)
    , m_name(std::move(name))
    , m_number(number) {}

bool CLauncherButton::contains(const QPoint& point) const {
    return m_rect.contains(point);
}

void CLauncherButton::drawNormal(QPainter& painter) const {
    painter.drawImage(m_rect.topLeft(), m_normal);
}

void CLauncherButton::drawPressed(QPainter& painter) const {
    painter.drawImage(m_rect.topLeft(), m_pressed);
}

int CLauncherButton::sendCommand() const {
    if (!m_owner)
        return 0;
    return sendMessage(m_owner, Msg::LauncherCommand, m_number, 0);
}

} // namespace orvix
