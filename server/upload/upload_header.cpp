#include "server/upload/upload_header.h"

#include "server/storage/image_path.h"

#include <QStringDecoder>

namespace orvix::server {

QString UploadHeader::relativePath() const {
    return folder.join(u'/') + u'/' + name;
}

std::optional<UploadHeader> UploadHeader::parse(const QByteArray& block, qint64 maxSize,
                                                QString* reason) {
    auto refuse = [&](const QString& why) -> std::optional<UploadHeader> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    if (block.size() != kBlockSize)
        return refuse(QStringLiteral("header block of %1 bytes").arg(block.size()));
    const qsizetype end = block.indexOf('\0');
    if (end < 0)
        return refuse(QStringLiteral("header text not ended by a zero byte"));

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(QByteArrayView(block.constData(), end));
    if (decoder.hasError())
        return refuse(QStringLiteral("header text is not UTF-8"));

    const qsizetype firstSpace = text.indexOf(u' ');
    if (firstSpace <= 0)
        return refuse(QStringLiteral("no size in the header"));
    const QStringView sizeText = QStringView(text).first(firstSpace);
    // Digits only: no sign, no blanks. Eighteen digits always fit into 64 bits.
    if (sizeText.size() > 18)
        return refuse(QStringLiteral("size too large"));
    for (QChar c : sizeText) {
        if (c < u'0' || c > u'9')
            return refuse(QStringLiteral("size is not a number"));
    }
    UploadHeader header;
    header.size = sizeText.toLongLong();
    if (header.size > maxSize) {
        return refuse(
            QStringLiteral("size %1 is above the limit of %2").arg(header.size).arg(maxSize));
    }

    const qsizetype secondSpace = text.indexOf(u' ', firstSpace + 1);
    if (secondSpace < 0)
        return refuse(QStringLiteral("no file name in the header"));
    const QStringView folder =
        QStringView(text).sliced(firstSpace + 1, secondSpace - firstSpace - 1);
    const QStringView name = QStringView(text).sliced(secondSpace + 1);
    auto pieces = ImagePath::splitFolder(folder);
    if (!pieces)
        return refuse(QStringLiteral("folder \"%1\" is not acceptable").arg(folder));
    if (!ImagePath::isSafePiece(name))
        return refuse(QStringLiteral("file name \"%1\" is not acceptable").arg(name));
    header.folder = *pieces;
    header.name = name.toString();
    return header;
}

} // namespace orvix::server
