#include "server/storage/data_folder.h"

#include <QDir>
#include <QFileInfo>

namespace orvix::server {

DataFolder::DataFolder(const QString& root)
    : m_root(QDir::cleanPath(QFileInfo(root).absoluteFilePath())) {}

bool DataFolder::prepare(QString* error) const {
    for (const QString& dir :
         {m_root, imageRoot(), imageRoot() + QStringLiteral("/memberphoto"), stagingDir()}) {
        if (!QDir().mkpath(dir)) {
            if (error)
                *error = QStringLiteral("cannot create the folder %1").arg(dir);
            return false;
        }
    }
    // Only the serving process writes staging files, and it holds the folder's lock: files that
    // are still there at its start were left by a process that died in the middle of an upload.
    // Only entries of this program's own naming are touched: staged files ("stage-") and links
    // made before they are renamed into the tree ("link-", which point nowhere from here).
    QDir staging(stagingDir());
    for (const QFileInfo& file :
         staging.entryInfoList({QStringLiteral("stage-*"), QStringLiteral("link-*")},
                               QDir::Files | QDir::System | QDir::Hidden)) {
        QFile::remove(file.absoluteFilePath());
    }
    return true;
}

bool DataFolder::checkExisting(QString* error) const {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QFileInfo root(m_root);
    if (!root.exists())
        return fail(QStringLiteral("there is no data folder %1 (serve creates it)").arg(m_root));
    if (!root.isDir())
        return fail(QStringLiteral("%1 is not a folder").arg(m_root));
    if (!QFileInfo(databasePath()).isFile()) {
        return fail(
            QStringLiteral("%1 holds no orvix-server database (serve creates it)").arg(m_root));
    }
    return true;
}

QString DataFolder::lockPath() const {
    return m_root + QStringLiteral("/serve.lock");
}

QString DataFolder::databasePath() const {
    return m_root + QStringLiteral("/orvix.db");
}

QString DataFolder::imageRoot() const {
    return m_root + QStringLiteral("/image");
}

QString DataFolder::stagingDir() const {
    return m_root + QStringLiteral("/staging");
}

QString DataFolder::memberPhotoPath(qint64 memberNo) const {
    return imageRoot() + QStringLiteral("/memberphoto/mem%1.jpg").arg(memberNo);
}

} // namespace orvix::server
