#pragma once

#include <QHostAddress>
#include <QString>

namespace orvix::server {

// The text that names a peer's address wherever the server compares or stores one (connection
// caps, login throttling, the PC session that allows uploads). An IPv4 peer reached through a
// dual-stack socket ("::ffff:127.0.0.1") is named by its IPv4 address, so that both ports agree.
class PeerAddress {
public:
    static QString text(const QHostAddress& address);
};

} // namespace orvix::server
