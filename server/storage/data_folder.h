#pragma once

#include <QString>

namespace orvix::server {

// The server's data folder: the database file, the image tree that /image/ serves and uploads
// fill, and a staging folder where uploads are written before they are renamed into the tree.
class DataFolder {
public:
    explicit DataFolder(const QString& root);

    // For the serving process, which holds lockPath(): creates the folders that are missing and
    // removes the staging files that a killed process left behind. Returns false with a reason
    // when the folder cannot be used.
    bool prepare(QString* error) const;

    // For the admin commands, which run beside a serving process and create nothing: whether the
    // folder exists and holds a database; false with a reason otherwise.
    bool checkExisting(QString* error) const;

    // The lock file that one serving process at a time holds.
    QString lockPath() const;

    QString root() const { return m_root; }
    QString databasePath() const;
    QString imageRoot() const;
    QString stagingDir() const;

    // Where a member's photo is kept: image/memberphoto/mem<number>.jpg.
    QString memberPhotoPath(qint64 memberNo) const;

private:
    QString m_root;
};

} // namespace orvix::server
