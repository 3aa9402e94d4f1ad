#include "server/storage/image_path.h"

#include <QDir>
#include <QFileInfo>

namespace orvix::server {

namespace {

bool isControl(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

} // namespace

bool ImagePath::isSafePiece(QStringView piece) {
    if (piece.isEmpty() || piece == u"." || piece == u"..")
        return false;
    for (QChar c : piece) {
        if (c == u'/' || c == u'\\' || isControl(c))
            return false;
    }
    return true;
}

std::optional<QStringList> ImagePath::splitFolder(QStringView folder) {
    QStringList pieces;
    for (QStringView piece : folder.split(u'/')) {
        if (!isSafePiece(piece))
            return std::nullopt;
        pieces.append(piece.toString());
    }
    return pieces;
}

std::optional<QStringList> ImagePath::splitFile(QStringView relative) {
    auto pieces = splitFolder(relative);
    if (!pieces || pieces->size() < 2)
        return std::nullopt;
    return pieces;
}

QString ImagePath::resolveExisting(const QString& imageRoot, QStringView relative) {
    const auto pieces = splitFile(relative);
    if (!pieces)
        return {};
    const QString path = imageRoot + u'/' + pieces->join(u'/');
    const QFileInfo file(path);
    if (!file.isFile())
        return {};
    // A symbolic link inside the tree must not lead out of it.
    const QString canonicalRoot = QFileInfo(imageRoot).canonicalFilePath();
    const QString canonical = file.canonicalFilePath();
    if (canonicalRoot.isEmpty() || !canonical.startsWith(canonicalRoot + u'/'))
        return {};
    return canonical;
}

} // namespace orvix::server
