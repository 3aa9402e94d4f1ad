#include "editor/content_text.h"

#include "editor/text_measurer.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace orvix {

namespace {

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

} // namespace

QFont CContentText::font() const {
    QFont f(face);
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    f.setItalic(italic);
    f.setKerning(false);
    // 0 asks for the face's usual size.
    const int wanted = size == 0 ? 13 : std::min(std::abs(size), LargestPixelSize);
    if (size >= 0) {
        f.setPixelSize(wanted);
        return f;
    }
    // A cell height: the character height that gives a line of that many pixels.
    f.setPixelSize(100);
    const int cell = QFontMetrics(f).height();
    f.setPixelSize(std::max(1, cell > 0 ? qRound(wanted * 100.0 / cell) : wanted));
    return f;
}

void CContentText::Relayout() {
    Relayout(FontTextMeasurer(font()));
}

template <class Width> void CContentText::layOut(const TextMeasurer& measurer, Width widthOf) {
    lines.clear();
    lineHeights.clear();
    lineCount = 0;
    height = 0;
    QString remaining = text;
    int lastHeight = -1; // the height of the last measurement, none yet

    auto addLine = [&](const QString& line, int lineHeight) {
        lines.append(line);
        lineHeights.append(lineHeight);
        height += lineGap + lineHeight;
        ++lineCount;
    };

    if (text.size() >= 3) {
        qsizetype k = 1;
        qreal width = 0; // width of remaining.left(k - 1)
        const qsizetype candidates = text.size() - 2;
        for (qsizetype taken = 0; taken < candidates && lineCount < MaxLines - 1; ++taken) {
            // Line breaks that end a line take the LF after them too, so the rest can run out
            // before the candidates do: a candidate is never longer than the rest, and an empty
            // rest has no candidates.
            if (remaining.isEmpty())
                break;
            const qsizetype length = std::min(k, remaining.size());
            const QChar last = remaining.at(length - 1);
            if (isLineEnd(last)) {
                lastHeight = measurer.height();
                addLine(remaining.left(length - 1), lastHeight);
                remaining.remove(0, length);
                if (remaining.startsWith(u'\n'))
                    remaining.remove(0, 1);
                k = 1;
                width = 0;
                continue;
            }
            const qreal candidateWidth = length < k ? width : widthOf(remaining, k, width);
            lastHeight = measurer.height();
            if (candidateWidth > wrapWidth) {
                addLine(remaining.left(length), lastHeight);
                remaining.remove(0, length);
                k = 1;
                width = 0;
            } else {
                width = candidateWidth;
                ++k;
            }
        }
    }

    if (remaining.size() >= 2 || lineCount > 0) {
        addLine(remaining, lastHeight >= 0 ? lastHeight : measurer.height());
    } else {
        // A text of 0 or 1 character: one line as tall as the size. A negative size (a cell
        // height from the font chooser) counts by its magnitude: a block is never drawn with a
        // negative height.
        lines = QStringList{remaining};
        lineHeights = QList<int>{std::abs(size)};
        height = lineGap + std::abs(size);
        lineCount = 1;
    }
}

void CContentText::Relayout(const TextMeasurer& measurer) {
    // The candidate of length k is the previous one (length k − 1, width `previous`) and one
    // more character.
    layOut(measurer, [&measurer](const QString& rest, qsizetype k, qreal previous) {
        return previous + measurer.advanceAt(rest, k - 1);
    });
}

void CContentText::RelayoutByPrefixes(const TextMeasurer& measurer) {
    layOut(measurer, [&measurer](const QString& rest, qsizetype k, qreal) {
        return measurer.width(QStringView(rest).left(k));
    });
}

} // namespace orvix
