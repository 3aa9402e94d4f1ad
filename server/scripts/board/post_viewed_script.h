#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/orviviewupdate.php" (deviceid, mailidx): the member opened the post. The member
// joins the post (counted among its members) and the post is no longer new to them. Replies
// "1"; "0" for an unknown session or post.
class PostViewedScript {
public:
    PostViewedScript(ServerContext& context, std::shared_ptr<BoardStore> store);

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
