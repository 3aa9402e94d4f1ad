#include "server/scripts/content/demo_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace orvix::server {

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
    const QByteArray text =
        "BT /F1 22 Tf 72 770 Td (Orvix desktop: the content editor) Tj ET\n"
        "BT /F1 12 Tf 72 730 Td (Add text, photos and documents as blocks,) Tj "
        "ET\n"
        "BT /F1 12 Tf 72 712 Td (move them, style them, preview and upload.) Tj "
        "ET\n";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(text.size()) + " >>\nstream\n" + text + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace orvix::server
