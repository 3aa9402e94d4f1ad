#pragma once

class QImage;
class QIODevice;

namespace orvix {

// Encodes pictures as GIF (one frame, GIF89a) with giflib. A picture of at most 256 colours
// keeps them exactly; one of more is reduced to 256 by Qt's own quantisation, with diffused
// dithering so that photos keep their shades. Alpha is dropped. Nothing is written past the
// first failure.
class GifWriter {
public:
    // Writes the picture to the device. Returns false for a null picture or a failed write.
    static bool write(const QImage& picture, QIODevice& device);
};

} // namespace orvix
