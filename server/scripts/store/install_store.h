#pragma once

#include "server/core/server_feature.h"

namespace orvix::server {

class RouteTable;
class ServerContext;

// Store registration from the PC's store form, and the store's address page.
void installStore(RouteTable& routes, ServerContext& context);
ServerFeature storeFeature();

} // namespace orvix::server
