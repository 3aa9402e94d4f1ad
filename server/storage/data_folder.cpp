#include "server/storage/data_folder.h"

#include <QDateTime>
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
    // Staged files belong to the process that writes them; files that are still there at start
    // were left by a process that died in the middle of a write. Only the staging files of
    // this program's own naming are touched. Another serving process on the same folder could
    // be writing one right now, which is why files younger than a day are kept.
    QDir staging(stagingDir());
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    for (const QFileInfo& file :
         staging.entryInfoList({QStringLiteral("stage-*")}, QDir::Files | QDir::Hidden)) {
        if (file.lastModified().toUTC() < dayAgo)
            QFile::remove(file.absoluteFilePath());
    }
    return true;
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
