#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace orvix {

class CDibPicture;
class ChatMessageList;

// One room of the member's room list, as the room list reply gave it, with its conversation and
// its unread count.
struct ChatRoom {
    ChatRoom();
    ~ChatRoom();
    ChatRoom(const ChatRoom&) = delete;
    ChatRoom& operator=(const ChatRoom&) = delete;

    int number = 0;
    QString extra1;
    QString extra2;
    QString preview;
    QString caption;
    QString title;
    QString photoMarker;
    QString partnerNumber;
    QString photoHost;

    // The partner's photo file in the working folder (empty when the partner has none or its
    // name is not usable); decoded when the room is first drawn or needs it (see ChatRoomList).
    QString photoPath;
    bool photoLoaded = false;
    std::shared_ptr<const CDibPicture> photo;
    int photoWidth = 0;
    int photoHeight = 0;
    // Drawn when there is no photo (bitmap 143).
    QImage defaultPicture;

    // The conversation since the list was loaded; none once the room was closed.
    std::unique_ptr<ChatMessageList> messages;
    int unread = 0;
    bool selected = false;

    // The room number as the requests and replies write it.
    QString numberText() const { return QString::number(number); }
};

} // namespace orvix
