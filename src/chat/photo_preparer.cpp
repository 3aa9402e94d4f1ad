#include "chat/photo_preparer.h"

#include "chat/local_file_name.h"
#include "imaging/dib_picture.h"
#include "imaging/fit_to_width.h"

#include <QFile>
#include <QImageWriter>
#include <QSaveFile>

namespace orvix {

namespace {

bool writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The picture's real width in PNG, when its own format has no encoder.
bool saveAsPng(const CDibPicture& picture, const QString& path) {
    const QImage& pixels = picture.pixels();
    const QImage visible = pixels.copy(0, 0, picture.header().width, picture.height());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "png");
    return writer.write(visible) && file.commit();
}

} // namespace

PhotoPreparer::PhotoPreparer(QString workFolder, QString memberNumber)
    : m_workFolder(std::move(workFolder))
    , m_memberNumber(std::move(memberNumber)) {}

std::optional<QString> PhotoPreparer::PreparePhoto(const QString& path, const QString& name,
                                                   qint32 timeSeconds) const {
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = source.readAll();
    source.close();

    const QString photoName =
        m_memberNumber + QString::number(timeSeconds) + LocalFileName::sanitized(name);
    const QString thumbName = QStringLiteral("c") + photoName;
    const QString copyPath = LocalFileName::pathIn(m_workFolder, photoName);
    const QString thumbPath = LocalFileName::pathIn(m_workFolder, thumbName);
    if (copyPath.isEmpty() || thumbPath.isEmpty() || !writeWhole(copyPath, bytes))
        return std::nullopt;

    CDibPicture picture;
    if (!picture.Load(copyPath)) {
        QFile::remove(copyPath);
        return std::nullopt;
    }
    if (picture.storedWidth() > ShrinkAbove) {
        FitToWidth(picture, ShrunkWidth);
        picture.SaveAs(copyPath);
    }

    CDibPicture thumbnail;
    if (!thumbnail.Load(copyPath)) {
        QFile::remove(copyPath);
        return std::nullopt;
    }
    FitToWidth(thumbnail, ThumbnailWidth);
    if (!thumbnail.SaveAs(thumbPath))
        saveAsPng(thumbnail, thumbPath);
    return thumbName + u'|' + photoName;
}

} // namespace orvix
