#pragma once

#include <QSize>

namespace orvix {

class CDibPicture;

// The size a picture of storedWidth × height takes when fitted to targetWidth: the factor
// targetWidth ÷ storedWidth is worked out in double precision and kept in single precision, and
// both sides are multiplied by it and truncated toward zero. (3000 × 2000 fitted to 800 gives
// 800 × 533.) An empty size when storedWidth is not positive.
QSize fitToWidthSize(int storedWidth, int height, int targetWidth);

// Resizes the picture to its fitted size (the resize raises the width to a multiple of 4 again).
// Does nothing to a picture that holds no pixels.
void FitToWidth(CDibPicture& picture, int targetWidth);

} // namespace orvix
