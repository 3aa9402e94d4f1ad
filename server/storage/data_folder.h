#pragma once

#include <QString>

namespace orvix::server {

// The server's data folder: the database file, the image tree that /image/ serves and uploads
// fill, and a staging folder where files are written before they are renamed into the tree.
class DataFolder {
public:
    explicit DataFolder(const QString& root);

    // Creates the folders that are missing and clears staging files that a killed process left
    // behind. Returns false with a reason when the folder cannot be used.
    bool prepare(QString* error) const;

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
