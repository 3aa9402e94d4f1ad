#pragma once

#include "server/core/server_feature.h"

namespace orvix::server {

class RouteTable;
class ServerContext;

// The PC session: login with the phone's approval and the end of a PC session.
void installSession(RouteTable& routes, ServerContext& context);
QList<AdminCommand> sessionAdminCommands();
ServerFeature sessionFeature();

} // namespace orvix::server
