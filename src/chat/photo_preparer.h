#pragma once

#include <QString>

#include <optional>

namespace orvix {

// Makes a photo ready to send: a private copy in the working folder named member number + time
// + the file's name, shrunk to 800 pixels wide when it is wider than 1500, and a thumbnail 200
// wide named "c" + the same, in the chosen file's format. The chosen name is made fit to travel
// first (LocalFileName::sanitized), since it is sent in a form body and in an address.
class PhotoPreparer {
public:
    static constexpr int ShrinkAbove = 1500;
    static constexpr int ShrunkWidth = 800;
    static constexpr int ThumbnailWidth = 200;

    PhotoPreparer(QString workFolder, QString memberNumber);

    // The message content "THUMB|PHOTO", or nothing when the file cannot be read, the copy
    // cannot be written, or the file is not a picture (its copy is removed again). A format
    // that cannot be written (GIF) keeps the copy as chosen and gets a PNG-encoded thumbnail
    // under its name: receivers decode a picture by its content.
    std::optional<QString> PreparePhoto(const QString& path, const QString& name,
                                        qint32 timeSeconds) const;

private:
    QString m_workFolder;
    QString m_memberNumber;
};

} // namespace orvix
