#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/orwritetext_android_new.php" (deviceid, mailidx, info): adds the member's opinion,
// registered before as a content of style "text" (info is the token of that registration), to
// the post. Replies "1"; the same opinion sent again is accepted and not added twice. "0" for
// an unknown session or post, and for an info that names no opinion of this member.
class OpinionScript {
public:
    OpinionScript(ServerContext& context, std::shared_ptr<BoardStore> store);

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
