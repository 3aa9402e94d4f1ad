#include "server/scripts/chat/chat_poll_script.h"

#include "server/core/reply_builder.h"
#include "server/core/server_context.h"
#include "server/scripts/chat/chat_fields.h"
#include "server/scripts/chat/chat_store.h"

namespace orvix::server {

ChatPollScript::ChatPollScript(ServerContext& context, ChatStore& store, PollObserver observer)
    : m_context(context)
    , m_store(store)
    , m_observer(std::move(observer)) {}

ScriptReply ChatPollScript::operator()(const ScriptRequest& request) const {
    const QString deviceId = request.form.value(u"deviceid");
    if (deviceId.isEmpty())
        return ScriptReply::text(ReplyBuilder{QStringLiteral("1"), QStringLiteral("-1")}.text());
    using Outcome = ChatStore::Poll::Outcome;
    const ChatStore::Poll poll = m_store.nextFor(deviceId);
    switch (poll.outcome) {
    case Outcome::Failed:
        return ScriptReply::failure(QStringLiteral("0"));
    case Outcome::UnknownDevice:
        return ScriptReply::text(ReplyBuilder{QStringLiteral("1"), QStringLiteral("-1")}.text());
    case Outcome::Nothing:
    case Outcome::Message:
        break;
    }
    if (m_observer)
        m_observer(deviceId, poll.memberNo);
    if (poll.outcome == Outcome::Nothing)
        return ScriptReply::text(ReplyBuilder{QStringLiteral("1"), QStringLiteral("0")}.text());

    const ChatMessageRecord& m = poll.message;
    ReplyBuilder reply;
    reply.add(QStringLiteral("1"))
        .add(QStringLiteral("1"))
        .add(m.messageNo)
        .add(m.roomNo)
        .add(m.senderNo)
        .add(poll.memberNo)
        .add(ChatFields::clean(m.content))
        .add(m.kind)
        .add(QString())
        .add(ChatFields::label(m.sentAt))
        .add(QString())
        .add(QString())
        .add(m_context.config().publicAddress);
    return ScriptReply::text(reply.text());
}

} // namespace orvix::server
