#pragma once

#include "server/core/server_feature.h"

namespace orvix::server {

class RouteTable;
class ServerContext;

// Chat: the room list, polling and sending scripts, the operator's chat commands and the demo
// rooms (with --demo, a partner who answers).
void installChat(RouteTable& routes, ServerContext& context);
QList<AdminCommand> chatAdminCommands();
ServerFeature chatFeature();

} // namespace orvix::server
