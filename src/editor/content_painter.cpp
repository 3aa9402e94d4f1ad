#include "editor/content_painter.h"

#include "editor/content_model.h"

#include <QPainter>

#include <algorithm>

namespace orvix {

namespace {

// Keeps sizes from damaged files to what a painter can take.
int drawable(float value) {
    constexpr float limit = 1 << 24;
    return int(std::clamp(value, 0.0f, limit));
}

void outline(QPainter& painter, const QRect& rect, const QColor& colour) {
    painter.save();
    painter.setPen(QPen(colour, 0));
    painter.setBrush(Qt::NoBrush);
    // Like the platform's rectangle: the outline lies inside the rectangle.
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

Qt::Alignment lineAlignment(int alignment) {
    switch (alignment) {
    case 1:
        return Qt::AlignHCenter;
    case 2:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

} // namespace

ContentPainter::ContentPainter(QImage documentIcon)
    : m_documentIcon(std::move(documentIcon)) {}

QSize ContentPainter::photoSize(int height, int widthPercent) {
    const float factor = float(widthPercent) / 100.0f;
    return QSize(drawable(float(FullWidth) * factor), drawable(float(height) * factor));
}

int ContentPainter::alignedLeft(int alignment, int width) {
    switch (alignment) {
    case 1:
        return (FullWidth - width) / 2;
    case 2:
        return FullWidth - width;
    default:
        return 0;
    }
}

int ContentPainter::paint(QPainter& painter, const ContentModel& model) const {
    int y = 0;
    for (const auto& block : model.blocks())
        y += paintBlock(painter, *block, y);
    return y;
}

int ContentPainter::paintBlock(QPainter& painter, const CContentBlock& block, int y) const {
    if (const CContentText* t = block.text.get()) {
        const int margin = t->margin;
        const QRect box(0, y, 5 * margin + FullWidth, t->height + 2 * margin);
        painter.fillRect(box, t->background);
        outline(painter, box, block.selected ? SelectionColour : t->background);
        painter.save();
        painter.setFont(t->font());
        painter.setPen(t->textColour);
        painter.setBackgroundMode(Qt::TransparentMode);
        int top = y + margin;
        for (qsizetype i = 0; i < t->lines.size(); ++i) {
            const int lineHeight = t->lineHeights.value(i);
            const QRect line(margin, top, 2 * margin + FullWidth, lineHeight);
            painter.drawText(line,
                             int(lineAlignment(t->alignment) | Qt::AlignTop | Qt::TextSingleLine),
                             t->lines[i]);
            top += t->lineGap + lineHeight;
        }
        painter.restore();
        return t->height;
    }
    if (const CContentPhoto* p = block.photo.get()) {
        if (!p->picture)
            return 0;
        QSize shown(FullWidth, p->height);
        if (p->widthPercent != 100)
            shown = photoSize(p->height, p->widthPercent);
        p->picture->Draw(painter, alignedLeft(p->alignment, shown.width()), y, shown.width(),
                         shown.height());
        if (block.selected)
            outline(painter, QRect(0, y, FullWidth, shown.height()), SelectionColour);
        return shown.height();
    }
    if (const CContentDoc* d = block.document.get()) {
        const int width = std::max(0, d->scaled(FullWidth));
        const int icon = std::max(0, d->scaled(d->iconWidth));
        const int fontSize = d->scaledFontSize();
        const int left = alignedLeft(d->alignment, width);
        if (icon > 0 && !m_documentIcon.isNull())
            painter.drawImage(QRect(left + width - icon, y, icon, icon), m_documentIcon);
        if (fontSize > 0) {
            painter.save();
            QFont font(QStringLiteral("돋움체"));
            font.setPixelSize(std::min(fontSize, CContentText::LargestPixelSize));
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QRect(left, y, width, icon),
                             int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine),
                             d->fileName);
            painter.restore();
        }
        if (block.selected)
            outline(painter, QRect(0, y, FullWidth, icon), SelectionColour);
        return icon;
    }
    return 0;
}

} // namespace orvix
