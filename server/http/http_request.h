#pragma once

#include "server/http/http_head.h"

#include <QByteArray>
#include <QHostAddress>

namespace orvix::server {

// One whole request: its head, its body (as many bytes as Content-Length announced) and the
// address it came from.
struct HttpRequest {
    HttpHead head;
    QByteArray body;
    QHostAddress peer;
};

} // namespace orvix::server
