#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

namespace orvix {

class TextMeasurer;

// A block of styled text. Line breaks in the text are CR LF. The laid-out lines, their count
// and the height are computed by Relayout() whenever the text, the size or the style changes.
class CContentText {
public:
    static constexpr int MaxLines = 100;
    static inline const QString DefaultFace = QStringLiteral("돋움체");

    int size = 16; // pixels; negative when set from the font chooser (a cell height)
    QString face = DefaultFace;
    QString text;
    int height = 0;
    int wrapWidth = 540;
    int lineCount = 0;
    int lineGap = 5;
    int margin = 0;
    bool bold = false;
    bool italic = false;
    int alignment = 0; // 0 left, 1 centre, 2 right
    QColor background = QColor(255, 255, 255);
    QColor textColour = QColor(0, 0, 0);
    QStringList lines;
    QList<int> lineHeights; // the measured height of each line, for drawing

    // The font the block is measured and drawn with: a positive size is the character height
    // in pixels, a negative one the height of the whole cell. Sizes beyond what a screen can
    // show are drawn at the largest size the view draws (so a damaged file cannot ask for
    // glyphs of a million pixels).
    QFont font() const;
    static constexpr int LargestPixelSize = 400;

    // Lays the text out with the block's font.
    void Relayout();

    // Lays the text out with a measurer:
    // 1. Texts shorter than three characters are one line (step 3).
    // 2. Otherwise candidates are taken from the front of the rest of the text, one character
    //    longer each time, (length − 2) candidates in all. A candidate ending in CR or LF ends a
    //    line without that character (an LF right after it is dropped too); a candidate wider
    //    than the wrap width is a line with the character that made it too wide. At 99 lines
    //    no more candidates are taken.
    // 3. What is left is the last line; its height is that of the last measurement (a text of
    //    0 or 1 character that made no line is one line of the size's height).
    // Each candidate's width is the last one's plus one advance, which gives the same widths
    // as measuring every candidate whole (see RelayoutByPrefixes).
    void Relayout(const TextMeasurer& measurer);

    // The same passes measuring every candidate from its first character: quadratic in the
    // length of a line. Kept as the reference the tests and the benchmark compare with.
    void RelayoutByPrefixes(const TextMeasurer& measurer);

private:
    template <class Width> void layOut(const TextMeasurer& measurer, Width widthOf);
};

} // namespace orvix
