#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvix {

// The settings file: two records, the member ID and the password, each a 32-bit little-endian
// length followed by that many bytes in the system code page, with no terminator. The single
// character "0" in a record means that nothing is remembered.
class SettingsFile {
public:
    static constexpr int MaxRecordBytes = 1023;
    static inline const QByteArray NothingRemembered = QByteArrayLiteral("0");

    struct Records {
        QByteArray id;
        QByteArray password;
    };

    // The file's bytes for two records. A record longer than MaxRecordBytes cannot be read back,
    // so it is written as "nothing remembered" instead.
    static QByteArray encode(const QByteArray& id, const QByteArray& password);

    // The records of a file's bytes, or nothing when they are not a valid settings file
    // (truncated, a negative length, a record over MaxRecordBytes).
    static std::optional<Records> decode(const QByteArray& bytes);

    // Reads the file; nothing when it is missing or not valid.
    static std::optional<Records> read(const QString& path);

    // Writes the file whole or not at all, readable and writable by its owner only; false when
    // it could not be written.
    static bool write(const QString& path, const QByteArray& id, const QByteArray& password);
};

} // namespace orvix
