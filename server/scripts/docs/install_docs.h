#pragma once

#include "server/core/server_feature.h"

namespace orvix::server {

class RouteTable;
class ServerContext;

// Documents: registration of an uploaded document, the member's document library page, and
// the web site's home page that leads to it.
void installDocs(RouteTable& routes, ServerContext& context);
ServerFeature docsFeature();

} // namespace orvix::server
