#pragma once

#include "server/core/route_table.h"

namespace orvix::server {

class ServerContext;

// The two scripts that make a registered content (named by the token of its registration
// reply, "info") what others see of a member:
// - "/android/setmyinfo.php" (deviceid, info): the member's profile, downloaded as
//   "mem<member number, twelve digits>.sml" from the member's mailbox folder;
// - "/android/updatestoreinfo.php" (deviceid, info): the content of the member's store,
//   downloaded as "st<store number, nine digits>.sml" from the same folder.
// Reply "1" when done; "0" for an unknown or ended device, a token that names no content of
// this member, or a member without a store.
class PublishContentScript {
public:
    enum class Target { Profile, Store };

    PublishContentScript(ServerContext& context, Target target);

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
    Target m_target;
};

} // namespace orvix::server
