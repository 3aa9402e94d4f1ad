#pragma once

#include <QString>
#include <QtGlobal>

class QProcessEnvironment;

namespace orvix {

// What a run of the program is pointed at from outside: read once, at start, by main and handed
// to the application object, which hands each value to what needs it. Tests set the fields.
struct Configuration {
    static inline const QString DefaultServerAddress = QStringLiteral("127.0.0.1:8080");
    static inline const QString DefaultWebHost = QStringLiteral("127.0.0.1:8080");
    static constexpr quint16 DefaultUploadPort = 2000;

    // The built-in server address the login goes to, "host[:port]" (ORVIX_SERVER).
    QString serverAddress = DefaultServerAddress;
    // The service's web site, "host[:port]" (ORVIX_WEB_HOST).
    QString webHost = DefaultWebHost;
    // The image server's upload port (ORVIX_UPLOAD_PORT).
    quint16 uploadPort = DefaultUploadPort;

    // Reads ORVIX_SERVER, ORVIX_WEB_HOST and ORVIX_UPLOAD_PORT. A variable that is unset or
    // blank keeps its default, and so does a port that is not a number from 1 to 65535.
    static Configuration fromEnvironment(const QProcessEnvironment& environment);
};

} // namespace orvix
