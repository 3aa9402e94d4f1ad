#include "server/scripts/board/post_list_script.h"

#include "server/core/reply_builder.h"
#include "server/core/server_context.h"
#include "server/scripts/board/board_caller.h"

namespace orvix::server {

namespace {

// More posts than ever fit into one reply.
constexpr int kMostPosts = 600;

} // namespace

PostListScript::PostListScript(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

QString PostListScript::listText(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("</>"), QLatin1String("< />"));
    out.replace(u'#', QChar(0xFF03));
    return out;
}

QString PostListScript::postFields(const PostSummary& post, const QString& photoHost) {
    const QStringList fields{
        QString::number(post.mailIdx),
        QString::number(post.mailboxNo),
        QString(),
        QString(),
        QString(),
        listText(post.title),
        QString::number(post.opinionCount),
        QString::number(post.memberCount),
        post.isNew ? QStringLiteral("1") : QStringLiteral("0"),
        QString(),
        listText(post.photoName),
        photoHost,
        listText(post.ownerName),
    };
    return fields.join(u'#');
}

ScriptReply PostListScript::operator()(const ScriptRequest& request) const {
    ScriptReply refusal;
    const auto caller = BoardCaller::resolve(m_context, *m_store, request, false, &refusal);
    if (!caller)
        return refusal;
    const auto posts = m_store->list(caller->memberNo, kMostPosts);
    if (!posts)
        return ScriptReply::failure(BoardCaller::kRefused);

    const QString host = m_context.config().publicAddress;
    QStringList texts;
    qsizetype bytes = 0;
    for (const PostSummary& post : *posts) {
        const QString text = postFields(post, host);
        const qsizetype size = text.toUtf8().size() + ReplyBuilder::kSeparator.size();
        // "1</>N" in front of the posts.
        const qsizetype head =
            1 + ReplyBuilder::kSeparator.size() + QString::number(texts.size() + 1).size();
        if (head + bytes + size > kReplyLimit)
            break;
        texts.append(text);
        bytes += size;
    }
    ReplyBuilder reply{BoardCaller::kDone, QString::number(texts.size())};
    for (const QString& text : texts)
        reply.add(text);
    return ScriptReply::text(reply.text());
}

} // namespace orvix::server
