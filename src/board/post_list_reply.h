#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvix {

// One post of the list reply: its "#" fields, read by position.
struct PostListEntry {
    QString mailIndex;     // 1: identifies the post on the server
    int mailboxNumber = 0; // 2: names the folder of the post's photo (leading number)
    QString title;         // 6
    QString opinionCount;  // 7: shown as it stands
    QString memberCount;   // 8: shown as it stands
    bool isNew = false;    // 9: any value but "0"
    QString photoName;     // 11: "0" for no photo
    QString photoHost;     // 12
    QString ownerName;     // 13
};

// The reply of the post list request: "1", the number N of posts, then at most N post fields,
// each of 13 "#" fields. Reading stops at the first empty post field or at the end of the
// reply; a post with fewer than 13 "#" fields reads the missing ones as empty text (so an
// empty photo field names a photo, which then fails to load).
struct PostListReply {
    int count = 0; // N as announced; negative counts build nothing
    QList<PostListEntry> posts;

    // Nothing when the first field is not "1": the reply is not taken.
    static std::optional<PostListReply> parse(const QString& text);
    static PostListEntry parsePost(const QString& field);

    // The height of the list: N rows of 100 pixels, never below 0 and never beyond what a
    // scroll range can hold, whatever N says.
    int scrollHeight() const;
};

} // namespace orvix
