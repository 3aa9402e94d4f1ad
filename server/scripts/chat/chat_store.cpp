#include "server/scripts/chat/chat_store.h"

#include "server/storage/database.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace orvix::server {

namespace {

// Own messages looked at per step of a poll before the cursor moves past them.
constexpr int kPollBatch = 64;

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

ChatStore::ChatStore(Database& db)
    : m_db(db) {}

std::optional<qint64> ChatStore::openRoom(qint64 memberA, qint64 memberB, QString* error,
                                          bool* created) {
    if (created)
        *created = false;
    auto fail = [&](const QString& reason) -> std::optional<qint64> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (memberA == memberB)
        return fail(QStringLiteral("a room needs two different members"));
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return fail(QStringLiteral("database busy: %1").arg(m_db.lastError()));

    QSqlQuery& find = m_db.statement(
        QStringLiteral("SELECT r.room_no FROM chat_rooms r "
                       "JOIN chat_room_members a ON a.room_no = r.room_no AND a.member_no = ? "
                       "JOIN chat_room_members b ON b.room_no = r.room_no AND b.member_no = ? "
                       "WHERE r.closed_at IS NULL ORDER BY r.room_no LIMIT 1"));
    find.addBindValue(memberA);
    find.addBindValue(memberB);
    if (!find.exec()) {
        m_db.setLastError(find.lastError().text());
        find.finish();
        return fail(m_db.lastError());
    }
    if (find.next()) {
        const qint64 roomNo = find.value(0).toLongLong();
        find.finish();
        return roomNo;
    }
    find.finish();

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QSqlQuery& room =
        m_db.statement(QStringLiteral("INSERT INTO chat_rooms (created_at) VALUES (?)"));
    room.addBindValue(now);
    if (!room.exec()) {
        m_db.setLastError(room.lastError().text());
        room.finish();
        return fail(m_db.lastError());
    }
    const qint64 roomNo = room.lastInsertId().toLongLong();
    room.finish();
    QSqlQuery& member = m_db.statement(QStringLiteral(
        "INSERT INTO chat_room_members (room_no, member_no, joined_at) VALUES (?, ?, ?)"));
    for (qint64 memberNo : {memberA, memberB}) {
        member.addBindValue(roomNo);
        member.addBindValue(memberNo);
        member.addBindValue(now);
        if (!m_db.run(member))
            return fail(m_db.lastError());
    }
    if (!transaction.commit())
        return fail(QStringLiteral("cannot commit: %1").arg(m_db.lastError()));
    if (created)
        *created = true;
    return roomNo;
}

std::optional<std::vector<ChatRoomSummary>> ChatStore::roomsOf(qint64 memberNo) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT r.room_no, "
        " (SELECT p.member_no FROM chat_room_members p WHERE p.room_no = r.room_no "
        "  AND p.member_no <> me.member_no ORDER BY p.member_no LIMIT 1) AS partner, "
        " (SELECT COUNT(*) FROM chat_room_members c WHERE c.room_no = r.room_no), "
        " (SELECT COUNT(*) FROM chat_messages n WHERE n.room_no = r.room_no), "
        " l.message_no, l.kind, l.content, l.sent_at "
        "FROM chat_room_members me "
        "JOIN chat_rooms r ON r.room_no = me.room_no AND r.closed_at IS NULL "
        "LEFT JOIN chat_messages l ON l.message_no = "
        " (SELECT MAX(x.message_no) FROM chat_messages x WHERE x.room_no = r.room_no) "
        "WHERE me.member_no = ? "
        "ORDER BY COALESCE(l.message_no, 0) DESC, r.room_no DESC"));
    query.addBindValue(memberNo);
    if (!query.exec()) {
        m_db.setLastError(query.lastError().text());
        query.finish();
        return std::nullopt;
    }
    std::vector<ChatRoomSummary> rooms;
    while (query.next()) {
        ChatRoomSummary room;
        room.roomNo = query.value(0).toLongLong();
        room.partnerNo = query.value(1).toLongLong();
        room.memberCount = query.value(2).toInt();
        room.messageCount = query.value(3).toLongLong();
        if (!query.value(4).isNull()) {
            room.lastKind = query.value(5).toInt();
            room.lastContent = query.value(6).toString();
            room.lastSentAt = query.value(7).toLongLong();
        }
        rooms.push_back(room);
    }
    query.finish();

    QSqlQuery& name =
        m_db.statement(QStringLiteral("SELECT name FROM members WHERE member_no = ?"));
    for (ChatRoomSummary& room : rooms) {
        if (room.partnerNo == 0)
            continue;
        name.addBindValue(room.partnerNo);
        if (name.exec() && name.next())
            room.partnerName = name.value(0).toString();
        name.finish();
    }
    return rooms;
}

bool ChatStore::isOpenMember(qint64 roomNo, qint64 memberNo, bool* failed) {
    QSqlQuery& query = m_db.statement(
        QStringLiteral("SELECT 1 FROM chat_room_members m JOIN chat_rooms r ON r.room_no = "
                       "m.room_no WHERE m.room_no = ? AND m.member_no = ? AND r.closed_at IS "
                       "NULL"));
    query.addBindValue(roomNo);
    query.addBindValue(memberNo);
    const bool ok = query.exec();
    if (!ok)
        m_db.setLastError(query.lastError().text());
    const bool member = ok && query.next();
    query.finish();
    if (failed)
        *failed = !ok;
    return member;
}

std::vector<qint64> ChatStore::roomMembers(qint64 roomNo) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT member_no FROM chat_room_members WHERE room_no = ? ORDER BY member_no"));
    query.addBindValue(roomNo);
    std::vector<qint64> members;
    if (query.exec()) {
        while (query.next())
            members.push_back(query.value(0).toLongLong());
    }
    query.finish();
    return members;
}

ChatStore::Sending ChatStore::addMessage(qint64 roomNo, qint64 senderNo, int kind,
                                         const QString& content, const QString& originDevice,
                                         const QString& clientSeq, qint64 sentAt) {
    using Outcome = Sending::Outcome;
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return {Outcome::Failed, 0};
    // A message sent again (its answer was lost) is recognised first, even when its room was
    // closed meanwhile: it was stored, and the sender is told so again.
    if (!originDevice.isEmpty() && !clientSeq.isEmpty()) {
        QSqlQuery& known = m_db.statement(QStringLiteral(
            "SELECT message_no FROM chat_messages WHERE origin_device_id = ? AND client_seq = ?"));
        known.addBindValue(originDevice);
        known.addBindValue(clientSeq);
        if (!known.exec()) {
            m_db.setLastError(known.lastError().text());
            known.finish();
            return {Outcome::Failed, 0};
        }
        const bool duplicate = known.next();
        known.finish();
        if (duplicate)
            return {Outcome::Duplicate, 0};
    }
    bool failed = false;
    if (!isOpenMember(roomNo, senderNo, &failed))
        return {failed ? Outcome::Failed : Outcome::NotInRoom, 0};

    // A PC's (device, sequence) pair is unique; a message sent again is recognised by it.
    QSqlQuery& insert = m_db.statement(QStringLiteral(
        "INSERT INTO chat_messages (room_no, sender_member_no, kind, content, client_seq, "
        "origin_device_id, sent_at) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"));
    insert.addBindValue(roomNo);
    insert.addBindValue(senderNo);
    insert.addBindValue(kind);
    insert.addBindValue(content);
    insert.addBindValue(textOrNull(clientSeq));
    insert.addBindValue(textOrNull(originDevice));
    insert.addBindValue(sentAt > 0 ? sentAt : QDateTime::currentSecsSinceEpoch());
    if (!insert.exec()) {
        m_db.setLastError(insert.lastError().text());
        insert.finish();
        return {Outcome::Failed, 0};
    }
    const bool stored = insert.numRowsAffected() == 1;
    const qint64 messageNo = stored ? insert.lastInsertId().toLongLong() : 0;
    insert.finish();
    if (!stored)
        return {Outcome::Duplicate, 0};
    if (!transaction.commit())
        return {Outcome::Failed, 0};
    return {Outcome::Stored, messageNo};
}

bool ChatStore::closeRoom(qint64 roomNo, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return fail(QStringLiteral("database busy: %1").arg(m_db.lastError()));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QSqlQuery& close = m_db.statement(QStringLiteral(
        "UPDATE chat_rooms SET closed_at = ? WHERE room_no = ? AND closed_at IS NULL"));
    close.addBindValue(now);
    close.addBindValue(roomNo);
    if (!close.exec()) {
        m_db.setLastError(close.lastError().text());
        close.finish();
        return fail(m_db.lastError());
    }
    const bool closed = close.numRowsAffected() == 1;
    close.finish();
    if (!closed)
        return fail(QStringLiteral("there is no open room %1").arg(roomNo));
    QSqlQuery& notice = m_db.statement(
        QStringLiteral("INSERT INTO chat_messages (room_no, sender_member_no, kind, content, "
                       "sent_at) VALUES (?, NULL, ?, '', ?)"));
    notice.addBindValue(roomNo);
    notice.addBindValue(ChatKind::Closed);
    notice.addBindValue(now);
    if (!m_db.run(notice) || !transaction.commit())
        return fail(m_db.lastError());
    return true;
}

ChatStore::Poll ChatStore::nextFor(const QString& deviceId) {
    using Outcome = Poll::Outcome;
    Poll poll;
    QSqlQuery& session = m_db.statement(QStringLiteral(
        "SELECT member_no, chat_cursor FROM pc_sessions WHERE device_id = ? AND ended_at IS "
        "NULL"));
    session.addBindValue(deviceId);
    if (!session.exec()) {
        m_db.setLastError(session.lastError().text());
        session.finish();
        return poll;
    }
    if (!session.next()) {
        session.finish();
        poll.outcome = Outcome::UnknownDevice;
        return poll;
    }
    poll.memberNo = session.value(0).toLongLong();
    qint64 cursor = session.value(1).toLongLong();
    session.finish();

    QSqlQuery& next = m_db.statement(
        QStringLiteral("SELECT m.message_no, m.room_no, m.sender_member_no, m.kind, m.content, "
                       "m.sent_at, m.origin_device_id FROM chat_messages m "
                       "JOIN chat_room_members r ON r.room_no = m.room_no "
                       "WHERE r.member_no = ? AND m.message_no > ? "
                       "ORDER BY m.message_no LIMIT %1")
            .arg(kPollBatch));
    const qint64 start = cursor;
    for (;;) {
        next.addBindValue(poll.memberNo);
        next.addBindValue(cursor);
        if (!next.exec()) {
            m_db.setLastError(next.lastError().text());
            next.finish();
            poll.outcome = Outcome::Failed;
            return poll;
        }
        int rows = 0;
        bool found = false;
        while (next.next()) {
            ++rows;
            cursor = next.value(0).toLongLong();
            if (next.value(6).toString() == deviceId)
                continue; // the session's own message: its bubble is already shown
            ChatMessageRecord& m = poll.message;
            m.messageNo = cursor;
            m.roomNo = next.value(1).toLongLong();
            m.senderNo = next.value(2).toLongLong();
            m.kind = next.value(3).toInt();
            m.content = next.value(4).toString();
            m.sentAt = next.value(5).toLongLong();
            found = true;
            break;
        }
        next.finish();
        if (found || rows < kPollBatch)
            break;
    }
    if (cursor != start && !moveCursor(deviceId, cursor)) {
        poll.outcome = Outcome::Failed;
        return poll;
    }
    poll.outcome = poll.message.messageNo != 0 ? Outcome::Message : Outcome::Nothing;
    return poll;
}

bool ChatStore::moveCursor(const QString& deviceId, qint64 messageNo) {
    QSqlQuery& update = m_db.statement(QStringLiteral(
        "UPDATE pc_sessions SET chat_cursor = ? WHERE device_id = ? AND chat_cursor < ?"));
    update.addBindValue(messageNo);
    update.addBindValue(deviceId);
    update.addBindValue(messageNo);
    return m_db.run(update);
}

} // namespace orvix::server
