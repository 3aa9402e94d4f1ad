#include "imaging/gif_writer.h"

#include <QIODevice>
#include <QImage>

#include <gif_lib.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace orvix {

namespace {

// giflib's output function: every block goes to the device; a short write ends the encoding.
int writeToDevice(GifFileType* gif, const GifByteType* data, int length) {
    auto* device = static_cast<QIODevice*>(gif->UserData);
    return int(device->write(reinterpret_cast<const char*>(data), length));
}

struct GifCloser {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// The smallest power of two (at least 2) that holds `colors` entries, as GIF colour tables need.
int tableSize(int colors) {
    int size = 2;
    while (size < colors)
        size *= 2;
    return size;
}

} // namespace

bool GifWriter::write(const QImage& picture, QIODevice& device) {
    if (picture.isNull())
        return false;
    const QImage indexed = picture.convertToFormat(QImage::Format_RGB32)
                               .convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
    if (indexed.isNull() || indexed.colorCount() < 1 || indexed.colorCount() > 256)
        return false;

    const QList<QRgb> table = indexed.colorTable();
    const int size = tableSize(int(table.size()));
    std::vector<GifColorType> colors(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < table.size(); ++i)
        colors[size_t(i)] = GifColorType{GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                                         GifByteType(qBlue(table[i]))};
    const std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(size, colors.data()));
    if (!map)
        return false;

    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&device, writeToDevice, &error));
    if (!gif)
        return false;
    EGifSetGifVersion(gif.get(), true);
    const int width = indexed.width();
    const int height = indexed.height();
    if (EGifPutScreenDesc(gif.get(), width, height, GifBitSize(size), 0, map.get()) == GIF_ERROR)
        return false;
    if (EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
        return false;
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        const uchar* line = indexed.constScanLine(y);
        std::copy(line, line + width, row.begin());
        if (EGifPutLine(gif.get(), row.data(), width) == GIF_ERROR)
            return false;
    }
    // Closing writes the trailer; it reports whether that last write went through.
    GifFileType* const finished = gif.release();
    return EGifCloseFile(finished, &error) == GIF_OK;
}

} // namespace orvix
