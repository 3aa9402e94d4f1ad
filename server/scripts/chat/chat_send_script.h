#pragma once

#include "server/core/route_table.h"

#include <functional>

namespace orvix::server {

class ChatPhotos;
class ChatStore;
class ServerContext;

// "/android/chatsendtextpc.php" (deviceid, idx, roomidx, receiveidx, content, style, sendidx,
// pcsend): a message written on a PC.
//
// "1" when the message is stored, and also when the same device sends the same idx again (the
// first answer was lost): it is not stored twice. "0" when the device's PC session has ended or
// is unknown, sendidx is not that session's member, the member is not in that open room, the
// style is neither "1" (text) nor "3" (photo), or a photo's content does not name two files
// already uploaded to image/chatdata/. The partner's number (receiveidx) is not needed: the
// room names both members.
class ChatSendScript {
public:
    // Told of each message stored (room, sender, kind, content); the demo uses it.
    using SendObserver = std::function<void(qint64, qint64, int, const QString&)>;

    ChatSendScript(ServerContext& context, ChatStore& store, const ChatPhotos& photos,
                   SendObserver observer = {});

    ScriptReply operator()(const ScriptRequest& request) const;

private:
    ServerContext& m_context;
    ChatStore& m_store;
    const ChatPhotos& m_photos;
    SendObserver m_observer;
};

} // namespace orvix::server
