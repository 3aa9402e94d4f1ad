#include "board/post_photo_files.h"

#include "board/post_list_reply.h"
#include "imaging/dib_picture.h"

#include <QFile>

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

std::unique_ptr<CDibPicture> PostPhotoFiles::photoFor(const PostListEntry& post) const {
    if (post.photoName == QLatin1String("0"))
        return nullptr;
    const QString path = localPath(post.photoName);
    if (path.isEmpty())
        return nullptr;
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly)) {
        ++m_downloads;
        if (m_download)
            m_download(address(post), path);
    }
    existing.close();
    auto photo = std::make_unique<CDibPicture>();
    if (!photo->Load(path))
        return nullptr;
    return photo;
}

} // namespace orvix
