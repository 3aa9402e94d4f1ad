#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <optional>

namespace orvix::server {

class ServerContext;

// Who asks and about which post: every board script names the member's PC session by its
// device id and most name a post by its mail index. An unknown or ended session, an unknown
// post or a mail index that is no number is refused with "0" before anything changes.
struct BoardCaller {
    qint64 memberNo = 0;
    PostRecord post; // set when the post was asked for

    static inline const QString kDone = QStringLiteral("1");
    static inline const QString kRefused = QStringLiteral("0");

    // The caller, or nothing with the reply to give instead (a refusal, or a failure when the
    // database could not answer).
    static std::optional<BoardCaller> resolve(ServerContext& context, BoardStore& store,
                                              const ScriptRequest& request, bool withPost,
                                              ScriptReply* refusal);

    // A mail index as the client sends it: decimal digits only.
    static std::optional<qint64> mailIndexOf(const QString& text);
};

} // namespace orvix::server
