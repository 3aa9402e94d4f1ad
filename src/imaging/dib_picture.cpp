#include "imaging/dib_picture.h"

#include "imaging/gif_writer.h"

#include <QColorSpace>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace orvix {

namespace {

int roundUpToFour(int width) {
    return width % 4 == 0 ? width : width + (4 - width % 4);
}

// The source index whose pixel centre is nearest to the centre of destination index `index`
// when `sourceCount` pixels are stretched onto `destinationCount`.
int nearestSource(int index, int destinationCount, int sourceCount) {
    const qint64 scaled = (2 * qint64(index) + 1) * sourceCount / (2 * qint64(destinationCount));
    return int(std::min<qint64>(scaled, sourceCount - 1));
}

// Transparent parts laid on white: what the picture looks like wherever it is shown.
QImage laidOnWhite(const QImage& picture) {
    QImage opaque(picture.size(), QImage::Format_RGB32);
    if (opaque.isNull())
        return opaque;
    opaque.setColorSpace(picture.colorSpace());
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, picture);
    return opaque;
}

// A copy `storedWidth` pixels wide whose extra columns repeat the last column.
QImage widenedTo(const QImage& picture, int storedWidth) {
    QImage wide(storedWidth, picture.height(), picture.format());
    if (wide.isNull())
        return wide;
    wide.setColorSpace(picture.colorSpace());
    const int bytesPerPixel = picture.depth() / 8;
    const int rowBytes = picture.width() * bytesPerPixel;
    for (int y = 0; y < picture.height(); ++y) {
        uchar* row = wide.scanLine(y);
        std::memcpy(row, picture.constScanLine(y), size_t(rowBytes));
        const uchar* last = row + rowBytes - bytesPerPixel;
        for (int x = picture.width(); x < storedWidth; ++x)
            std::memcpy(row + x * bytesPerPixel, last, size_t(bytesPerPixel));
    }
    return wide;
}

// The Qt image format written for a file extension (lower case), or nothing.
QByteArray encoderFor(const QString& extension) {
    struct Encoder {
        const char* extension;
        const char* format;
    };
    static constexpr std::array kEncoders{
        Encoder{"jpg", "jpeg"},  Encoder{"jpeg", "jpeg"}, Encoder{"jpe", "jpeg"},
        Encoder{"jfif", "jpeg"}, Encoder{"png", "png"},   Encoder{"bmp", "bmp"},
        Encoder{"dib", "bmp"},   Encoder{"tif", "tiff"},  Encoder{"tiff", "tiff"},
        Encoder{"gif", "gif"},
    };
    const QString lower = extension.toLower();
    for (const Encoder& encoder : kEncoders) {
        if (lower == QLatin1String(encoder.extension))
            return QByteArray(encoder.format);
    }
    return {};
}

} // namespace

bool CDibPicture::Load(const QString& path) {
    QImageReader reader(path);
    // Photos from phones carry their orientation separately; show them upright.
    reader.setAutoTransform(true);
    QImage picture;
    if (!reader.read(&picture) || picture.isNull())
        return false;

    // Pictures that had an alpha channel keep 32 bits a pixel; everything else, including palette
    // and grey pictures, is held at 24 bits.
    const bool thirtyTwoBits = picture.depth() > 8 && picture.hasAlphaChannel();
    if (picture.hasAlphaChannel())
        picture = laidOnWhite(picture);
    if (picture.isNull())
        return false;
    picture.convertTo(thirtyTwoBits ? QImage::Format_RGB32 : QImage::Format_BGR888);

    const int width = picture.width();
    const int storedWidth = roundUpToFour(width);
    if (storedWidth != width)
        picture = widenedTo(picture, storedWidth);
    if (picture.isNull())
        return false;

    m_pixels = std::move(picture);
    m_storedWidth = storedWidth;
    m_height = m_pixels.height();
    m_header = BitmapInfoHeader{};
    m_header.width = width;
    m_header.height = m_height;
    m_header.bitCount = thirtyTwoBits ? 32 : 24;
    m_header.imageSize = quint32(m_header.bitCount / 8 * qint64(m_height) * m_storedWidth);
    return true;
}

void CDibPicture::Resize(int newWidth, int newHeight) {
    if (isNull())
        return;
    newWidth = roundUpToFour(std::max(newWidth, 1));
    newHeight = std::max(newHeight, 1);
    QImage resized(newWidth, newHeight, QImage::Format_BGR888);
    if (resized.isNull())
        return;
    resized.setColorSpace(m_pixels.colorSpace());

    // A 32-bit source pixel is blue, green, red, unused in memory on little-endian machines,
    // so its first three bytes are already a 24-bit pixel.
    const int bytesPerPixel = m_pixels.depth() / 8;
    const int firstByte = bytesPerPixel == 4 && QSysInfo::ByteOrder == QSysInfo::BigEndian ? 1 : 0;
    std::vector<int> sourceOffset(static_cast<size_t>(newWidth));
    for (int x = 0; x < newWidth; ++x)
        sourceOffset[size_t(x)] =
            nearestSource(x, newWidth, m_storedWidth) * bytesPerPixel + firstByte;
    for (int y = 0; y < newHeight; ++y) {
        const uchar* source = m_pixels.constScanLine(nearestSource(y, newHeight, m_height));
        uchar* row = resized.scanLine(y);
        for (int x = 0; x < newWidth; ++x)
            std::memcpy(row + 3 * x, source + sourceOffset[size_t(x)], 3);
    }

    m_pixels = std::move(resized);
    m_storedWidth = newWidth;
    m_height = newHeight;
    m_header.width = newWidth;
    m_header.height = newHeight;
    m_header.bitCount = 24;
    m_header.imageSize = quint32(3 * qint64(newWidth) * newHeight);
}

bool CDibPicture::SaveAs(const QString& path) const {
    if (isNull())
        return false;
    const QByteArray format = encoderFor(QFileInfo(path).suffix());
    if (format.isEmpty())
        return false;
    // The picture's real width, seen through the stored rows without copying them.
    QImage visible(m_pixels.constBits(), m_header.width, m_height, m_pixels.bytesPerLine(),
                   m_pixels.format());
    if (m_pixels.colorSpace().isValid())
        visible.setColorSpace(m_pixels.colorSpace());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (format == "gif") {
        // Qt reads GIF but has no writer for it.
        if (!GifWriter::write(visible, file))
            return false; // the unfinished file is discarded
        return file.commit();
    }
    QImageWriter writer(&file, format);
    if (!writer.write(visible))
        return false; // the unfinished file is discarded
    return file.commit();
}

void CDibPicture::Draw(QPainter& painter, int x, int y, int width, int height) const {
    if (isNull() || width <= 0 || height <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRect(x, y, width, height), m_pixels, QRect(0, 0, m_storedWidth, m_height));
    painter.restore();
}

} // namespace orvix
