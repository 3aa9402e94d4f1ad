#include "imaging/fit_to_width.h"

#include "imaging/dib_picture.h"

namespace orvix {

QSize fitToWidthSize(int storedWidth, int height, int targetWidth) {
    if (storedWidth <= 0)
        return {};
    const float factor = float(double(targetWidth) / double(storedWidth));
    return {int(float(storedWidth) * factor), int(float(height) * factor)};
}

void FitToWidth(CDibPicture& picture, int targetWidth) {
    if (picture.isNull())
        return;
    const QSize size = fitToWidthSize(picture.storedWidth(), picture.height(), targetWidth);
    picture.Resize(size.width(), size.height());
}

} // namespace orvix
