#include "board/post_photo_files.h"

#include "board/post_list_reply.h"
#include "imaging/dib_picture.h"

#include <QFile>
#include <QPainter>

namespace orvix {

namespace {

constexpr qsizetype kLongestName = 200;

} // namespace

PostPhotoFiles::PostPhotoFiles(QString workFolder, Download download)
    : m_workFolder(std::move(workFolder))
    , m_download(std::move(download)) {}

bool PostPhotoFiles::isSafeName(const QString& name) {
    if (name.isEmpty() || name.size() > kLongestName || name.contains(QLatin1String("..")))
        return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u == u'/' || u == u'\\' || u == u':' || u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

QString PostPhotoFiles::localPath(const QString& name) const {
    if (!isSafeName(name))
        return {};
    return m_workFolder + u'/' + name + QLatin1String(".jpg");
}

QString PostPhotoFiles::address(const PostListEntry& post) {
    // One pass, so that a "%" in the host or the name is never taken for a place holder.
    return QStringLiteral("http://%1/image/mailbox/%2/%3")
        .arg(post.photoHost, QStringLiteral("%1").arg(post.mailboxNumber, 10, 10, QLatin1Char('0')),
             post.photoName);
}

QString PostPhotoFiles::fileFor(const PostListEntry& post) const {
    if (post.photoName == QLatin1String("0"))
        return {};
    const QString path = localPath(post.photoName);
    if (path.isEmpty())
        return {};
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly)) {
        if (m_download)
            m_download(address(post), path);
    }
    return path;
}

QImage PostPhotoFiles::boxPicture(const QString& path, int* storedWidth, int* height) {
    CDibPicture photo;
    if (!photo.Load(path))
        return {};
    *storedWidth = photo.storedWidth();
    *height = photo.height();
    QImage box(100, 80, QImage::Format_RGB32);
    box.fill(Qt::white);
    QPainter painter(&box);
    photo.Draw(painter, 0, 0, 100, 80);
    return box;
}

} // namespace orvix
