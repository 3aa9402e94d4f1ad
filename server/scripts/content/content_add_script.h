#pragma once

#include "server/core/route_table.h"

namespace orvix::server {

class ServerContext;

// "/android/contentadd_new.php" (deviceid, style, content, file, idate, title, imagefile):
// registers a content that the member's PC has just uploaded: its style ("replayinfo" for an
// editor content, "text" for an opinion), its HTML, the name of its file in the member's
// mailbox folder, the PC's clock, its title and its photo list. Nothing is decoded: the values
// are kept as the client typed them.
//
// Replies "1</>TOKEN", where TOKEN names the new content for the scripts that attach it to a
// profile, a store or a post; "0" for an unknown or ended device, an empty style, or a file
// name that cannot name a file in a folder.
class ContentAddScript {
public:
    explicit ContentAddScript(ServerContext& context);

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
};

} // namespace orvix::server
