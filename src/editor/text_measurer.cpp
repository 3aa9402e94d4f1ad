#include "editor/text_measurer.h"

#include <QFontMetrics>

namespace orvix {

qreal TextMeasurer::advanceAt(QStringView text, qsizetype position) const {
    const QChar c = text[position];
    if (c.isHighSurrogate())
        return 0;
    if (c.isLowSurrogate() && position > 0 && text[position - 1].isHighSurrogate())
        return advance(text.mid(position - 1, 2));
    return advance(text.mid(position, 1));
}

qreal TextMeasurer::width(QStringView text) const {
    qreal sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        sum += advanceAt(text, i);
    return sum;
}

FontTextMeasurer::FontTextMeasurer(const QFont& font)
    : m_font(font)
    , m_metrics(m_font) {
    m_font.setKerning(false);
    m_metrics = QFontMetricsF(m_font);
    m_height = QFontMetrics(m_font).height();
}

qreal FontTextMeasurer::advance(QStringView character) const {
    const char32_t key = character.size() == 2
                             ? QChar::surrogateToUcs4(character[0], character[1])
                             : char32_t(character.isEmpty() ? 0 : character[0].unicode());
    auto it = m_advances.constFind(key);
    if (it != m_advances.constEnd())
        return *it;
    const qreal value = m_metrics.horizontalAdvance(character.toString());
    m_advances.insert(key, value);
    return value;
}

const TextMeasurer& FontMeasurers::forFont(const QFont& font) {
    std::shared_ptr<FontTextMeasurer>& measurer = m_measurers[font.key()];
    if (!measurer)
        measurer = std::make_shared<FontTextMeasurer>(font);
    return *measurer;
}

} // namespace orvix
