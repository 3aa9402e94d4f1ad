#include "board/post_row_painter.h"

#include "app/ui_text.h"
#include "board/post_row.h"

#include <QPainter>

namespace orvix {

namespace {

const QColor kBand(200, 200, 200);
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

} // namespace

PostRowPainter::Labels PostRowPainter::Labels::forCountry(int country) {
    return {uiText(UiRow::Opener, country), uiText(UiRow::Members, country),
            uiText(UiRow::PersonsUnit, country), uiText(UiRow::Opinion, country),
            uiText(UiRow::CountUnit, country)};
}

QString PostRowPainter::ownerLine(const CPostRow& row, const Labels& labels) {
    return QStringLiteral("%1: %2").arg(labels.owner, row.ownerName);
}

QString PostRowPainter::countLine(const CPostRow& row, const Labels& labels) {
    return QStringLiteral("%1 %2 %3 | %4 %5 %6")
        .arg(labels.member, row.memberCount, labels.memberUnit, labels.opinion, row.opinionCount,
             labels.opinionUnit);
}

void PostRowPainter::draw(QPainter& painter, const CPostRow& row, int top, const Labels& labels) {
    // The bands are drawn with a pen and brush of the same grey, so they are filled rectangles
    // whose right and bottom edges are exclusive.
    painter.fillRect(QRect(0, top, 450, 10), kBand);

    if (!row.photo.isNull()) {
        painter.drawImage(QPoint(5, top + 10), row.photo);
    } else if (!row.defaultPhoto.isNull()) {
        painter.drawImage(QPoint(5, top + 10), row.defaultPhoto, QRect(0, 0, 100, 80));
    }
    if (row.badgeFlag == QLatin1String("1") && !row.badge.isNull())
        painter.drawImage(QPoint(5, top + 10), row.badge);

    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QRect lines[] = {QRect(120, top + 20, 330, 20), QRect(120, top + 40, 330, 20),
                           QRect(120, top + 60, 330, 20)};
    const QString texts[] = {row.title, ownerLine(row, labels), countLine(row, labels)};
    for (int i = 0; i < 3; ++i) {
        painter.save();
        painter.setClipRect(lines[i]);
        painter.drawText(lines[i], kTextFlags, texts[i]);
        painter.restore();
    }

    painter.fillRect(QRect(0, top + 90, 450, 10), kBand);
}

} // namespace orvix
