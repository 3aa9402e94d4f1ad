#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvix::server {

// The fixed block in front of every uploaded file: the text "<size> <folder> <name>" in UTF-8,
// ended by a zero byte and padded with zero bytes to 2,048 bytes. The size is decimal, the folder
// runs to the next space and may have sub-folders ("mailbox/0000000012"); the name is the rest of
// the text and may hold spaces.
struct UploadHeader {
    static constexpr qsizetype kBlockSize = 2048;

    qint64 size = 0;
    QStringList folder; // the folder's pieces
    QString name;

    // The path below the image tree: folder pieces and name joined by "/".
    QString relativePath() const;

    // Reads a whole block. Nothing, with a reason, when the block is malformed, names a place
    // outside the image tree, or announces more than maxSize bytes.
    static std::optional<UploadHeader> parse(const QByteArray& block, qint64 maxSize,
                                             QString* reason);
};

} // namespace orvix::server
