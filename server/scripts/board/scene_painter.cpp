#include "server/scripts/board/scene_painter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace orvix::server {

namespace {

void sky(QPainter& p, qreal w, qreal h, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(0, 0, 0, h);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(QRectF(0, 0, w, h), gradient);
}

void sun(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour) {
    QRadialGradient glow(centre, radius * 2.2);
    glow.setColorAt(0, colour);
    glow.setColorAt(0.45, QColor(colour.red(), colour.green(), colour.blue(), 90));
    glow.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
    p.setBrush(glow);
    p.drawEllipse(centre, radius * 2.2, radius * 2.2);
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
}

void hill(QPainter& p, qreal w, qreal h, qreal base, qreal rise, qreal phase, const QColor& c) {
    QPainterPath path;
    path.moveTo(0, h);
    path.lineTo(0, base);
    for (int x = 0; x <= 40; ++x) {
        const qreal t = x / 40.0;
        const qreal y = base - rise * (0.5 + 0.5 * std::sin(t * 6.283 * 1.3 + phase));
        path.lineTo(t * w, y);
    }
    path.lineTo(w, h);
    path.closeSubpath();
    p.setBrush(c);
    p.drawPath(path);
}

void riverPicnic(QPainter& p, qreal w, qreal h) {
    sky(p, w, h * 0.6, QColor(120, 190, 240), QColor(210, 235, 250));
    sun(p, QPointF(w * 0.8, h * 0.18), h * 0.07, QColor(255, 220, 90));
    hill(p, w, h, h * 0.55, h * 0.08, 0.5, QColor(110, 170, 90));
    // The river, wide in front and narrowing towards the hills.
    QPainterPath river;
    river.moveTo(w * 0.35, h * 0.55);
    river.cubicTo(w * 0.5, h * 0.65, w * 0.2, h * 0.8, w * 0.1, h);
    river.lineTo(w * 0.65, h);
    river.cubicTo(w * 0.6, h * 0.8, w * 0.65, h * 0.65, w * 0.45, h * 0.55);
    river.closeSubpath();
    p.setBrush(QColor(70, 140, 210));
    p.drawPath(river);
    // A checked blanket with a basket.
    const QRectF blanket(w * 0.68, h * 0.74, w * 0.22, h * 0.12);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 2; ++j) {
            p.setBrush((i + j) % 2 ? QColor(230, 70, 70) : QColor(250, 245, 240));
            p.drawRect(QRectF(blanket.x() + i * blanket.width() / 4,
                              blanket.y() + j * blanket.height() / 2, blanket.width() / 4,
                              blanket.height() / 2));
        }
    }
    p.setBrush(QColor(170, 110, 50));
    p.drawRoundedRect(QRectF(w * 0.73, h * 0.69, w * 0.07, h * 0.07), 4, 4);
    // Trees along the bank.
    for (qreal x : {0.06, 0.16, 0.88}) {
        p.setBrush(QColor(110, 75, 45));
        p.drawRect(QRectF(w * x - 3, h * 0.52, 6, h * 0.1));
        p.setBrush(QColor(60, 130, 70));
        p.drawEllipse(QPointF(w * x, h * 0.48), w * 0.045, h * 0.08);
    }
}

void cityNight(QPainter& p, qreal w, qreal h) {
    sky(p, w, h, QColor(15, 20, 60), QColor(70, 50, 110));
    p.setBrush(QColor(250, 245, 210));
    p.drawEllipse(QPointF(w * 0.15, h * 0.17), h * 0.06, h * 0.06);
    p.setBrush(QColor(15, 20, 60));
    p.drawEllipse(QPointF(w * 0.17, h * 0.15), h * 0.05, h * 0.05);
    // Buildings with lit windows; the widths and heights repeat in a fixed pattern.
    const qreal widths[] = {0.09, 0.07, 0.11, 0.06, 0.1, 0.08, 0.12, 0.07, 0.09, 0.11};
    const qreal heights[] = {0.45, 0.6, 0.38, 0.72, 0.5, 0.42, 0.58, 0.66, 0.4, 0.52};
    qreal x = 0;
    for (int i = 0; x < w; i = (i + 1) % 10) {
        const qreal bw = widths[i] * w;
        const qreal bh = heights[i] * h;
        const QRectF building(x, h * 0.85 - bh, bw - 2, bh);
        p.setBrush(QColor(30 + 8 * (i % 3), 30 + 6 * (i % 4), 55 + 10 * (i % 2)));
        p.drawRect(building);
        for (qreal wy = building.top() + 6; wy < building.bottom() - 8; wy += 11) {
            for (qreal wx = building.left() + 4; wx < building.right() - 5; wx += 9) {
                const bool lit = int(wx * 7 + wy * 3) % 5 != 0;
                p.setBrush(lit ? QColor(255, 215, 120) : QColor(45, 45, 70));
                p.drawRect(QRectF(wx, wy, 4, 6));
            }
        }
        x += bw;
    }
    // The river with the lights' reflections.
    p.setBrush(QColor(20, 30, 70));
    p.drawRect(QRectF(0, h * 0.85, w, h * 0.15));
    for (int i = 0; i < 30; ++i) {
        p.setBrush(QColor(255, 210, 120, 120));
        p.drawRect(QRectF((i * 37) % int(w), h * 0.87 + (i * 13) % int(h * 0.1), 10, 2));
    }
}

void mountains(QPainter& p, qreal w, qreal h) {
    sky(p, w, h * 0.7, QColor(90, 160, 230), QColor(220, 240, 255));
    sun(p, QPointF(w * 0.2, h * 0.2), h * 0.06, QColor(255, 240, 150));
    auto peak = [&](qreal left, qreal top, qreal right, const QColor& rock) {
        const qreal base = h * 0.8;
        const QPointF summit((left + right) / 2 * w, top * h);
        QPainterPath mountain;
        mountain.moveTo(left * w, base);
        mountain.lineTo(summit);
        mountain.lineTo(right * w, base);
        mountain.closeSubpath();
        p.setBrush(rock);
        p.drawPath(mountain);
        // Snow on the top fifth.
        const qreal t = 0.22;
        QPainterPath snow;
        snow.moveTo(summit);
        snow.lineTo(summit + (QPointF(left * w, base) - summit) * t);
        snow.lineTo(summit + (QPointF((left + right) / 2 * w, base) - summit) * t * 0.7);
        snow.lineTo(summit + (QPointF(right * w, base) - summit) * t);
        snow.closeSubpath();
        p.setBrush(QColor(250, 252, 255));
        p.drawPath(snow);
    };
    peak(-0.1, 0.35, 0.55, QColor(110, 115, 135));
    peak(0.3, 0.2, 0.95, QColor(90, 95, 120));
    peak(0.65, 0.4, 1.2, QColor(120, 125, 140));
    hill(p, w, h, h * 0.82, h * 0.06, 1.7, QColor(70, 130, 70));
    // A trail winding up.
    QPainterPath trail;
    trail.moveTo(w * 0.45, h);
    trail.cubicTo(w * 0.6, h * 0.93, w * 0.35, h * 0.88, w * 0.5, h * 0.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(200, 170, 120), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(trail);
    p.setPen(Qt::NoPen);
}

void townSquare(QPainter& p, qreal w, qreal h) {
    sky(p, w, h * 0.5, QColor(140, 200, 245), QColor(230, 245, 255));
    // Houses around the square.
    const QColor walls[] = {QColor(240, 200, 150), QColor(220, 150, 130), QColor(250, 230, 180),
                            QColor(190, 210, 230), QColor(230, 180, 200)};
    for (int i = 0; i < 5; ++i) {
        const QRectF house(w * (0.02 + i * 0.2), h * 0.28, w * 0.17, h * 0.24);
        p.setBrush(walls[i]);
        p.drawRect(house);
        QPainterPath roof;
        roof.moveTo(house.left() - 4, house.top());
        roof.lineTo(house.center().x(), house.top() - h * 0.1);
        roof.lineTo(house.right() + 4, house.top());
        roof.closeSubpath();
        p.setBrush(QColor(170, 70, 50));
        p.drawPath(roof);
        p.setBrush(QColor(90, 120, 160));
        p.drawRect(QRectF(house.left() + house.width() * 0.2, house.top() + 8, 10, 12));
        p.drawRect(QRectF(house.right() - house.width() * 0.2 - 10, house.top() + 8, 10, 12));
        p.setBrush(QColor(120, 80, 50));
        p.drawRect(QRectF(house.center().x() - 7, house.bottom() - 22, 14, 22));
    }
    // The paved square.
    p.setBrush(QColor(215, 205, 190));
    p.drawRect(QRectF(0, h * 0.52, w, h * 0.48));
    p.setPen(QPen(QColor(190, 180, 165), 1));
    for (qreal y = h * 0.56; y < h; y += 14)
        p.drawLine(QPointF(0, y), QPointF(w, y));
    p.setPen(Qt::NoPen);
    // The fountain in the middle.
    const QPointF centre(w * 0.5, h * 0.75);
    p.setBrush(QColor(160, 160, 170));
    p.drawEllipse(centre, w * 0.2, h * 0.1);
    p.setBrush(QColor(90, 160, 220));
    p.drawEllipse(centre, w * 0.17, h * 0.075);
    p.setBrush(QColor(160, 160, 170));
    p.drawRect(QRectF(centre.x() - 5, centre.y() - h * 0.18, 10, h * 0.18));
    p.setBrush(QColor(170, 215, 250, 200));
    p.drawEllipse(QPointF(centre.x(), centre.y() - h * 0.2), w * 0.05, h * 0.05);
}

void coffee(QPainter& p, qreal w, qreal h) {
    // A wooden table seen from the front, a cup of coffee on a saucer.
    sky(p, w, h * 0.55, QColor(245, 230, 210), QColor(230, 205, 175));
    for (int i = 0; i < 6; ++i) {
        p.setBrush(i % 2 ? QColor(150, 95, 60) : QColor(160, 105, 65));
        p.drawRect(QRectF(0, h * (0.55 + i * 0.075), w, h * 0.075));
    }
    const QPointF centre(w * 0.5, h * 0.72);
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(centre, w * 0.25, h * 0.07);
    p.setBrush(QColor(250, 250, 250));
    QPainterPath cup;
    cup.moveTo(centre.x() - w * 0.14, h * 0.42);
    cup.lineTo(centre.x() + w * 0.14, h * 0.42);
    cup.cubicTo(centre.x() + w * 0.14, h * 0.62, centre.x() + w * 0.08, h * 0.72, centre.x(),
                h * 0.72);
    cup.cubicTo(centre.x() - w * 0.08, h * 0.72, centre.x() - w * 0.14, h * 0.62,
                centre.x() - w * 0.14, h * 0.42);
    p.drawPath(cup);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(250, 250, 250), 9));
    p.drawEllipse(QPointF(centre.x() + w * 0.16, h * 0.52), w * 0.04, h * 0.06);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 60, 30));
    p.drawEllipse(QPointF(centre.x(), h * 0.42), w * 0.14, h * 0.035);
    // Steam.
    p.setPen(QPen(QColor(255, 255, 255, 170), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = -1; i <= 1; ++i) {
        QPainterPath steam;
        const qreal x = centre.x() + i * w * 0.05;
        steam.moveTo(x, h * 0.36);
        steam.cubicTo(x - 10, h * 0.3, x + 10, h * 0.24, x, h * 0.16);
        p.drawPath(steam);
    }
    p.setPen(Qt::NoPen);
}

} // namespace

QImage ScenePainter::paint(Scene scene, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const qreal w = width;
    const qreal h = height;
    switch (scene) {
    case Scene::RiverPicnic:
        riverPicnic(painter, w, h);
        break;
    case Scene::CityNight:
        cityNight(painter, w, h);
        break;
    case Scene::Mountains:
        mountains(painter, w, h);
        break;
    case Scene::TownSquare:
        townSquare(painter, w, h);
        break;
    case Scene::Coffee:
        coffee(painter, w, h);
        break;
    }
    return image;
}

} // namespace orvix::server
