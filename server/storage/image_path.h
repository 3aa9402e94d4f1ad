#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace orvix::server {

// Names inside the image tree. Folders and file names come from the network (upload headers,
// /image/ addresses), so every piece is checked before it becomes a path: a piece is never
// empty, "." or "..", and holds no "/", no "\" and no control character. Nothing that passes
// can leave the tree.
class ImagePath {
public:
    // One folder or file name piece.
    static bool isSafePiece(QStringView piece);

    // A folder below the tree, pieces joined by "/" ("chatdata", "mailbox/0000000012").
    // Gives the pieces, or nothing when the folder is not acceptable.
    static std::optional<QStringList> splitFolder(QStringView folder);

    // A relative path below the tree ("memberphoto/mem1.jpg"): at least one folder piece
    // followed by a file name, or nothing when not acceptable.
    static std::optional<QStringList> splitFile(QStringView relative);

    // The absolute path of an existing regular file for a relative path below imageRoot, or an
    // empty text when the path is not acceptable, missing, not a plain file, or leads outside
    // the tree through a symbolic link.
    static QString resolveExisting(const QString& imageRoot, QStringView relative);

    // The real (canonical) path of a folder below imageRoot, given as checked pieces, creating
    // the pieces that are missing one by one inside their already checked parent. Empty, with a
    // reason, when a piece is no folder, or a piece is a symbolic link that leads out of the
    // tree (or nowhere): nothing is ever created outside the tree.
    static QString prepareFolder(const QString& imageRoot, const QStringList& pieces,
                                 QString* reason);
};

} // namespace orvix::server
