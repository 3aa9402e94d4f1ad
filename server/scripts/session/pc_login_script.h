#pragma once

#include "server/core/route_table.h"

namespace orvix::server {

class ServerContext;

// "/android/pclogin.php" (id, password): the PC login.
//
// Replies, fields joined by "</>":
// - wrong ID or password: "0";
// - the member's phone has not agreed yet: "1", "0" (a pending approval is opened);
// - the phone refused: "1", "2";
// - admitted: "1", "1", member number, device id, photo marker ("1" with a photo, "0"
//   without), store number, latest version code, latest version name, server address, image
//   server address, two empty fields, minimum version code.
// The password "0" is the value that the phone application sets when a member has to choose a
// new password; the PC never logs in with it, and the server treats it as a wrong password.
class PcLoginScript {
public:
    explicit PcLoginScript(ServerContext& context);

    ScriptReply operator()(const ScriptRequest& request) const;

    static inline const QString kPasswordMustChange = QStringLiteral("0");

private:
    ServerContext& m_context;
};

} // namespace orvix::server
