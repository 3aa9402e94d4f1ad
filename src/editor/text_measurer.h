#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QStringView>

#include <memory>

namespace orvix {

// How text blocks measure their lines: the width of a string is the sum of the advances of its
// characters, taken left to right, and every string of one font is one line height tall.
//
// Because the width of a string is a sum, the width of a candidate line one character longer
// than the last is the last width plus one advance. The text layout relies on that: it grows
// each candidate by one character at a time without measuring the whole prefix again, and
// gets exactly the widths that measuring every prefix from scratch would give.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;

    // The advance of one character: one UTF-16 unit, or a surrogate pair.
    virtual qreal advance(QStringView character) const = 0;
    // The height of a line.
    virtual int height() const = 0;

    // What the UTF-16 unit at a position adds to the width of the text up to it: a surrogate
    // pair counts when its second half comes, a first half alone adds nothing.
    qreal advanceAt(QStringView text, qsizetype position) const;
    // The width of a string, measured from scratch: the sum of advanceAt over its units.
    // (Only the passes that measure every prefix call it; a benchmark measures them with a
    // font's own shaping of the whole string.)
    virtual qreal width(QStringView text) const;
};

// Measures with a font (kerning off, so the drawn text keeps to the measured widths); the
// advances are remembered per character.
class FontTextMeasurer final : public TextMeasurer {
public:
    explicit FontTextMeasurer(const QFont& font);

    qreal advance(QStringView character) const override;
    int height() const override { return m_height; }

private:
    QFont m_font;
    QFontMetricsF m_metrics;
    int m_height;
    mutable QHash<char32_t, qreal> m_advances;
};

// The measurers of the fonts a content uses, made once each: a content of many text blocks in
// a few styles measures each character of a style once.
class FontMeasurers {
public:
    const TextMeasurer& forFont(const QFont& font);

private:
    QHash<QString, std::shared_ptr<FontTextMeasurer>> m_measurers;
};

} // namespace orvix
