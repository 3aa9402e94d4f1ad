#include "docs/document_file.h"

#include <QFileInfo>
#include <QStringList>

namespace orvix {

QString DocumentFile::upperExtension(const QString& fileName) {
    return QFileInfo(fileName).suffix().toUpper();
}

bool DocumentFile::isAccepted(const QString& upperExtension) {
    static const QStringList refused{QStringLiteral("PHP"), QStringLiteral("HTM"),
                                     QStringLiteral("HTML"), QStringLiteral("EXE"),
                                     QStringLiteral("PHP3")};
    return !refused.contains(upperExtension);
}

QString DocumentFile::targetFolder(const QString& memberNumber) {
    return QStringLiteral("document/%1").arg(memberNumber);
}

QString DocumentFile::targetName(const QString& memberNumber, qint32 seconds,
                                 const QString& upperExtension) {
    return memberNumber + QString::number(seconds) + QLatin1Char('.') + upperExtension;
}

} // namespace orvix
