#pragma once

#include "imaging/dib_picture.h"

#include <QString>

#include <memory>

namespace orvix {

// A photo block: the decoded picture (none when the file could not be loaded), where the file
// lies on this computer, its name on the server and how it is shown.
class CContentPhoto {
public:
    static constexpr int FullWidth = 540;

    std::unique_ptr<CDibPicture> picture;
    QString localPath;
    QString name;      // the photo's name on the server; empty until the HTML is built
    QString stampName; // the time of adding followed by the file name
    int alignment = 0; // 0 left, 1 centre, 2 right
    int height = 0;    // shown height at full width
    int width = FullWidth;
    int widthPercent = 100;

    // Loads the picture from a file and works out the height at full width; without a picture
    // (the file is missing or not a picture) the height is 0.
    void load(const QString& path);

    // The height of a picture of storedWidth × pictureHeight shown 540 pixels wide: the factor
    // 540 ÷ storedWidth in single precision, times the height, truncated.
    static int heightAtFullWidth(int storedWidth, int pictureHeight);
};

} // namespace orvix
