#include "chat/photo_cache.h"

#include "imaging/dib_picture.h"

#include <QFileInfo>

namespace orvix {

PhotoCache::PhotoCache() = default;
PhotoCache::~PhotoCache() = default;

std::shared_ptr<const CDibPicture> PhotoCache::load(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_entries.remove(path);
        return nullptr;
    }
    const qint64 size = info.size();
    const QDateTime modified = info.lastModified();
    auto it = m_entries.find(path);
    if (it != m_entries.end() && it->size == size && it->modified == modified)
        return it->picture;

    auto picture = std::make_shared<CDibPicture>();
    Entry entry{size, modified, nullptr};
    if (picture->Load(path))
        entry.picture = std::move(picture);
    m_entries.insert(path, entry);
    return entry.picture;
}

} // namespace orvix
