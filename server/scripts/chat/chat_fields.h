#pragma once

#include <QString>
#include <QStringView>

namespace orvix::server {

struct ChatRoomSummary;

// How chat values become fields of a reply.
class ChatFields {
public:
    // A member-typed value as one reply field: the client splits replies at every "</>", so a
    // typed "</>" would push every later field out of place. It is sent as "<∕>" (a division
    // slash), which reads the same. The stored value keeps what was typed.
    static QString clean(QStringView text);

    // The time label of a message, "YYYY-MM-DD HH:MM" in the server's local time.
    static QString label(qint64 secondsSinceEpoch);
    // The room list's caption: the time of the room's last message, "MM-DD HH:MM"; empty for a
    // room without messages.
    static QString caption(const ChatRoomSummary& room);
    // The room list's preview: the last text, "(Photo)" for a photo, empty otherwise.
    static QString preview(const ChatRoomSummary& room);
};

} // namespace orvix::server
