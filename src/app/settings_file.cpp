#include "app/settings_file.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace orvix {

namespace {

void appendRecord(QByteArray& out, const QByteArray& record) {
    const QByteArray& kept =
        record.size() > SettingsFile::MaxRecordBytes ? SettingsFile::NothingRemembered : record;
    char length[4];
    qToLittleEndian<qint32>(static_cast<qint32>(kept.size()), length);
    out.append(length, sizeof length);
    out.append(kept);
}

// Reads one record at offset; advances it. Nothing when the bytes end early or the length is
// out of range.
std::optional<QByteArray> takeRecord(const QByteArray& bytes, qsizetype& offset) {
    if (bytes.size() - offset < 4)
        return std::nullopt;
    const qint32 length = qFromLittleEndian<qint32>(bytes.constData() + offset);
    offset += 4;
    if (length < 0 || length > SettingsFile::MaxRecordBytes || bytes.size() - offset < length)
        return std::nullopt;
    QByteArray record = bytes.mid(offset, length);
    offset += length;
    return record;
}

} // namespace

QByteArray SettingsFile::encode(const QByteArray& id, const QByteArray& password) {
    QByteArray out;
    appendRecord(out, id);
    appendRecord(out, password);
    return out;
}

std::optional<SettingsFile::Records> SettingsFile::decode(const QByteArray& bytes) {
    qsizetype offset = 0;
    auto id = takeRecord(bytes, offset);
    if (!id)
        return std::nullopt;
    auto password = takeRecord(bytes, offset);
    if (!password)
        return std::nullopt;
    return Records{*id, *password};
}

std::optional<SettingsFile::Records> SettingsFile::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Two records of at most MaxRecordBytes each and their lengths; anything beyond is ignored.
    return decode(file.read(2 * (4 + MaxRecordBytes)));
}

bool SettingsFile::write(const QString& path, const QByteArray& id, const QByteArray& password) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The password is kept in clear: only the member may read the file, whatever the file it
    // replaces allowed. The permissions are set before a byte is written.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    file.write(encode(id, password));
    return file.commit();
}

} // namespace orvix
