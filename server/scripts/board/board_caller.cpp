#include "server/scripts/board/board_caller.h"

#include "server/core/server_context.h"

namespace orvix::server {

std::optional<qint64> BoardCaller::mailIndexOf(const QString& text) {
    // Plain decimal digits above 0, as content tokens are.
    return ContentStore::contentNoOf(text);
}

std::optional<BoardCaller> BoardCaller::resolve(ServerContext& context, BoardStore& store,
                                                const ScriptRequest& request, bool withPost,
                                                ScriptReply* refusal) {
    *refusal = ScriptReply::text(kRefused);
    const QString deviceId = request.form.value(u"deviceid");
    if (deviceId.isEmpty())
        return std::nullopt;
    const auto member = context.pcAccess().sessionMember(deviceId);
    if (!member)
        return std::nullopt;
    BoardCaller caller;
    caller.memberNo = *member;
    if (!withPost)
        return caller;
    const auto mailIdx = mailIndexOf(request.form.value(u"mailidx"));
    if (!mailIdx)
        return std::nullopt;
    bool failed = false;
    const auto post = store.post(*mailIdx, &failed);
    if (failed)
        *refusal = ScriptReply::failure(kRefused);
    if (!post)
        return std::nullopt;
    caller.post = *post;
    return caller;
}

} // namespace orvix::server
