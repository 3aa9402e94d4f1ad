#include "platform/resources.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <array>
#include <utility>

namespace orvix::res {

namespace {

struct BitmapSize {
    int id;
    int width;
    int height;
};

// Every bitmap the program draws, with the size its windows lay out around.
constexpr std::array kBitmapSizes{
    BitmapSize{130, 96, 132},  BitmapSize{131, 96, 132}, BitmapSize{132, 96, 132},
    BitmapSize{133, 96, 132},  BitmapSize{134, 96, 132}, BitmapSize{135, 96, 132},
    BitmapSize{136, 96, 132},  BitmapSize{137, 96, 132}, BitmapSize{139, 96, 132},
    BitmapSize{140, 96, 132},  BitmapSize{143, 50, 50},  BitmapSize{162, 60, 60},
    BitmapSize{167, 167, 100}, BitmapSize{168, 40, 40},  BitmapSize{169, 40, 40},
    BitmapSize{170, 40, 40},   BitmapSize{171, 40, 40},  BitmapSize{172, 40, 40},
    BitmapSize{173, 40, 40},   BitmapSize{174, 40, 40},  BitmapSize{175, 40, 40},
    BitmapSize{176, 40, 40},   BitmapSize{177, 40, 40},  BitmapSize{178, 40, 40},
    BitmapSize{179, 40, 40},   BitmapSize{180, 40, 40},  BitmapSize{181, 40, 40},
    BitmapSize{182, 40, 40},   BitmapSize{183, 40, 40},  BitmapSize{184, 40, 40},
    BitmapSize{185, 40, 40},   BitmapSize{186, 40, 40},  BitmapSize{187, 40, 40},
    BitmapSize{189, 40, 40},   BitmapSize{196, 40, 40},  BitmapSize{198, 30, 20},
    BitmapSize{201, 308, 522}, BitmapSize{188, 70, 70},
};

QString drawingPath(int id) {
    return QStringLiteral(":/orvix/bitmaps/%1.svg").arg(id);
}

} // namespace

QSize bitmapSize(int id) {
    for (const BitmapSize& entry : kBitmapSizes) {
        if (entry.id == id)
            return {entry.width, entry.height};
    }
    return {};
}

QImage bitmap(int id) {
    const QSize size = bitmapSize(id);
    if (size.isEmpty() || !QFile::exists(drawingPath(id)))
        return {};
    QSvgRenderer renderer(drawingPath(id));
    if (!renderer.isValid())
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QIcon icon(int id) {
    return QIcon(QStringLiteral(":/orvix/icons/%1.svg").arg(id));
}

QUrl soundUrl(int id) {
    return QUrl(QStringLiteral("qrc:/orvix/sounds/%1.wav").arg(id));
}

} // namespace orvix::res
