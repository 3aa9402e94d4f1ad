#include "server/scripts/board/attach_content_script.h"

#include "server/scripts/board/board_caller.h"

#include <QDateTime>

namespace orvix::server {

AttachContentScript::AttachContentScript(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

ScriptReply AttachContentScript::operator()(const ScriptRequest& request) const {
    ScriptReply refusal;
    const auto caller = BoardCaller::resolve(m_context, *m_store, request, true, &refusal);
    if (!caller)
        return refusal;
    const QString info = request.form.value(u"info");
    if (info.isEmpty())
        return ScriptReply::text(BoardCaller::kDone);
    bool failed = false;
    const auto content = m_store->memberContent(info, caller->memberNo, &failed);
    if (failed)
        return ScriptReply::failure(BoardCaller::kRefused);
    if (!content)
        return ScriptReply::text(BoardCaller::kRefused);
    const auto kind = content->style == QLatin1String("text") ? PostEntry::Kind::Opinion
                                                              : PostEntry::Kind::Content;
    if (!m_store->addEntry(caller->post.mailIdx, caller->memberNo, kind, QString(),
                           content->contentNo, QString(), QDateTime::currentSecsSinceEpoch())) {
        return ScriptReply::failure(BoardCaller::kRefused);
    }
    return ScriptReply::text(BoardCaller::kDone);
}

} // namespace orvix::server
