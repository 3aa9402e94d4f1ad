#include "server/scripts/board/post_viewed_script.h"

#include "server/scripts/board/board_caller.h"

#include <QDateTime>

namespace orvix::server {

PostViewedScript::PostViewedScript(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

ScriptReply PostViewedScript::operator()(const ScriptRequest& request) const {
    ScriptReply refusal;
    const auto caller = BoardCaller::resolve(m_context, *m_store, request, true, &refusal);
    if (!caller)
        return refusal;
    if (!m_store->markViewed(caller->post.mailIdx, caller->memberNo,
                             QDateTime::currentSecsSinceEpoch())) {
        return ScriptReply::failure(BoardCaller::kRefused);
    }
    return ScriptReply::text(BoardCaller::kDone);
}

} // namespace orvix::server
