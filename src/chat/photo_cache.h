#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <memory>

namespace orvix {

class CDibPicture;

// Pictures decoded from files of the working folder, each decoded once for as long as its file
// stays the same (same size and modification time). A file that cannot be decoded is
// remembered too, so a damaged partner photo is not decoded again at every repaint.
class PhotoCache {
public:
    PhotoCache();
    ~PhotoCache();

    // The picture of a file, or nullptr when it cannot be loaded.
    std::shared_ptr<const CDibPicture> load(const QString& path);

    int size() const { return int(m_entries.size()); }
    void clear() { m_entries.clear(); }

private:
    struct Entry {
        qint64 size = -1;
        QDateTime modified;
        std::shared_ptr<const CDibPicture> picture;
    };
    QHash<QString, Entry> m_entries;
};

} // namespace orvix
