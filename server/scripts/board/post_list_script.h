#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/pcorvixlist.php" (deviceid, id): the board's posts as the member sees them.
//
// Reply: "1", the number N of posts, then N posts, fields joined by "</>". A post is 13 fields
// joined by "#": mail index, mailbox number (the owner's member number), three unused fields,
// title, opinion count, member count (members who wrote to or opened the post), new flag ("1"
// when the member has not opened the post since it last changed, else "0"), an unused field,
// photo name ("0" for none; served at /image/mailbox/<ten-digit mailbox number>/<name>), photo
// host, owner's name. Posts come most recently changed first.
//
// The client reads at most 10,240 bytes of reply, so the list holds the newest posts that fit.
// A title or name cannot carry the markers that split the reply: "#" is sent as "＃" and "</>"
// as "< />".
class PostListScript {
public:
    PostListScript(ServerContext& context, std::shared_ptr<BoardStore> store);

    ScriptReply operator()(const ScriptRequest& request) const;

    static constexpr int kReplyLimit = 10240;

    // A title or name as one "#" field.
    static QString listText(const QString& text);
    // One post as its 13 "#" fields.
    static QString postFields(const PostSummary& post, const QString& photoHost);

private:
    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
