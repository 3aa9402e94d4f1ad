#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvix {

// What the login told about the member and the server, plus the settings of this run. Set at
// start-up and by the login reply; read by every window.
struct SessionRecord {
    static inline const QString clientVersionCode = QStringLiteral("7");
    static inline const QString clientVersionName = QStringLiteral("0.5.6");

    QString workFolder;             // <Documents>/OrvixWin
    int country = 2;                // column of the text tables: 0 Korea, 1 China, 2 other
    QStringList fontTable;          // face names by country code
    QString serverAddress;          // host[:port] of every server script
    QByteArray serverAddressNarrow; // the same in the system code page, for the Host header
    QString imageServerAddress;     // host[:port] of photos, uploads and downloads
    QString memberId;
    QString password;
    QString deviceId;
    QString memberNumber;
    QString storeNumber;
    QString latestVersionCode;
    QString latestVersionName;
    QString minimumVersionCode;
    QString reservedField11;
    QString reservedField12;
    QString memberPhotoPath; // empty when the member has no photo
};

} // namespace orvix
