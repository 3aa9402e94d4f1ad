#pragma once

#include <QImage>

class QPainter;

namespace orvix {

class CContentBlock;
class ContentModel;

// Draws a content's blocks one below the other, 540 pixels wide, from content y 0:
// - a text block fills its rectangle (5 × margin + 540 wide, its height + 2 × margin tall) with
//   its background, outlines it in red when selected, and draws each line in the text colour,
//   aligned, on one line, clipped to the line's rectangle;
// - a photo is drawn at its width percent (full size at 100), aligned, with a red outline 540
//   wide when selected; a photo without picture draws nothing;
// - a document draws its icon at the right of a box of its scale and its file name in the box,
//   with a red outline when selected.
// Each block is drawn where the ones before it ended, by the heights actually drawn (a photo
// at 50 percent takes half its height), while hit testing uses the list heights.
class ContentPainter {
public:
    static constexpr int FullWidth = 540;
    static constexpr int MaxDrawnCharacters = 2000;
    static inline const QColor SelectionColour = QColor(255, 0, 0);

    explicit ContentPainter(QImage documentIcon);

    // Draws every block and returns the sum of the heights drawn.
    int paint(QPainter& painter, const ContentModel& model) const;
    // Draws one block with its top at y and returns the height drawn.
    int paintBlock(QPainter& painter, const CContentBlock& block, int y) const;

    // The size of a photo shown at a width percent: truncate(540 × p ÷ 100) by
    // truncate(height × p ÷ 100), the factor p ÷ 100 in single precision; never negative.
    static QSize photoSize(int height, int widthPercent);
    // The left edge of a box of a width aligned within the 540 pixels.
    static int alignedLeft(int alignment, int width);

private:
    QImage m_documentIcon;
};

} // namespace orvix
