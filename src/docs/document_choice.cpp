#include "docs/document_choice.h"

#include "docs/document_file.h"

#include <QFileInfo>

namespace orvix {

QString DocumentChoice::extensionOf(const QString& path) {
    QString extension = DocumentFile::upperExtension(path);
    extension.replace(u'&', u' ');
    return extension;
}

std::optional<DocumentChoice> DocumentChoice::fromPath(const QString& path) {
    const QString extension = extensionOf(path);
    if (path.isEmpty() || !DocumentFile::isAccepted(DocumentFile::upperExtension(path)))
        return std::nullopt;
    DocumentChoice choice;
    choice.m_localPath = path;
    choice.m_fileName = QFileInfo(path).fileName();
    choice.m_extension = extension;
    return choice;
}

} // namespace orvix
