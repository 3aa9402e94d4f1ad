#pragma once

#include <QImage>
#include <QString>

#include <memory>

class QPaintDevice;

namespace orvix {

class CDibPicture;
class ChatConversation;
class ChatRoomList;
struct PollReply;

// Files a message that a poll brought into its room: downloads a photo's two files, makes the
// message, plays the sound, updates the room's preview, unread count and place, and refreshes
// the conversation when that room is shown. A "room closed" record empties the room instead.
class IncomingMessages {
public:
    // What the filing needs from the windows around it.
    class Host {
    public:
        virtual void requestRoomList() = 0;
        // The shown room got a message: lay the conversation out again and scroll to it.
        virtual void relayoutConversation() = 0;
        // The conversation lost its messages (its room was closed): repaint it empty.
        virtual void repaintConversation() = 0;
        virtual void repaintRoomList() = 0;
        virtual void playSound() = 0;
        // Copies an address into a file, blocking with a time-out; 1 when written.
        virtual int download(const QString& address, const QString& path) = 0;

    protected:
        ~Host() = default;
    };

    // What the messages are made with.
    struct Settings {
        QString workFolder;
        std::shared_ptr<const CDibPicture> memberPhoto; // none: the default picture
        QImage defaultMemberPicture;
        const QPaintDevice* measuringDevice = nullptr;
    };

    enum class Outcome {
        Dropped,     // an unknown kind, a room that is not in the list or has no messages
        RoomUnknown, // the room is not in the list: the list was asked for again
        RoomClosed,
        Filed,
    };

    IncomingMessages(ChatRoomList& rooms, ChatConversation& conversation, Host& host);

    void setSettings(Settings settings) { m_settings = std::move(settings); }
    const Settings& settings() const { return m_settings; }

    // Files one record of a poll reply.
    Outcome Accept(const PollReply& reply);

private:
    ChatRoomList& m_rooms;
    ChatConversation& m_conversation;
    Host& m_host;
    Settings m_settings;
};

} // namespace orvix
