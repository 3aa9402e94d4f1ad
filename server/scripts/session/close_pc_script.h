#pragma once

#include "server/core/route_table.h"

namespace orvix::server {

class ServerContext;

// "/android/closeusepc.php" (deviceid): ends that PC session; requests that name the device id
// afterwards are refused. Replies "1" when a session ended, "0" when the device id named no
// open session.
class ClosePcScript {
public:
    explicit ClosePcScript(ServerContext& context);

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
};

} // namespace orvix::server
