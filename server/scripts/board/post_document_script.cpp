#include "server/scripts/board/post_document_script.h"

#include "server/scripts/board/board_caller.h"

#include <QDateTime>

namespace orvix::server {

PostDocumentScript::PostDocumentScript(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

PostDocumentScript::Document PostDocumentScript::split(const QString& content) {
    Document document;
    const qsizetype first = content.indexOf(u'|');
    if (first < 0) {
        document.address = content;
        return document;
    }
    document.address = content.first(first);
    const qsizetype second = content.indexOf(u'|', first + 1);
    if (second < 0) {
        document.fileName = content.sliced(first + 1);
        return document;
    }
    document.fileName = content.sliced(first + 1, second - first - 1);
    document.comment = content.sliced(second + 1);
    return document;
}

ScriptReply PostDocumentScript::operator()(const ScriptRequest& request) const {
    ScriptReply refusal;
    const auto caller = BoardCaller::resolve(m_context, *m_store, request, true, &refusal);
    if (!caller)
        return refusal;
    const QString content = request.form.value(u"content");
    if (split(content).address.trimmed().isEmpty())
        return ScriptReply::text(BoardCaller::kRefused);
    if (!m_store->addEntry(caller->post.mailIdx, caller->memberNo, PostEntry::Kind::Document,
                           content, std::nullopt, QString(), QDateTime::currentSecsSinceEpoch())) {
        return ScriptReply::failure(BoardCaller::kRefused);
    }
    return ScriptReply::text(BoardCaller::kDone);
}

} // namespace orvix::server
