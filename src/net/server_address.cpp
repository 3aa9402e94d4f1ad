#include "net/server_address.h"

namespace orvix {

namespace {

// The port text after the colon: digits only, 1 to 65535; otherwise 0.
quint16 readPort(QStringView text) {
    if (text.isEmpty() || text.size() > 5)
        return 0;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value >= 1 && value <= 65535 ? static_cast<quint16>(value) : 0;
}

} // namespace

ServerAddress ServerAddress::parse(const QString& address, quint16 defaultPort) {
    ServerAddress result;
    result.port = defaultPort;
    if (address.startsWith(u'[')) {
        const qsizetype close = address.indexOf(u']');
        if (close < 0) {
            result.host = address;
            result.port = 0;
            return result;
        }
        result.host = address.mid(1, close - 1);
        const QStringView rest = QStringView(address).mid(close + 1);
        if (!rest.isEmpty())
            result.port = rest.startsWith(u':') ? readPort(rest.mid(1)) : 0;
        return result;
    }
    const qsizetype colon = address.indexOf(u':');
    if (colon < 0 || address.indexOf(u':', colon + 1) >= 0) {
        // No port, or a bare IPv6 address whose colons are not a port separator.
        result.host = address;
        return result;
    }
    result.host = address.left(colon);
    result.port = readPort(QStringView(address).mid(colon + 1));
    return result;
}

} // namespace orvix
