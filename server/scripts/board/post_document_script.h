#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/orwritedoc_new.php" (deviceid, mailidx, content): attaches a document to the post.
// The content is "ADDRESS|FILENAME|COMMENT": the web address of the uploaded document, the name
// it had on the member's PC and the member's comment (which may itself hold "|"). Replies "1";
// "0" for an unknown session or post, or a content without an address.
class PostDocumentScript {
public:
    PostDocumentScript(ServerContext& context, std::shared_ptr<BoardStore> store);

    ScriptReply operator()(const ScriptRequest& request) const;

    struct Document {
        QString address;
        QString fileName;
        QString comment;
    };
    // Splits a document entry at its first two "|".
    static Document split(const QString& content);

private:
    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
