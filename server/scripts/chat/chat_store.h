#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace orvix::server {

class Database;

// Kinds of chat messages as they are stored and sent to the client.
namespace ChatKind {
constexpr int Text = 1;
constexpr int Photo = 3; // content "THUMB|PHOTO", both files under image/chatdata/
constexpr int Closed = 9;
} // namespace ChatKind

// One room of a member's room list: the partner and the last message.
struct ChatRoomSummary {
    qint64 roomNo = 0;
    qint64 partnerNo = 0; // 0 when the partner's membership is gone
    QString partnerName;
    int memberCount = 0;
    qint64 messageCount = 0;
    // The last message; kind 0 when the room has none yet.
    int lastKind = 0;
    QString lastContent;
    qint64 lastSentAt = 0;
};

// One stored message.
struct ChatMessageRecord {
    qint64 messageNo = 0;
    qint64 roomNo = 0;
    qint64 senderNo = 0; // 0 when no member sent it (a room closed by the operator)
    int kind = 0;
    QString content;
    qint64 sentAt = 0;
};

// Chat rooms of two members, their messages and the delivery of messages to PC sessions.
//
// Delivery: each PC session keeps a cursor, the number of the last message it was handed (a new
// session starts at the newest message). A poll hands out the oldest message after the cursor
// in the member's rooms that did not come from that same session, and moves the cursor past it,
// so each session receives each message once, oldest first. A poll that finds nothing writes
// nothing, unless the only messages past the cursor were the session's own: then the cursor
// moves past them once, so they are not looked at again.
class ChatStore {
public:
    explicit ChatStore(Database& db);

    // The open room of exactly these two members (either order), created when there is none
    // (*created tells which). Nothing, with a reason, for the same member twice, a member that
    // does not exist or a database failure.
    std::optional<qint64> openRoom(qint64 memberA, qint64 memberB, QString* error,
                                   bool* created = nullptr);

    // The member's open rooms, the most recently active first. Nothing on a database failure.
    std::optional<std::vector<ChatRoomSummary>> roomsOf(qint64 memberNo);

    // Whether the room is open and the member belongs to it; *failed tells a database failure.
    bool isOpenMember(qint64 roomNo, qint64 memberNo, bool* failed);
    // The members of a room (empty when there is no such room).
    std::vector<qint64> roomMembers(qint64 roomNo);

    struct Sending {
        enum class Outcome { Stored, Duplicate, NotInRoom, Failed };
        Outcome outcome = Outcome::Failed;
        qint64 messageNo = 0; // set when stored
    };
    // Stores a message of a member in an open room of theirs. A PC's message names its device
    // and its own sequence number: the same pair again is a duplicate and is not stored twice.
    // A message from the phone or the operator has neither.
    // sentAt is the time in seconds since 1970; 0 means now.
    Sending addMessage(qint64 roomNo, qint64 senderNo, int kind, const QString& content,
                       const QString& originDevice = {}, const QString& clientSeq = {},
                       qint64 sentAt = 0);

    // Closes an open room: a "room closed" message reaches its members and the room leaves
    // their lists. False when there is no open room of that number or on a failure.
    bool closeRoom(qint64 roomNo, QString* error);

    struct Poll {
        enum class Outcome { Message, Nothing, UnknownDevice, Failed };
        Outcome outcome = Outcome::Failed;
        qint64 memberNo = 0; // the session's member, set unless unknown or failed
        ChatMessageRecord message;
    };
    // The next message for a PC session (see above).
    Poll nextFor(const QString& deviceId);

private:
    bool moveCursor(const QString& deviceId, qint64 messageNo);

    Database& m_db;
};

} // namespace orvix::server
