#include "board/post_list_reply.h"

#include "net/reply_text.h"

namespace orvix {

namespace {

constexpr int kRowHeight = 100;
// A scroll range holds an int; keep well inside it.
constexpr qint64 kHighestScroll = 1 << 30;

} // namespace

PostListEntry PostListReply::parsePost(const QString& field) {
    const ReplyFields parts(field, u"#");
    PostListEntry post;
    post.mailIndex = parts.field(1);
    post.mailboxNumber = parts.number(2);
    post.title = parts.field(6);
    post.opinionCount = parts.field(7);
    post.memberCount = parts.field(8);
    post.isNew = parts.field(9) != QLatin1String("0");
    post.photoName = parts.field(11);
    post.photoHost = parts.field(12);
    post.ownerName = parts.field(13);
    return post;
}

std::optional<PostListReply> PostListReply::parse(const QString& text) {
    const ReplyFields fields(text);
    if (fields.field(1) != QLatin1String("1"))
        return std::nullopt;
    PostListReply reply;
    reply.count = fields.number(2);
    for (int i = 0; i < reply.count; ++i) {
        const QString post = fields.field(3 + i);
        if (post.isEmpty())
            break;
        reply.posts.append(parsePost(post));
    }
    return reply;
}

int PostListReply::scrollHeight() const {
    return int(qBound<qint64>(0, qint64(count) * kRowHeight, kHighestScroll));
}

} // namespace orvix
