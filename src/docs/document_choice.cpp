#include "docs/document_choice.h"

#include <QFileInfo>

#include <array>

namespace orvix {

QString DocumentChoice::extensionOf(const QString& path) {
    QString extension = QFileInfo(path).suffix().toUpper();
    extension.replace(u'&', u' ');
    return extension;
}

bool DocumentChoice::isRefusedExtension(const QString& upperExtension) {
    static const std::array<QString, 5> refused = {QStringLiteral("PHP"), QStringLiteral("HTM"),
                                                   QStringLiteral("HTML"), QStringLiteral("EXE"),
                                                   QStringLiteral("PHP3")};
    for (const QString& extension : refused) {
        if (upperExtension == extension)
            return true;
    }
    return false;
}

std::optional<DocumentChoice> DocumentChoice::fromPath(const QString& path) {
    const QString extension = extensionOf(path);
    if (path.isEmpty() || isRefusedExtension(extension))
        return std::nullopt;
    DocumentChoice choice;
    choice.m_localPath = path;
    choice.m_fileName = QFileInfo(path).fileName();
    choice.m_extension = extension;
    return choice;
}

} // namespace orvix
