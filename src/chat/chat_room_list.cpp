#include "chat/chat_room_list.h"

#include "chat/chat_message_list.h"
#include "chat/chat_room.h"
#include "imaging/dib_picture.h"

#include <QHash>

#include <algorithm>

namespace orvix {

ChatRoomList::ChatRoomList() = default;
ChatRoomList::~ChatRoomList() = default;

int ChatRoomList::indexOf(const ChatRoom& room) const {
    for (std::size_t i = 0; i < m_rooms.size(); ++i) {
        if (m_rooms[i].get() == &room)
            return int(i);
    }
    return -1;
}

const ChatMessageList* ChatRoomList::Rebuild(const RoomListReply& reply, const PhotoFile& photoFile,
                                             const QImage& defaultPicture,
                                             const ChatMessageList* shown) {
    // What the old rooms had, by number; the first room of a number wins.
    QHash<int, ChatRoom*> old;
    for (const auto& room : m_rooms) {
        if (!old.contains(room->number))
            old.insert(room->number, room.get());
    }

    std::vector<std::unique_ptr<ChatRoom>> rooms;
    rooms.reserve(reply.rooms.size());
    for (const RoomListReply::Room& fields : reply.rooms) {
        auto room = std::make_unique<ChatRoom>();
        room->number = fields.number;
        room->extra1 = fields.extra1;
        room->extra2 = fields.extra2;
        room->preview = fields.preview;
        room->caption = fields.caption;
        room->title = fields.title;
        room->photoMarker = fields.photoMarker;
        room->partnerNumber = fields.partnerNumber;
        room->photoHost = fields.photoHost;
        room->defaultPicture = defaultPicture;
        if (fields.photoMarker != QLatin1String("0") && photoFile)
            room->photoPath = photoFile(fields);

        if (ChatRoom* before = old.value(fields.number)) {
            old.remove(fields.number);
            room->messages = std::move(before->messages);
            room->unread = before->unread;
            room->selected = before->selected;
        } else {
            room->messages = std::make_unique<ChatMessageList>();
        }
        rooms.push_back(std::move(room));
    }

    const ChatMessageList* follows = nullptr;
    for (const auto& room : rooms) {
        if (shown && room->messages.get() == shown)
            follows = shown;
    }
    m_rooms = std::move(rooms); // the rooms that are gone, with their messages
    m_loaded = true;
    return follows;
}

ChatRoom* ChatRoomList::FindRoom(QStringView numberText) const {
    for (const auto& room : m_rooms) {
        if (room->numberText() == numberText)
            return room.get();
    }
    return nullptr;
}

void ChatRoomList::MoveRoomToTop(ChatRoom& room) {
    const int index = indexOf(room);
    if (index <= 0)
        return;
    std::rotate(m_rooms.begin(), m_rooms.begin() + index, m_rooms.begin() + index + 1);
}

ChatRoom* ChatRoomList::roomAt(int contentY) const {
    const int offset = contentY - FirstRowTop;
    if (offset <= 0)
        return nullptr;
    const int index = offset / RowPitch;
    const int within = offset % RowPitch;
    if (index >= size() || within <= 0 || within >= RowHitHeight)
        return nullptr;
    return m_rooms[std::size_t(index)].get();
}

void ChatRoomList::select(ChatRoom& room) {
    for (const auto& other : m_rooms)
        other->selected = false;
    room.selected = true;
    room.unread = 0;
}

ChatRoom* ChatRoomList::selectedRoom() const {
    for (const auto& room : m_rooms) {
        if (room->selected)
            return room.get();
    }
    return nullptr;
}

ChatRoom* ChatRoomList::roomOf(const ChatMessageList* messages) const {
    if (!messages)
        return nullptr;
    for (const auto& room : m_rooms) {
        if (room->messages.get() == messages)
            return room.get();
    }
    return nullptr;
}

std::shared_ptr<const CDibPicture> ChatRoomList::photoOf(ChatRoom& room) {
    if (!room.photoLoaded) {
        room.photoLoaded = true;
        room.photo = room.photoPath.isEmpty() ? nullptr : m_photos.load(room.photoPath);
        room.photoWidth = room.photo ? room.photo->storedWidth() : 0;
        room.photoHeight = room.photo ? room.photo->height() : 0;
    }
    return room.photo;
}

int ChatRoomList::badgeWidth(int unread) {
    if (unread < 10)
        return 15;
    if (unread < 100)
        return 20;
    return 25;
}

} // namespace orvix
