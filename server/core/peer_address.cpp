#include "server/core/peer_address.h"

namespace orvix::server {

QString PeerAddress::text(const QHostAddress& address) {
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4)
        return QHostAddress(ipv4).toString();
    QHostAddress plain(address);
    plain.setScopeId(QString());
    return plain.toString();
}

} // namespace orvix::server
