#include "chat/room_list_reply.h"

#include "net/reply_text.h"

#include <algorithm>

namespace orvix {

namespace {

// A text field of the room record: its room in characters includes the terminator.
QString cut(const QString& text, int room) {
    return text.left(room - 1);
}

} // namespace

QString RoomListReply::cutPreview(const QString& text) {
    return text.size() > 200 ? text.left(190) : text;
}

RoomListReply RoomListReply::parse(const QString& text) {
    RoomListReply reply;
    const ReplyFields fields(text);
    if (fields.field(1) != QLatin1String("happychatlist"))
        return reply;
    reply.accepted = true;
    reply.count = fields.number(2);
    const int rooms = std::clamp(reply.count, 0, MaxRooms);
    reply.rooms.reserve(std::size_t(rooms));
    for (int i = 0; i < rooms; ++i) {
        const int base = 3 + 9 * i;
        Room room;
        room.number = fields.number(base);
        room.extra1 = cut(fields.field(base + 1), 20);
        room.extra2 = cut(fields.field(base + 2), 20);
        room.preview = cutPreview(fields.field(base + 3));
        room.caption = cut(fields.field(base + 4), 80);
        room.title = cut(fields.field(base + 5), 100);
        room.photoMarker = cut(fields.field(base + 6), 80);
        room.partnerNumber = cut(fields.field(base + 7), 20);
        room.photoHost = cut(fields.field(base + 8), 80);
        reply.rooms.push_back(std::move(room));
    }
    return reply;
}

} // namespace orvix
