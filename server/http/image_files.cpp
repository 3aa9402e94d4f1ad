#include "server/http/image_files.h"

#include "server/storage/image_path.h"

#include <QFile>
#include <QFileInfo>

namespace orvix::server {

ImageFiles::ImageFiles(QString imageRoot)
    : m_imageRoot(std::move(imageRoot)) {}

std::unique_ptr<QFile> ImageFiles::open(const QString& relative) const {
    const QString path = ImagePath::resolveExisting(m_imageRoot, relative);
    if (path.isEmpty())
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return nullptr;
    return file;
}

QByteArray ImageFiles::contentType(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"jpg" || suffix == u"jpeg")
        return QByteArrayLiteral("image/jpeg");
    if (suffix == u"png")
        return QByteArrayLiteral("image/png");
    if (suffix == u"gif")
        return QByteArrayLiteral("image/gif");
    if (suffix == u"bmp")
        return QByteArrayLiteral("image/bmp");
    if (suffix == u"pdf")
        return QByteArrayLiteral("application/pdf");
    // Content files, opinion files and anything uploaded by members are handed out as plain
    // bytes: an uploaded page must never run as a page of this server.
    if (suffix == u"txt" || suffix == u"tml")
        return QByteArrayLiteral("text/plain; charset=utf-8");
    return QByteArrayLiteral("application/octet-stream");
}

} // namespace orvix::server
