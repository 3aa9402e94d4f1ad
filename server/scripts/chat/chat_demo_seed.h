#pragma once

#include <QString>

namespace orvix::server {

class ServerContext;

// The demo's chat rooms: the member "demo" with each of the three other demo members, each room
// with a few messages (one of them a photo), written over the last day. A room that exists
// already is left as it is.
bool seedChatDemo(ServerContext& context, QString* error);

} // namespace orvix::server
