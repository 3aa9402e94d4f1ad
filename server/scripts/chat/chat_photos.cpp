#include "server/scripts/chat/chat_photos.h"

#include "server/admin/member_photo.h"
#include "server/storage/data_folder.h"
#include "server/storage/image_path.h"
#include "server/storage/staged_file.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>

namespace orvix::server {

ChatPhotos::ChatPhotos(const DataFolder& folder)
    : m_folder(folder) {}

QString ChatPhotos::pathOf(const QString& name) const {
    return m_folder.imageRoot() + u'/' + kFolder + u'/' + name;
}

QImage ChatPhotos::thumbnail(const QImage& picture) {
    const int height =
        std::max(1, int(qint64(picture.height()) * kThumbnailWidth / std::max(1, picture.width())));
    return picture.scaled(kThumbnailWidth, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

std::optional<QString> ChatPhotos::store(qint64 memberNo, const QByteArray& jpeg,
                                         QString* error) const {
    QImage picture;
    if (!picture.loadFromData(jpeg, "JPEG")) {
        if (error)
            *error = QStringLiteral("the photo is no JPEG picture");
        return std::nullopt;
    }
    // Names of digits and letters only: they travel in replies and become file names on PCs.
    const QString name =
        QStringLiteral("%1t%2r%3.jpg")
            .arg(memberNo)
            .arg(QDateTime::currentSecsSinceEpoch())
            .arg(QRandomGenerator::global()->bounded(0x1000000), 6, 16, QLatin1Char('0'));
    const QString thumbName = QStringLiteral("c") + name;
    const QByteArray thumb = MemberPhoto::encode(thumbnail(picture));
    if (thumb.isEmpty()) {
        if (error)
            *error = QStringLiteral("cannot make the thumbnail");
        return std::nullopt;
    }
    const QString staging = m_folder.stagingDir();
    if (!StagedFile::writeWhole(staging, pathOf(thumbName), thumb, error) ||
        !StagedFile::writeWhole(staging, pathOf(name), jpeg, error)) {
        return std::nullopt;
    }
    return thumbName + u'|' + name;
}

std::optional<QString> ChatPhotos::store(qint64 memberNo, const QImage& picture,
                                         QString* error) const {
    const QByteArray jpeg = MemberPhoto::encode(picture);
    if (jpeg.isEmpty()) {
        if (error)
            *error = QStringLiteral("cannot encode the photo");
        return std::nullopt;
    }
    return store(memberNo, jpeg, error);
}

bool ChatPhotos::contentNamesStoredFiles(QStringView content) const {
    const qsizetype bar = content.indexOf(u'|');
    if (bar < 0)
        return false;
    for (QStringView name : {content.left(bar), content.mid(bar + 1)}) {
        if (!ImagePath::isSafePiece(name) || !QFileInfo(pathOf(name.toString())).isFile())
            return false;
    }
    return true;
}

} // namespace orvix::server
