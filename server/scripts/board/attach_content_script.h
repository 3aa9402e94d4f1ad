#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/orwriteinfo_android.php" and "/android/orwrtextupdate_new.php" (deviceid, mailidx,
// info): attach a content that the member registered (info is the token its registration
// answered) to the post. The editor sends both for a content written for a post; the post view
// sends the second after an opinion, a photo or a document, with the last opinion written (or
// an empty info when there was none). So:
// - an empty info is accepted ("1") and changes nothing;
// - a content already attached to the post is accepted and not attached twice;
// - a content of another member, or a token that names none, is refused ("0").
// An opinion (style "text") attaches as an opinion, anything else as a content.
class AttachContentScript {
public:
    AttachContentScript(ServerContext& context, std::shared_ptr<BoardStore> store);

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
