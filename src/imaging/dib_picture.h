#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

class QPainter;

namespace orvix {

// The 40-byte device-independent bitmap information header that describes a picture's pixels.
struct BitmapInfoHeader {
    quint32 headerSize = 40;
    qint32 width = 0; // the picture's real width, which may be less than the stored width
    qint32 height = 0;
    quint16 planes = 1;
    quint16 bitCount = 0;
    quint32 compression = 0; // uncompressed
    quint32 imageSize = 0;
    qint32 xResolution = 0;
    qint32 yResolution = 0;
    quint32 coloursUsed = 0;
    quint32 importantColours = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// The holder of every photo: decodes an image file into one pixel store, resamples it, encodes it
// back to a file and stretches it onto a painter.
//
// Sizes: the stored width is the picture's width rounded up to a multiple of 4 pixels, and every
// size decision of the callers uses it (a photo 1001 pixels wide counts as 1004). The header keeps
// the real width. The columns between the real and the stored width repeat the picture's last
// column, so stretching the whole stored width never shows a stripe at the right edge.
//
// Pixels: one QImage whose rows are the picture's device-independent rows: 24 bits a pixel
// (blue, green, red), or 32 bits (blue, green, red, unused) for pictures that came with an alpha
// channel. Pictures of 1, 4 or 8 bits a pixel (palette or grey) are converted to 24 bits, and
// transparent parts are laid on white, since nothing that shows or saves a photo keeps alpha.
// The same image is drawn directly, so no second copy of the pixels is kept for the display.
class CDibPicture {
public:
    // Decodes the file. On failure returns false and leaves the holder as it was.
    bool Load(const QString& path);

    // Resamples to newWidth (raised to a multiple of 4) × newHeight at 24 bits a pixel, taking
    // the nearest pixel (rows and columns are repeated or dropped, never blended). Sizes below
    // one pixel become one pixel. Does nothing before a successful Load or when the new picture
    // cannot be allocated.
    void Resize(int newWidth, int newHeight);

    // Encodes the picture (its real width, without alpha) into the file, choosing the encoder by
    // the path's extension regardless of case: jpg/jpeg/jpe/jfif JPEG, png PNG, bmp/dib BMP,
    // tif/tiff TIFF when available, gif GIF (reduced to 256 colours). Anything else writes
    // nothing. The file is replaced whole or not at all. Returns whether it was written;
    // callers may ignore the result.
    bool SaveAs(const QString& path) const;

    // Stretches the whole stored picture onto the rectangle (x, y, width, height) without keeping
    // its aspect ratio, taking the nearest pixel. Draws nothing before a successful Load or into
    // an empty rectangle.
    void Draw(QPainter& painter, int x, int y, int width, int height) const;

    bool isNull() const { return m_pixels.isNull(); }
    int storedWidth() const { return m_storedWidth; }
    int height() const { return m_height; }
    const BitmapInfoHeader& header() const { return m_header; }
    // The pixel store: storedWidth() × height() pixels.
    const QImage& pixels() const { return m_pixels; }

private:
    BitmapInfoHeader m_header;
    int m_storedWidth = 0;
    int m_height = 0;
    QImage m_pixels;
};

} // namespace orvix
