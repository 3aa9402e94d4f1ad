#pragma once

#include "server/core/route_table.h"

namespace orvix::server {

class ChatStore;
class ServerContext;

// "/android/chatlistpc.php" (id, password): the member's open chat rooms.
//
// Reply: "happychatlist", the number of rooms, then nine fields per room: room number, the
// number of members, the number of messages, preview (the last message), caption (its time),
// title (the partner's name), photo marker ("1" when the partner has a photo, "0" otherwise),
// the partner's member number and the host of the partner's photo (the public address); every
// field is followed by "</>". Wrong credentials: "0".
class ChatListScript {
public:
    ChatListScript(ServerContext& context, ChatStore& store);

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
    ChatStore& m_store;
};

} // namespace orvix::server
