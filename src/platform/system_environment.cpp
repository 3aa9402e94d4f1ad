#include "platform/system_environment.h"

#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

namespace orvix {

QString SystemEnvironment::countryIsoCode() const {
    const QLocale::Territory territory = QLocale::system().territory();
    if (territory == QLocale::AnyTerritory)
        return {};
    return QLocale::territoryToCode(territory);
}

QString SystemEnvironment::documentsFolder() const {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir::cleanPath(folder);
}

QByteArray SystemEnvironment::toSystemCodePage(const QString& text) const {
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString SystemEnvironment::fromSystemCodePage(const QByteArray& bytes) const {
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}

QDateTime SystemEnvironment::currentDateTime() const {
    return QDateTime::currentDateTime();
}

} // namespace orvix
