#include "server/scripts/chat/chat_fields.h"

#include "server/scripts/chat/chat_store.h"

#include <QDateTime>

namespace orvix::server {

QString ChatFields::clean(QStringView text) {
    QString field = text.toString();
    field.replace(QStringLiteral("</>"), QStringLiteral("<\u2215>"));
    return field;
}

QString ChatFields::label(qint64 secondsSinceEpoch) {
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString ChatFields::caption(const ChatRoomSummary& room) {
    if (room.lastKind == 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(room.lastSentAt).toString(QStringLiteral("MM-dd HH:mm"));
}

QString ChatFields::preview(const ChatRoomSummary& room) {
    switch (room.lastKind) {
    case ChatKind::Text:
        return clean(room.lastContent);
    case ChatKind::Photo:
        return QStringLiteral("(Photo)");
    default:
        return {};
    }
}

} // namespace orvix::server
