#pragma once

#include "chat/photo_cache.h"
#include "chat/room_list_reply.h"

#include <QImage>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

namespace orvix {

class ChatMessageList;
struct ChatRoom;

// The member's chat rooms in display order (the first row on top), where incoming messages are
// filed and where the conversation finds its room.
//
// Rows are 60 pixels apart, the first row's top at y = 10; a row is hit strictly inside its top
// 55 pixels, so the 5 pixels below each row hit nothing.
class ChatRoomList {
public:
    static constexpr int FirstRowTop = 10;
    static constexpr int RowPitch = 60;
    static constexpr int RowHitHeight = 55;

    // Makes the partner's photo file of a room ready in the working folder (downloading it
    // when it is missing) and gives its path, or an empty text when the room has no usable photo.
    using PhotoFile = std::function<QString(const RoomListReply::Room&)>;

    ChatRoomList();
    ~ChatRoomList();

    int size() const { return int(m_rooms.size()); }
    ChatRoom& at(int index) const { return *m_rooms[std::size_t(index)]; }
    int indexOf(const ChatRoom& room) const;

    // Replaces the rooms with those of an accepted reply, in its order. A room whose number was
    // in the list before keeps its conversation, its unread count and its selection (the
    // list's own state would otherwise be lost at every reload); new rooms start empty. Gives
    // the conversation that `shown` becomes: the same list when its room is still there,
    // nullptr when the room is gone (its messages are then deleted).
    const ChatMessageList* Rebuild(const RoomListReply& reply, const PhotoFile& photoFile,
                                   const QImage& defaultPicture,
                                   const ChatMessageList* shown = nullptr);

    // The first room whose number, written in decimal, equals the text exactly.
    ChatRoom* FindRoom(QStringView numberText) const;
    // Moves a room to the first position.
    void MoveRoomToTop(ChatRoom& room);

    // The room whose row holds a content y (FirstRowTop + 60i < y < that + 55), or nullptr.
    ChatRoom* roomAt(int contentY) const;
    // Selects one room (clearing every other selection) and clears its unread count.
    void select(ChatRoom& room);
    ChatRoom* selectedRoom() const;
    // The room whose conversation this is, or nullptr.
    ChatRoom* roomOf(const ChatMessageList* messages) const;

    // Height of the list's content: 60 × rooms + 10 once a reply arrived, 0 before.
    int contentHeight() const { return m_loaded ? RowPitch * size() + FirstRowTop : 0; }
    bool loaded() const { return m_loaded; }

    // The partner's photo of a room, decoded on first use (the width and height are recorded);
    // nullptr when it has none or it cannot be loaded.
    std::shared_ptr<const CDibPicture> photoOf(ChatRoom& room);

    // Width of the unread badge: 15 for 1 to 9, 20 for 10 to 99, 25 from 100.
    static int badgeWidth(int unread);

private:
    std::vector<std::unique_ptr<ChatRoom>> m_rooms;
    PhotoCache m_photos;
    bool m_loaded = false;
};

} // namespace orvix
