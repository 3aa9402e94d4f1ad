#pragma once

#include <QImage>

namespace orvix::server {

// Draws the demo posts' photos: small landscapes made of plain shapes, so the demo needs no
// picture files. Each scene is drawn the same way every time.
class ScenePainter {
public:
    enum class Scene { RiverPicnic, CityNight, Mountains, TownSquare, Coffee };

    static QImage paint(Scene scene, int width = 400, int height = 260);
};

} // namespace orvix::server
