#include "server/scripts/board/post_photo_script.h"

#include "server/core/server_context.h"
#include "server/scripts/board/board_caller.h"
#include "server/storage/image_path.h"

#include <QDateTime>
#include <QImageReader>

namespace orvix::server {

PostPhotoScript::PostPhotoScript(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

bool PostPhotoScript::isListPhotoName(const QString& name) {
    if (name.isEmpty() || name.size() > 120 || name == QLatin1String("0") ||
        name.startsWith(u'.')) {
        return false;
    }
    for (QChar c : name) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'.' || c == u'_' || c == u'-';
        if (!plain)
            return false;
    }
    return true;
}

ScriptReply PostPhotoScript::operator()(const ScriptRequest& request) const {
    ScriptReply refusal;
    const auto caller = BoardCaller::resolve(m_context, *m_store, request, true, &refusal);
    if (!caller)
        return refusal;
    const QString folder = request.form.value(u"forder");
    const QString file = request.form.value(u"imgfile");
    if (folder != BoardStore::mailboxFolder(caller->memberNo) || !ImagePath::isSafePiece(file))
        return ScriptReply::text(BoardCaller::kRefused);
    const QString path =
        ImagePath::resolveExisting(m_context.folder().imageRoot(), folder + u'/' + file);
    if (path.isEmpty() || !QImageReader(path).canRead())
        return ScriptReply::text(BoardCaller::kRefused);

    const bool listPhoto = caller->memberNo == caller->post.ownerMemberNo &&
                           caller->post.mailboxNo == caller->memberNo && isListPhotoName(file);
    if (!m_store->addEntry(caller->post.mailIdx, caller->memberNo, PostEntry::Kind::Photo,
                           folder + u'/' + file, std::nullopt, listPhoto ? file : QString(),
                           QDateTime::currentSecsSinceEpoch())) {
        return ScriptReply::failure(BoardCaller::kRefused);
    }
    return ScriptReply::text(BoardCaller::kDone);
}

} // namespace orvix::server
