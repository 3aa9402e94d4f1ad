#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/upimageorvi_new_pc.php" (deviceid, mailidx, imgfile, forder): attaches a photo that
// the member uploaded to /image/<forder>/<imgfile> to the post (the field is spelled
// "forder"). The folder must be the member's own mailbox folder and the file a picture that is
// there. When the post has no photo yet and the owner attaches one with a plain file name
// (letters, digits, ".", "_", "-"), it becomes the post's photo in the list. Replies "1"; "0"
// for an unknown session or post, another folder, or a missing or unreadable picture.
class PostPhotoScript {
public:
    PostPhotoScript(ServerContext& context, std::shared_ptr<BoardStore> store);

    ScriptReply operator()(const ScriptRequest& request) const;

    // Whether a file name can stand as a post's photo in the list and in its address.
    static bool isListPhotoName(const QString& name);

private:
    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
