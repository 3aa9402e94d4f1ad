#include "server/scripts/chat/demo_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <array>

namespace orvix::server {

namespace {

struct Palette {
    QColor skyTop;
    QColor skyBottom;
    QColor sun;
    QColor farHills;
    QColor nearHills;
    QColor water;
};

const std::array<Palette, 4> kPalettes = {{
    {QColor(70, 140, 220), QColor(190, 225, 250), QColor(255, 235, 120), QColor(110, 160, 120),
     QColor(60, 120, 70), QColor(80, 150, 200)},
    {QColor(240, 120, 80), QColor(255, 210, 150), QColor(255, 250, 220), QColor(150, 100, 110),
     QColor(90, 60, 80), QColor(230, 150, 120)},
    {QColor(20, 30, 80), QColor(70, 90, 160), QColor(240, 240, 210), QColor(40, 60, 90),
     QColor(20, 35, 55), QColor(50, 70, 120)},
    {QColor(120, 190, 230), QColor(235, 245, 250), QColor(255, 250, 200), QColor(180, 200, 210),
     QColor(240, 245, 250), QColor(150, 190, 215)},
}};

} // namespace

QImage DemoPicture::paint(int variant, int width, int height) {
    const Palette& p = kPalettes[std::size_t(variant) % kPalettes.size()];
    QImage image(width, height, QImage::Format_RGB32);
    const qreal w = width;
    const qreal h = height;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 0.62 * h);
    sky.setColorAt(0, p.skyTop);
    sky.setColorAt(1, p.skyBottom);
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(p.sun);
    painter.drawEllipse(QPointF((0.25 + 0.15 * (variant % 3)) * w, 0.24 * h), 0.07 * w, 0.07 * w);

    QPainterPath far;
    far.moveTo(0, 0.62 * h);
    far.cubicTo(0.2 * w, 0.38 * h, 0.35 * w, 0.42 * h, 0.5 * w, 0.55 * h);
    far.cubicTo(0.65 * w, 0.35 * h, 0.85 * w, 0.40 * h, w, 0.56 * h);
    far.lineTo(w, 0.66 * h);
    far.lineTo(0, 0.66 * h);
    painter.setBrush(p.farHills);
    painter.drawPath(far);

    painter.setBrush(p.water);
    painter.drawRect(QRectF(0, 0.64 * h, w, 0.36 * h));
    QPainterPath near;
    near.moveTo(0, 0.78 * h);
    near.cubicTo(0.3 * w, 0.66 * h, 0.5 * w, 0.86 * h, w, 0.74 * h);
    near.lineTo(w, h);
    near.lineTo(0, h);
    painter.setBrush(p.nearHills);
    painter.drawPath(near);

    // A few birds: the server has no fonts (it runs without a display), so pictures carry no
    // text.
    QPen wing(p.nearHills.darker(150), std::max(2.0, w / 300));
    painter.setPen(wing);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const QPointF at((0.55 + 0.08 * i + 0.03 * (variant % 2)) * w, (0.16 + 0.05 * (i % 2)) * h);
        QPainterPath bird;
        bird.moveTo(at - QPointF(0.025 * w, 0));
        bird.quadTo(at - QPointF(0.012 * w, 0.02 * h), at);
        bird.quadTo(at + QPointF(0.012 * w, -0.02 * h), at + QPointF(0.025 * w, 0));
        painter.drawPath(bird);
    }
    painter.end();
    return image;
}

} // namespace orvix::server
