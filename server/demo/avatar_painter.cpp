#include "server/demo/avatar_painter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orvix::server {

QImage AvatarPainter::paint(const Look& look, int size) {
    QImage image(size, size, QImage::Format_RGB32);
    const qreal s = size;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient ground(0, 0, 0, s);
    ground.setColorAt(0, look.background.lighter(130));
    ground.setColorAt(1, look.background);
    painter.fillRect(image.rect(), ground);
    painter.setPen(Qt::NoPen);

    // Shoulders: a wide rounded shape rising from the bottom edge.
    QPainterPath shoulders;
    shoulders.moveTo(0.12 * s, s);
    shoulders.cubicTo(0.12 * s, 0.72 * s, 0.30 * s, 0.64 * s, 0.50 * s, 0.64 * s);
    shoulders.cubicTo(0.70 * s, 0.64 * s, 0.88 * s, 0.72 * s, 0.88 * s, s);
    shoulders.closeSubpath();
    painter.setBrush(look.shirt);
    painter.drawPath(shoulders);

    // Neck, head and hair.
    painter.setBrush(look.skin.darker(108));
    painter.drawRect(QRectF(0.44 * s, 0.52 * s, 0.12 * s, 0.14 * s));
    painter.setBrush(look.hair);
    painter.drawEllipse(QRectF(0.30 * s, 0.16 * s, 0.40 * s, 0.40 * s));
    painter.setBrush(look.skin);
    painter.drawEllipse(QRectF(0.33 * s, 0.24 * s, 0.34 * s, 0.36 * s));
    painter.setBrush(look.hair);
    painter.drawChord(QRectF(0.31 * s, 0.17 * s, 0.38 * s, 0.30 * s), 0, 180 * 16);

    // Eyes.
    painter.setBrush(QColor(40, 40, 50));
    painter.drawEllipse(QPointF(0.44 * s, 0.41 * s), 0.018 * s, 0.022 * s);
    painter.drawEllipse(QPointF(0.56 * s, 0.41 * s), 0.018 * s, 0.022 * s);
    painter.end();
    return image;
}

} // namespace orvix::server
