#pragma once

#include "server/scripts/content/content_store.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvix::server {

class Database;

// A post of the board as the scripts and pages need it.
struct PostRecord {
    qint64 mailIdx = 0;
    qint64 ownerMemberNo = 0;
    qint64 mailboxNo = 0; // names the folder of the post's photo: image/mailbox/<ten digits>/
    QString title;
    QString photoName; // "0" when the post has no photo
    std::optional<qint64> contentNo;
    qint64 createdAt = 0;
    qint64 changeNo = 0; // board-wide number of the post's last change
    QString ownerName;
};

// One line of the post list, seen by one member.
struct PostSummary {
    qint64 mailIdx = 0;
    qint64 ownerMemberNo = 0;
    qint64 mailboxNo = 0;
    QString title;
    int opinionCount = 0;
    int memberCount = 0;
    bool isNew = false;  // the member has not opened the post since it last changed
    bool joined = false; // the member wrote to or opened the post
    QString photoName;
    QString ownerName;
};

// What was added to a post, in the order it was added, with the content it names.
struct PostEntry {
    enum class Kind { Opinion, Photo, Document, Content };

    qint64 entryNo = 0;
    qint64 memberNo = 0;
    QString memberName;
    Kind kind = Kind::Opinion;
    QString body; // photo: "<folder>/<file>"; document: "ADDRESS|FILENAME|COMMENT"
    qint64 createdAt = 0;
    std::optional<ContentRecord> content;
};

// The board: posts, the members who joined them (wrote or opened them) and what was added to
// them. "New" is kept without clocks: every change of a post takes the next board-wide change
// number, and a member's row remembers the number the post had when the member last opened or
// changed it.
class BoardStore {
public:
    explicit BoardStore(Database& db);

    static QString kindName(PostEntry::Kind kind);
    // A member's folder in the image tree: "mailbox/<member number in ten digits>".
    static QString mailboxFolder(qint64 memberNo);

    // A new post; its owner joins it and has seen it. Gives the mail index.
    std::optional<qint64> addPost(qint64 ownerMemberNo, const QString& title,
                                  const QString& photoName, std::optional<qint64> contentNo,
                                  qint64 createdAt, QString* error);

    // Nothing for an unknown post; *failed tells a database failure apart.
    std::optional<PostRecord> post(qint64 mailIdx, bool* failed);
    std::optional<PostRecord> findPost(qint64 ownerMemberNo, const QString& title, bool* failed);

    // The posts as one member sees them, most recently changed first, at most limit of them.
    std::optional<QList<PostSummary>> list(qint64 memberNo, int limit);

    // Counts of one post.
    int opinionCount(qint64 mailIdx, bool* failed);
    int memberCount(qint64 mailIdx, bool* failed);

    // The member opened the post: joins it and has seen its current state.
    bool markViewed(qint64 mailIdx, qint64 memberNo, qint64 now);

    ContentStore& contents() { return m_contents; }

    // Adds an entry: the post takes the next change number, the member joins it and has seen
    // the change. With setPhoto the post's photo becomes that name (when it has none yet).
    // An entry naming a content already added to the post adds nothing (*added = false).
    bool addEntry(qint64 mailIdx, qint64 memberNo, PostEntry::Kind kind, const QString& body,
                  std::optional<qint64> contentNo, const QString& setPhoto, qint64 now,
                  bool* added = nullptr);

    // Whether a content is already one of the post's entries.
    bool hasContent(qint64 mailIdx, qint64 contentNo, bool* failed);

    // The entries of a post in the order they were added, with their contents.
    std::optional<QList<PostEntry>> entries(qint64 mailIdx);

    // A registered content of a member, named by the token its registration answered;
    // nothing for a token that names no content of this member.
    std::optional<ContentRecord> memberContent(const QString& token, qint64 memberNo, bool* failed);

private:
    Database& m_db;
    ContentStore m_contents;
};

} // namespace orvix::server
