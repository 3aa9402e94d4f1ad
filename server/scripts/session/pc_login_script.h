#pragma once

#include "server/core/route_table.h"
#include "server/storage/member_store.h"

namespace orvix::server {

class LoginGuard;
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
//
// The password is checked by the LoginGuard (on a worker thread when it has not been checked
// before), so the script answers later: it is a deferred script. An admitted session remembers
// the address of the login, which may then upload files.
class PcLoginScript {
public:
    PcLoginScript(ServerContext& context, LoginGuard& guard);

    void operator()(const ScriptRequest& request, RouteTable::ScriptResponder respond) const;

    // The reply to a login with the right password, from the address.
    static ScriptReply admit(ServerContext& context, const MemberRecord& member,
                             const QString& address);

    static inline const QString kPasswordMustChange = QStringLiteral("0");

private:
    ServerContext& m_context;
    LoginGuard& m_guard;
};

} // namespace orvix::server
