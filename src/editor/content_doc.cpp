#include "editor/content_doc.h"

#include <limits>

namespace orvix {

int CContentDoc::scaled(int length) const {
    const float factor = float(sizePercent) / 100.0f;
    const float value = factor * float(length);
    // A scale from a damaged file stays a number the view can draw.
    constexpr float limit = float(std::numeric_limits<int>::max() / 2);
    if (!(value > -limit))
        return -int(limit);
    if (!(value < limit))
        return int(limit);
    return int(value);
}

} // namespace orvix
