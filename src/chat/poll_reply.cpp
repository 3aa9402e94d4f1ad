#include "chat/poll_reply.h"

#include "net/reply_text.h"

namespace orvix {

PollReply PollReply::parse(const QString& text) {
    PollReply reply;
    const ReplyFields tokens(text);
    if (tokens.field(1) == QLatin1String("0"))
        return reply;
    const QString status = tokens.field(2);
    if (status == QLatin1String("-1")) {
        reply.status = Status::AccessEnded;
        return reply;
    }
    if (status == QLatin1String("0")) {
        reply.status = Status::Nothing;
        return reply;
    }
    reply.status = Status::Record;
    for (int n = 1; n <= 11; ++n)
        reply.fields[std::size_t(n - 1)] = tokens.field(n + 2);
    return reply;
}

} // namespace orvix
