#include "chat/incoming_messages.h"

#include "chat/chat_conversation.h"
#include "chat/chat_message.h"
#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "chat/chat_room_list.h"
#include "chat/local_file_name.h"
#include "chat/poll_reply.h"
#include "chat/room_list_reply.h"

namespace orvix {

IncomingMessages::IncomingMessages(ChatRoomList& rooms, ChatConversation& conversation, Host& host)
    : m_rooms(rooms)
    , m_conversation(conversation)
    , m_host(host) {}

IncomingMessages::Outcome IncomingMessages::Accept(const PollReply& reply) {
    const QString& kind = reply.kind();
    const bool text = kind == QLatin1String("1");
    const bool photo = kind == QLatin1String("3");
    if (!text && !photo && kind != QLatin1String("9"))
        return Outcome::Dropped;

    ChatRoom* room = m_rooms.FindRoom(reply.roomNumber());
    if (!room) {
        // The new list arrives later; this record is lost, as the room is not known yet.
        m_host.requestRoomList();
        room = m_rooms.FindRoom(reply.roomNumber());
        if (!room)
            return Outcome::RoomUnknown;
    }
    if (!room->messages)
        return Outcome::Dropped;

    if (!text && !photo) {
        // The room was closed: its conversation goes, and the list is loaded again.
        // Only the conversation of that room is cleared; another room on screen stays.
        const bool shown = m_conversation.messages() == room->messages.get();
        if (shown)
            m_conversation.clearMessages();
        room->messages.reset();
        m_host.requestRoomList();
        if (shown)
            m_host.repaintConversation();
        return Outcome::RoomClosed;
    }

    const int side = reply.isOwn() ? ChatMessage::Own : ChatMessage::Partner;
    if (photo) {
        // Each file is fetched into the working folder under its own name, if that name is a
        // plain file name; the bubble of a name that is not shows no picture.
        const QString& names = reply.content();
        const qsizetype bar = names.indexOf(u'|');
        const QString first = bar < 0 ? names : names.left(bar);
        const QString second = bar < 0 ? QString() : names.mid(bar + 1);
        for (const QString& name : {first, second}) {
            const QString path = LocalFileName::pathIn(m_settings.workFolder, name);
            if (path.isEmpty())
                continue;
            m_host.download(
                QStringLiteral("http://%1/image/chatdata/%2").arg(reply.photoHost(), name), path);
        }
    }

    auto message = std::make_unique<ChatMessage>();
    message->SetContent(text ? ChatMessage::Text : ChatMessage::Photo, reply.content(),
                        reply.label(), side, m_settings.workFolder, m_settings.measuringDevice);
    message->setRoomNumber(room->number);
    if (side == ChatMessage::Partner)
        message->setSenderPicture(m_rooms.photoOf(*room), room->defaultPicture);
    else
        message->setSenderPicture(m_settings.memberPhoto, m_settings.defaultMemberPicture);

    m_host.playSound();
    if (text)
        room->preview = RoomListReply::cutPreview(reply.content());
    room->messages->append(std::move(message));

    if (m_conversation.roomNumberText() == reply.roomNumber() &&
        m_conversation.messages() == room->messages.get()) {
        m_host.relayoutConversation();
    } else {
        room->unread += 1;
    }
    m_rooms.MoveRoomToTop(*room);
    m_host.repaintRoomList();
    return Outcome::Filed;
}

} // namespace orvix
