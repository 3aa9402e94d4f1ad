#pragma once

#include <QString>
#include <QtGlobal>

namespace orvix {

// A server address as the session keeps it: "host[:port]". The port is optional and defaults
// to the caller's (80 for the form scripts). An IPv6 host is written in brackets when a port
// follows ("[::1]:8080"); a bare IPv6 address ("::1") is taken as a host without a port.
struct ServerAddress {
    QString host;
    quint16 port = 80;

    // Splits the address. A port that is not a number from 1 to 65535 leaves port 0, which
    // isValid() reports, so that a mistyped address fails instead of reaching another port.
    static ServerAddress parse(const QString& address, quint16 defaultPort = 80);

    bool isValid() const { return !host.isEmpty() && port != 0; }
};

} // namespace orvix
