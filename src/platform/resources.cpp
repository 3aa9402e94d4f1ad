#include "platform/resources.h"

#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtMath>

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

// The drawing's source with its word marks filled in.
QByteArray drawingWithWords(int id, const PictureWords& words) {
    QFile file(drawingPath(id));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString source = QString::fromUtf8(file.readAll());
    for (const auto& [key, value] : words)
        source.replace(QStringLiteral("{{%1}}").arg(key), value.toHtmlEscaped());
    static const QRegularExpression unfilled(QStringLiteral("\\{\\{[A-Za-z0-9_]*\\}\\}"));
    source.remove(unfilled);
    return source.toUtf8();
}

// The drawing rendered into an image of `size` device pixels on the given ground.
QImage render(int id, QSize size, const PictureWords& words, QImage::Format format,
              Qt::GlobalColor ground) {
    const QByteArray source = drawingWithWords(id, words);
    if (source.isEmpty())
        return {};
    QSvgRenderer renderer(source);
    if (!renderer.isValid())
        return {};
    QImage image(size, format);
    if (image.isNull())
        return {};
    image.fill(ground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
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
    if (size.isEmpty())
        return {};
    return render(id, size, {}, QImage::Format_RGB32, Qt::white);
}

QImage picture(int id, qreal devicePixelRatio, const PictureWords& words) {
    const QSize size = bitmapSize(id);
    if (size.isEmpty() || !(devicePixelRatio > 0))
        return {};
    // Whole device pixels: a ratio such as 1.25 rounds the picture up, never cuts it.
    const QSize pixels(qCeil(size.width() * devicePixelRatio),
                       qCeil(size.height() * devicePixelRatio));
    QImage image = render(id, pixels, words, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QIcon icon(int id) {
    return QIcon(QStringLiteral(":/orvix/icons/%1.svg").arg(id));
}

QUrl soundUrl(int id) {
    return QUrl(QStringLiteral("qrc:/orvix/sounds/%1.wav").arg(id));
}

} // namespace orvix::res
