#pragma once

#include "server/core/route_table.h"

#include <functional>

namespace orvix::server {

class ChatStore;
class ServerContext;

// "/android/getreceivechatpc.php" (deviceid): the next chat message for this PC session.
//
// Replies: "1</>0" nothing new; "1</>-1" the device's PC session has ended or is unknown;
// otherwise "1</>1" and one record of eleven fields: the message number, room number, sender's
// member number, the polling member's number (equal to the sender's for the member's own message
// written elsewhere), content, kind ("1" text, "3" photo "THUMB|PHOTO", "9" room closed), an
// empty field, the time label "YYYY-MM-DD HH:MM", two empty fields and the host of the photo
// files (the public address). "0" when the database failed.
class ChatPollScript {
public:
    // Told of each poll of an open session (device id, member number); the demo uses it.
    using PollObserver = std::function<void(const QString&, qint64)>;

    ChatPollScript(ServerContext& context, ChatStore& store, PollObserver observer = {});

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
    ChatStore& m_store;
    PollObserver m_observer;
};

} // namespace orvix::server
