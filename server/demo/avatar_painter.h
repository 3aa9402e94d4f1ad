#pragma once

#include <QColor>
#include <QImage>

namespace orvix::server {

// Draws the demo members' photos: a head-and-shoulders silhouette on a coloured ground, each
// member in colours of their own. Drawn at run time, so the demo needs no picture files.
class AvatarPainter {
public:
    struct Look {
        QColor background;
        QColor shirt;
        QColor skin;
        QColor hair;
    };

    static QImage paint(const Look& look, int size = 160);
};

} // namespace orvix::server
