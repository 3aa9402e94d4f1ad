#pragma once

#include <QByteArray>
#include <QString>

class QImage;

#include <optional>

namespace orvix::server {

class DataFolder;

// A member's photo as the service keeps it: a JPEG file image/memberphoto/mem<number>.jpg.
class MemberPhoto {
public:
    // The JPEG bytes for a picture file: a JPEG is taken as it is, any other picture format that
    // Qt reads is converted. Nothing, with a reason, when the file is no readable picture or is
    // larger than maxBytes.
    static std::optional<QByteArray> prepare(const QString& path, qint64 maxBytes, QString* error);

    // A picture as JPEG bytes; empty when it cannot be encoded.
    static QByteArray encode(const QImage& image);

    // Writes the photo whole (or not at all), replacing an older one.
    static bool store(const DataFolder& folder, qint64 memberNo, const QByteArray& jpeg,
                      QString* error);
};

} // namespace orvix::server
