#pragma once

#include <QString>

#include <vector>

namespace orvix {

// The server's answer to the room list request: "happychatlist", the number of rooms, then nine
// fields per room. Fields are split at each whole "</>"; an empty field keeps its place, and
// fields past the end of the text read as empty, so a reply that announces more rooms than it
// holds gives rooms with empty fields.
struct RoomListReply {
    // One room as the reply gives it, each text cut to the room record's room: the preview,
    // when longer than 200 characters, to its first 190.
    struct Room {
        int number = 0;        // field 1, its leading decimal number
        QString extra1;        // field 2, 19 characters at most
        QString extra2;        // field 3, 19
        QString preview;       // field 4
        QString caption;       // field 5, 79
        QString title;         // field 6, 99
        QString photoMarker;   // field 7, 79; "0": the partner has no photo
        QString partnerNumber; // field 8, 19
        QString photoHost;     // field 9, 79
    };

    bool accepted = false; // the first field is "happychatlist"
    int count = 0;         // field 2, the number of rooms announced
    std::vector<Room> rooms;

    // No list holds more rooms than this: a broken or hostile count cannot make the client
    // build millions of empty rooms.
    static constexpr int MaxRooms = 10000;

    // Reads a reply text. A count below 0 gives no rooms, one above MaxRooms gives MaxRooms.
    static RoomListReply parse(const QString& text);

    // The preview rule: a text longer than 200 characters is cut to its first 190.
    static QString cutPreview(const QString& text);
};

} // namespace orvix
