#pragma once

#include "server/core/server_feature.h"

namespace orvix::server {

class RouteTable;
class ServerContext;

// Contents built in the desktop editor: their registration, and the scripts that make one the
// member's profile or the store's content.
void installContent(RouteTable& routes, ServerContext& context);
ServerFeature contentFeature();

} // namespace orvix::server
