#include "server/scripts/board/opinion_script.h"

#include "server/scripts/board/board_caller.h"

#include <QDateTime>

namespace orvix::server {

OpinionScript::OpinionScript(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

ScriptReply OpinionScript::operator()(const ScriptRequest& request) const {
    ScriptReply refusal;
    const auto caller = BoardCaller::resolve(m_context, *m_store, request, true, &refusal);
    if (!caller)
        return refusal;
    bool failed = false;
    const auto content =
        m_store->memberContent(request.form.value(u"info"), caller->memberNo, &failed);
    if (failed)
        return ScriptReply::failure(BoardCaller::kRefused);
    if (!content || content->style != QLatin1String("text"))
        return ScriptReply::text(BoardCaller::kRefused);
    if (!m_store->addEntry(caller->post.mailIdx, caller->memberNo, PostEntry::Kind::Opinion,
                           QString(), content->contentNo, QString(),
                           QDateTime::currentSecsSinceEpoch())) {
        return ScriptReply::failure(BoardCaller::kRefused);
    }
    return ScriptReply::text(BoardCaller::kDone);
}

} // namespace orvix::server
