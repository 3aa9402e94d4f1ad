#pragma once

#include "server/core/route_table.h"

namespace orvix::server {

class ServerContext;

// "/": the service's web site, which the desktop program's upgrade prompt opens. It says what
// the service is, which desktop version is current, and leads to the document library.
class HomePage {
public:
    explicit HomePage(ServerContext& context);

    PageReply operator()(const PageRequest& request) const;

    static inline const QString kPath = QStringLiteral("/");

private:
    ServerContext& m_context;
};

} // namespace orvix::server
