#include "server/admin/member_photo.h"

#include "server/storage/data_folder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace orvix::server {

std::optional<QByteArray> MemberPhoto::prepare(const QString& path, qint64 maxBytes,
                                               QString* error) {
    auto fail = [&](const QString& reason) -> std::optional<QByteArray> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (file.size() > maxBytes)
        return fail(QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes));
    const QByteArray bytes = file.readAll();

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("%1 is not a picture that can be read").arg(path));
    if (format == "jpeg" || format == "jpg")
        return bytes;
    // Transparent pictures get a white ground, as JPEG has no transparency.
    if (image.hasAlphaChannel()) {
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter(&opaque).drawImage(0, 0, image);
        image = opaque;
    }
    QByteArray jpeg = encode(image);
    if (jpeg.isEmpty())
        return fail(QStringLiteral("cannot convert %1 to JPEG").arg(path));
    return jpeg;
}

QByteArray MemberPhoto::encode(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image))
        return {};
    return bytes;
}

bool MemberPhoto::store(const DataFolder& folder, qint64 memberNo, const QByteArray& jpeg,
                        QString* error) {
    // Written beside its destination, not through the staging folder: the admin commands run
    // beside a serving process, whose staging folder is its own.
    const QString path = folder.memberPhotoPath(memberNo);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace orvix::server
