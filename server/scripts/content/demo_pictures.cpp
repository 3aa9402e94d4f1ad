#include "server/scripts/content/demo_pictures.h"

#include "server/core/text_pdf.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace orvix::server {

QImage DemoPictures::documentIcon() {
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    painter.setPen(QPen(QColor(58, 74, 94), 1.5));
    painter.setBrush(QColor(247, 249, 252));
    painter.drawPath(page);
    painter.setPen(QPen(QColor(47, 123, 217), 1.5));
    for (int y : {10, 14, 18})
        painter.drawLine(QPointF(8, y), QPointF(17, y));
    painter.end();
    return image;
}

QImage DemoPictures::landscape() {
    QImage image(540, 360, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 360);
    sky.setColorAt(0, QColor(120, 170, 230));
    sky.setColorAt(0.6, QColor(250, 210, 170));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);

    QRadialGradient sun(QPointF(400, 120), 60);
    sun.setColorAt(0, QColor(255, 250, 220));
    sun.setColorAt(0.5, QColor(255, 220, 120));
    sun.setColorAt(1, QColor(255, 220, 120, 0));
    painter.setBrush(sun);
    painter.drawEllipse(QPointF(400, 120), 60, 60);

    // Three ranges of hills, the nearest darkest.
    const QColor greens[] = {QColor(120, 160, 120), QColor(80, 140, 90), QColor(50, 110, 70)};
    for (int range = 0; range < 3; ++range) {
        QPainterPath hills;
        const qreal base = 200 + range * 50;
        hills.moveTo(0, 360);
        hills.lineTo(0, base);
        for (int x = 0; x <= 540; x += 90) {
            const qreal peak = base - 40 + ((x / 90 + range) % 3) * 18;
            hills.quadTo(x + 45, peak, x + 90, base);
        }
        hills.lineTo(540, 360);
        hills.closeSubpath();
        painter.setBrush(greens[range]);
        painter.drawPath(hills);
    }
    painter.end();
    return image;
}

QImage DemoPictures::coffee() {
    QImage image(540, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, 200);
    wall.setColorAt(0, QColor(250, 240, 225));
    wall.setColorAt(1, QColor(235, 215, 190));
    painter.fillRect(QRect(0, 0, 540, 200), wall);
    painter.fillRect(QRect(0, 200, 540, 100), QColor(150, 100, 70));
    painter.setPen(Qt::NoPen);

    // Saucer, cup, handle, coffee and steam.
    painter.setBrush(QColor(245, 245, 245));
    painter.drawEllipse(QRectF(170, 215, 200, 40));
    painter.setBrush(QColor(255, 255, 255));
    QPainterPath cup;
    cup.moveTo(200, 120);
    cup.lineTo(340, 120);
    cup.cubicTo(340, 200, 320, 235, 270, 235);
    cup.cubicTo(220, 235, 200, 200, 200, 120);
    painter.drawPath(cup);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255), 12));
    painter.drawArc(QRectF(320, 140, 50, 50), -90 * 16, 180 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(110, 70, 40));
    painter.drawEllipse(QRectF(204, 112, 132, 18));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 170), 5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        QPainterPath steam;
        const qreal x = 240 + i * 30;
        steam.moveTo(x, 100);
        steam.cubicTo(x - 15, 80, x + 15, 60, x, 35);
        painter.drawPath(steam);
    }
    painter.end();
    return image;
}

QByteArray DemoPictures::guidePdf() {
    return TextPdf::page(QStringLiteral("Orvix desktop: the content editor"),
                         {QStringLiteral("Add text, photos and documents as blocks,"),
                          QStringLiteral("move them, style them, preview and upload.")});
}

} // namespace orvix::server
