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

QString ImagePath::prepareFolder(const QString& imageRoot, const QStringList& pieces,
                                 QString* reason) {
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = why;
        return QString();
    };
    const QString root = QFileInfo(imageRoot).canonicalFilePath();
    if (root.isEmpty())
        return fail(QStringLiteral("the image folder %1 is missing").arg(imageRoot));
    QString current = root;
    for (const QString& piece : pieces) {
        if (!isSafePiece(piece))
            return fail(QStringLiteral("folder name \"%1\" is not acceptable").arg(piece));
        const QString next = current + u'/' + piece;
        const QFileInfo entry(next);
        // A dangling symbolic link does not "exist", but must not be replaced by a folder.
        if (!entry.exists() && !entry.isSymLink() && !QDir(current).mkdir(piece) &&
            !QFileInfo(next).isDir()) {
            return fail(QStringLiteral("cannot create the folder %1").arg(next));
        }
        const QString real = QFileInfo(next).canonicalFilePath();
        if (real.isEmpty() || !real.startsWith(root + u'/'))
            return fail(QStringLiteral("folder %1 leads out of the image tree").arg(next));
        if (!QFileInfo(real).isDir())
            return fail(QStringLiteral("%1 is not a folder").arg(next));
        current = real;
    }
    return current;
}

} // namespace orvix::server
