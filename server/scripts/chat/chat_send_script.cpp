#include "server/scripts/chat/chat_send_script.h"

#include "server/core/server_context.h"
#include "server/scripts/chat/chat_photos.h"
#include "server/scripts/chat/chat_store.h"

namespace orvix::server {

namespace {

const QString kStored = QStringLiteral("1");
const QString kRefused = QStringLiteral("0");

// A positive decimal number without sign or blanks, or 0.
qint64 positiveNumber(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value <= 0 || text.front() == u'+')
        return 0;
    return value;
}

} // namespace

ChatSendScript::ChatSendScript(ServerContext& context, ChatStore& store, const ChatPhotos& photos,
                               SendObserver observer)
    : m_context(context)
    , m_store(store)
    , m_photos(photos)
    , m_observer(std::move(observer)) {}

ScriptReply ChatSendScript::operator()(const ScriptRequest& request) const {
    const FormBody& form = request.form;
    const QString deviceId = form.value(u"deviceid");
    if (deviceId.isEmpty())
        return ScriptReply::text(kRefused);
    const auto member = m_context.pcAccess().sessionMember(deviceId);
    if (!member)
        return ScriptReply::text(kRefused);
    if (positiveNumber(form.value(u"sendidx")) != *member)
        return ScriptReply::text(kRefused);
    const qint64 roomNo = positiveNumber(form.value(u"roomidx"));
    if (roomNo == 0)
        return ScriptReply::text(kRefused);
    const QString style = form.value(u"style");
    int kind = 0;
    if (style == QLatin1String("1"))
        kind = ChatKind::Text;
    else if (style == QLatin1String("3"))
        kind = ChatKind::Photo;
    else
        return ScriptReply::text(kRefused);
    const QString content = form.value(u"content");
    if (kind == ChatKind::Photo && !m_photos.contentNamesStoredFiles(content))
        return ScriptReply::text(kRefused);

    using Outcome = ChatStore::Sending::Outcome;
    const auto sending =
        m_store.addMessage(roomNo, *member, kind, content, deviceId, form.value(u"idx"));
    switch (sending.outcome) {
    case Outcome::Stored:
        if (m_observer)
            m_observer(roomNo, *member, kind, content);
        return ScriptReply::text(kStored);
    case Outcome::Duplicate:
        return ScriptReply::text(kStored);
    case Outcome::NotInRoom:
        return ScriptReply::text(kRefused);
    case Outcome::Failed:
        break;
    }
    return ScriptReply::failure(kRefused);
}

} // namespace orvix::server
