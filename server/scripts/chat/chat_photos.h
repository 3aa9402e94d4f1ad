#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

class QImage;

namespace orvix::server {

class DataFolder;

// Chat photos as the service keeps them: a photo and its thumbnail, 200 pixels wide, both in
// image/chatdata/. The thumbnail's name is the photo's with "c" in front, and a photo message's
// content is "THUMB|PHOTO".
class ChatPhotos {
public:
    static constexpr int kThumbnailWidth = 200;
    static inline const QString kFolder = QStringLiteral("chatdata");

    explicit ChatPhotos(const DataFolder& folder);

    // Stores a photo sent by a member (JPEG bytes, or a picture converted to JPEG) and its
    // thumbnail; gives the message content, or nothing with a reason when the bytes are no
    // picture or a file cannot be written.
    std::optional<QString> store(qint64 memberNo, const QByteArray& jpeg, QString* error) const;
    std::optional<QString> store(qint64 memberNo, const QImage& picture, QString* error) const;

    // Whether a photo message's content names two files that exist in image/chatdata/, each a
    // plain file name that cannot lead out of it.
    bool contentNamesStoredFiles(QStringView content) const;

    // The thumbnail of a picture: 200 pixels wide, the height in proportion (at least 1).
    static QImage thumbnail(const QImage& picture);

private:
    QString pathOf(const QString& name) const;

    const DataFolder& m_folder;
};

} // namespace orvix::server
