#pragma once

#include <QImage>

namespace orvix::server {

// The demo's chat photos: a landscape (sky, sun, hills, a lake, birds) drawn at run time in the
// colours of one of a few times of day, so the demo needs no picture files.
class DemoPicture {
public:
    static QImage paint(int variant, int width = 960, int height = 720);
};

} // namespace orvix::server
