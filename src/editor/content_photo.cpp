#include "editor/content_photo.h"

#include <limits>

namespace orvix {

int CContentPhoto::heightAtFullWidth(int storedWidth, int pictureHeight) {
    if (storedWidth <= 0 || pictureHeight <= 0)
        return 0;
    const float factor = float(FullWidth) / float(storedWidth);
    const float shown = factor * float(pictureHeight);
    return shown >= float(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                           : int(shown);
}

void CContentPhoto::load(const QString& path) {
    localPath = path;
    auto loaded = std::make_unique<CDibPicture>();
    if (!path.isEmpty() && loaded->Load(path)) {
        picture = std::move(loaded);
        height = heightAtFullWidth(picture->storedWidth(), picture->height());
    } else {
        picture.reset();
        height = 0;
    }
}

} // namespace orvix
