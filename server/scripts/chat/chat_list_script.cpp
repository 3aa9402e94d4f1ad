#include "server/scripts/chat/chat_list_script.h"

#include "server/core/reply_builder.h"
#include "server/core/server_context.h"
#include "server/scripts/chat/chat_fields.h"
#include "server/scripts/chat/chat_store.h"

#include <QFileInfo>

namespace orvix::server {

namespace {

const QString kRefused = QStringLiteral("0");

} // namespace

ChatListScript::ChatListScript(ServerContext& context, ChatStore& store)
    : m_context(context)
    , m_store(store) {}

ScriptReply ChatListScript::operator()(const ScriptRequest& request) const {
    const QString id = request.form.value(u"id");
    const QString password = request.form.value(u"password");
    // The password "0" is the phone's reset value and never opens anything on a PC.
    if (id.isEmpty() || password.isEmpty() || password == QLatin1String("0"))
        return ScriptReply::text(kRefused);
    bool failed = false;
    const auto member = m_context.members().findByLoginId(id, &failed);
    if (failed)
        return ScriptReply::failure(kRefused);
    if (!member || !m_context.passwords().verify(password, member->passwordHash))
        return ScriptReply::text(kRefused);

    const auto rooms = m_store.roomsOf(member->memberNo);
    if (!rooms)
        return ScriptReply::failure(kRefused);
    const QString host = m_context.config().publicAddress;
    ReplyBuilder reply;
    reply.add(QStringLiteral("happychatlist")).add(qint64(rooms->size()));
    for (const ChatRoomSummary& room : *rooms) {
        const bool photo = room.partnerNo != 0 &&
                           QFileInfo(m_context.folder().memberPhotoPath(room.partnerNo)).isFile();
        reply.add(room.roomNo)
            .add(room.memberCount)
            .add(room.messageCount)
            .add(ChatFields::preview(room))
            .add(ChatFields::caption(room))
            .add(ChatFields::clean(room.partnerName))
            .add(photo ? QStringLiteral("1") : QStringLiteral("0"))
            .add(room.partnerNo)
            .add(host);
    }
    return ScriptReply::text(reply.text() + ReplyBuilder::kSeparator);
}

} // namespace orvix::server
