#pragma once

#include "server/core/server_limits.h"

#include <QString>

namespace orvix::server {

// Everything "serve" is told on its command line.
struct ServerConfig {
    QString dataDir;
    QString bindAddress = QStringLiteral("127.0.0.1");
    quint16 httpPort = 8080;
    quint16 uploadPort = 2000;
    // The server address and image server address that login replies give; empty means
    // "127.0.0.1:<HTTP port>" with the port actually listened on.
    QString publicAddress;
    bool demo = false;
    bool autoApprove = false;
    qint64 maxUpload = qint64(100) * 1024 * 1024;
    // Client versions announced by login replies.
    QString versionCode = QStringLiteral("7");
    QString versionName = QStringLiteral("0.5.6");
    QString minVersionCode = QStringLiteral("7");
    // Caps and time limits of both ports and of the login.
    ServerLimits limits;
};

} // namespace orvix::server
