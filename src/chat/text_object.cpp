#include "chat/text_object.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

namespace orvix {

namespace {

// What a line's box can show: its first line, and not more characters than fit across a box
// with the narrowest glyphs. The last line of a long text holds all the rest of it; laying out
// all of that only to clip it away would make every repaint slow.
QString visiblePart(const QString& line) {
    constexpr qsizetype kMostThatFit = 512;
    qsizetype end = 0;
    while (end < line.size() && end < kMostThatFit && line[end] != u'\r' && line[end] != u'\n')
        ++end;
    return line.left(end);
}

// A line of this many characters is ended even when it is still not wider than the wrap width:
// only characters without width (joiners, marks) can make such a line, and measuring an ever
// longer candidate of them would take time that grows with the square of their number.
constexpr qsizetype kMostOnALine = 1024;

} // namespace

void CTextObject::Set(int fontSize, int wrapWidth, const QString& fontFace, const QString& text,
                      const QPaintDevice* measuringDevice) {
    m_fontSize = fontSize;
    m_wrapWidth = wrapWidth;
    m_fontFace = fontFace;
    m_text = text;
    m_measuringDevice = measuringDevice;
}

QFont CTextObject::font() const {
    QFont font(m_fontFace);
    font.setPixelSize(std::max(1, m_fontSize));
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

void CTextObject::Layout() {
    const QFont textFont = font();
    const QFontMetrics metrics =
        m_measuringDevice ? QFontMetrics(textFont, m_measuringDevice) : QFontMetrics(textFont);
    const int measuredHeight = metrics.height();

    QString rest = m_text;
    const qsizetype n = m_text.size();
    qsizetype k = 1;
    int j = 0;
    m_height = 0;
    m_lines.clear();
    bool measured = false;
    int lastHeight = 0;

    for (qsizetype pass = 0; pass < n - 2; ++pass) {
        // The line breaks of the text may use up the rest before the passes do.
        if (k > rest.size())
            break;
        const QString candidate = rest.left(k);
        const int cx = metrics.horizontalAdvance(candidate);
        lastHeight = measuredHeight;
        measured = true;
        const QChar last = candidate.back();
        if (last == u'\r' || last == u'\n') {
            m_lines.append(candidate.left(k - 1));
            rest.remove(0, k);
            if (!rest.isEmpty() && rest.front() == u'\n')
                rest.remove(0, 1);
            m_height += m_lineGap + lastHeight;
            ++j;
            k = 1;
        } else if (cx > m_wrapWidth || k >= kMostOnALine) {
            m_lines.append(candidate);
            rest.remove(0, k);
            m_height += m_lineGap + lastHeight;
            ++j;
            k = 1;
        } else {
            ++k;
        }
        if (j >= MaxLines - 1)
            break;
    }

    if (rest.size() < 2 && j == 0) {
        m_height = m_lineGap + m_fontSize;
        m_lines = QStringList{rest};
        m_lineCount = 1;
        return;
    }
    if (!measured)
        lastHeight = measuredHeight;
    m_lines.append(rest);
    m_height += m_lineGap + lastHeight;
    m_lineCount = j + 1;
}

void CTextObject::drawBubble(QPainter& painter, int x, int y) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(m_border, 1));
    painter.setBrush(m_fill);
    // The rectangle's right and bottom edges lie outside it, as for every filled shape of the
    // program: the outline runs on its last inner column and row.
    painter.drawRoundedRect(QRect(x, y, bubbleWidth() - 1, bubbleHeight() - 1), 2.5, 2.5);
}

void CTextObject::drawTail(QPainter& painter, int edge, int y, bool onRight, const QColor& fill,
                           const QColor& border) {
    const int s = onRight ? 1 : -1;
    const QPoint shape[] = {
        {edge - 2 * s, y + 10}, {edge, y + 10}, {edge + 7 * s, y + 13}, {edge + 8 * s, y + 14},
        {edge + 7 * s, y + 15}, {edge, y + 18}, {edge - 2 * s, y + 18}, {edge - 2 * s, y + 10},
    };
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(fill, 1));
    painter.setBrush(fill);
    painter.drawPolygon(shape, 8);
    const QPoint outer[] = {
        {edge, y + 10},         {edge + 7 * s, y + 13}, {edge + 8 * s, y + 14},
        {edge + 7 * s, y + 15}, {edge, y + 18},
    };
    painter.setPen(QPen(border, 1));
    painter.drawPolyline(outer, 5);
}

void CTextObject::Draw(QPainter& painter, int x, int y, int side) const {
    painter.save();
    drawBubble(painter, x, y);

    const QFont textFont = font();
    painter.setFont(textFont);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(textFont, painter.device());
    const int cy = metrics.height();
    int yy = y + m_innerMargin;
    for (const QString& line : m_lines) {
        const QRect box(x + m_innerMargin, yy, m_wrapWidth + 2 * m_innerMargin, cy);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, visiblePart(line));
        yy += cy + m_lineGap;
    }

    if (side == 1)
        drawTail(painter, x + bubbleWidth(), y, true, m_fill, m_border);
    else
        drawTail(painter, x, y, false, m_fill, m_border);
    painter.restore();
}

} // namespace orvix
