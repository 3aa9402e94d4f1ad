#include "server/scripts/board/board_store.h"

#include "server/storage/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace orvix::server {

namespace {

const QString kSelectPost = QStringLiteral(
    "SELECT p.mail_idx, p.owner_member_no, p.mailbox_no, p.title, p.photo_name, p.content_no, "
    "p.created_at, p.change_no, m.name FROM posts p JOIN members m "
    "ON m.member_no = p.owner_member_no WHERE ");

PostRecord readPost(const QSqlQuery& query) {
    PostRecord post;
    post.mailIdx = query.value(0).toLongLong();
    post.ownerMemberNo = query.value(1).toLongLong();
    post.mailboxNo = query.value(2).toLongLong();
    post.title = query.value(3).toString();
    post.photoName = query.value(4).toString();
    if (!query.value(5).isNull())
        post.contentNo = query.value(5).toLongLong();
    post.createdAt = query.value(6).toLongLong();
    post.changeNo = query.value(7).toLongLong();
    post.ownerName = query.value(8).toString();
    return post;
}

ContentRecord readContent(const QSqlQuery& query, int first) {
    ContentRecord content;
    content.contentNo = query.value(first).toLongLong();
    content.memberNo = query.value(first + 1).toLongLong();
    content.style = query.value(first + 2).toString();
    content.fileName = query.value(first + 3).toString();
    content.title = query.value(first + 4).toString();
    content.html = query.value(first + 5).toString();
    content.imageFiles = query.value(first + 6).toString();
    content.clientTime = query.value(first + 7).toLongLong();
    content.createdAt = query.value(first + 8).toLongLong();
    return content;
}

std::optional<PostEntry::Kind> kindOf(const QString& name) {
    for (auto kind : {PostEntry::Kind::Opinion, PostEntry::Kind::Photo, PostEntry::Kind::Document,
                      PostEntry::Kind::Content}) {
        if (BoardStore::kindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

// Runs a query that reads one number; -1 on failure.
qint64 readNumber(Database& db, QSqlQuery& query) {
    qint64 value = -1;
    if (query.exec()) {
        value = query.next() ? query.value(0).toLongLong() : 0;
    } else {
        db.setLastError(query.lastError().text());
    }
    query.finish();
    return value;
}

// Gives the post the next board-wide change number and lets the member have seen it (joining
// the post when new). Runs inside the caller's transaction.
bool recordChange(Database& db, qint64 mailIdx, qint64 memberNo, qint64 now) {
    QSqlQuery& next = db.statement(QStringLiteral("SELECT COALESCE(MAX(change_no), 0) FROM posts"));
    const qint64 change = readNumber(db, next);
    if (change < 0)
        return false;
    QSqlQuery& bump = db.statement(
        QStringLiteral("UPDATE posts SET change_no = ?, updated_at = ? WHERE mail_idx = ?"));
    bump.addBindValue(change + 1);
    bump.addBindValue(now);
    bump.addBindValue(mailIdx);
    if (!db.run(bump))
        return false;
    QSqlQuery& seen = db.statement(QStringLiteral(
        "INSERT INTO post_members (mail_idx, member_no, joined_at, last_viewed_at, "
        "seen_change_no) VALUES (?, ?, ?, ?, ?) ON CONFLICT (mail_idx, member_no) DO UPDATE SET "
        "seen_change_no = excluded.seen_change_no"));
    seen.addBindValue(mailIdx);
    seen.addBindValue(memberNo);
    seen.addBindValue(now);
    seen.addBindValue(QVariant());
    seen.addBindValue(change + 1);
    return db.run(seen);
}

} // namespace

BoardStore::BoardStore(Database& db)
    : m_db(db)
    , m_contents(db) {}

QString BoardStore::kindName(PostEntry::Kind kind) {
    switch (kind) {
    case PostEntry::Kind::Opinion:
        return QStringLiteral("opinion");
    case PostEntry::Kind::Photo:
        return QStringLiteral("photo");
    case PostEntry::Kind::Document:
        return QStringLiteral("document");
    case PostEntry::Kind::Content:
        return QStringLiteral("content");
    }
    return {};
}

QString BoardStore::mailboxFolder(qint64 memberNo) {
    return QStringLiteral("mailbox/%1").arg(memberNo, 10, 10, QLatin1Char('0'));
}

std::optional<qint64> BoardStore::addPost(qint64 ownerMemberNo, const QString& title,
                                          const QString& photoName, std::optional<qint64> contentNo,
                                          qint64 createdAt, QString* error) {
    auto fail = [&]() -> std::optional<qint64> {
        if (error)
            *error = QStringLiteral("cannot add the post: %1").arg(m_db.lastError());
        return std::nullopt;
    };
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return fail();
    QSqlQuery& insert = m_db.statement(QStringLiteral(
        "INSERT INTO posts (owner_member_no, mailbox_no, title, photo_name, content_no, "
        "created_at, updated_at) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(ownerMemberNo);
    insert.addBindValue(ownerMemberNo);
    insert.addBindValue(title);
    insert.addBindValue(photoName.isEmpty() ? QStringLiteral("0") : photoName);
    insert.addBindValue(contentNo ? QVariant(*contentNo) : QVariant());
    insert.addBindValue(createdAt);
    insert.addBindValue(createdAt);
    if (!insert.exec()) {
        m_db.setLastError(insert.lastError().text());
        insert.finish();
        return fail();
    }
    const qint64 mailIdx = insert.lastInsertId().toLongLong();
    insert.finish();
    if (!recordChange(m_db, mailIdx, ownerMemberNo, createdAt) || !transaction.commit())
        return fail();
    return mailIdx;
}

std::optional<PostRecord> BoardStore::post(qint64 mailIdx, bool* failed) {
    QSqlQuery& query = m_db.statement(kSelectPost + QStringLiteral("p.mail_idx = ?"));
    query.addBindValue(mailIdx);
    std::optional<PostRecord> post;
    *failed = !query.exec();
    if (*failed)
        m_db.setLastError(query.lastError().text());
    else if (query.next())
        post = readPost(query);
    query.finish();
    return post;
}

std::optional<PostRecord> BoardStore::findPost(qint64 ownerMemberNo, const QString& title,
                                               bool* failed) {
    QSqlQuery& query = m_db.statement(
        kSelectPost + QStringLiteral("p.owner_member_no = ? AND p.title = ? ORDER BY p.mail_idx"));
    query.addBindValue(ownerMemberNo);
    query.addBindValue(title);
    std::optional<PostRecord> post;
    *failed = !query.exec();
    if (*failed)
        m_db.setLastError(query.lastError().text());
    else if (query.next())
        post = readPost(query);
    query.finish();
    return post;
}

std::optional<QList<PostSummary>> BoardStore::list(qint64 memberNo, int limit) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT p.mail_idx, p.mailbox_no, p.title, p.photo_name, m.name, "
        "(SELECT COUNT(*) FROM post_entries e WHERE e.mail_idx = p.mail_idx AND "
        "e.kind = 'opinion'), "
        "(SELECT COUNT(*) FROM post_members j WHERE j.mail_idx = p.mail_idx), "
        "COALESCE((SELECT j.seen_change_no FROM post_members j WHERE j.mail_idx = p.mail_idx "
        "AND j.member_no = ?), 0) < p.change_no, "
        "EXISTS (SELECT 1 FROM post_members j WHERE j.mail_idx = p.mail_idx AND "
        "j.member_no = ?), p.owner_member_no "
        "FROM posts p JOIN members m ON m.member_no = p.owner_member_no "
        "ORDER BY p.change_no DESC, p.mail_idx DESC LIMIT ?"));
    query.addBindValue(memberNo);
    query.addBindValue(memberNo);
    query.addBindValue(limit);
    if (!query.exec()) {
        m_db.setLastError(query.lastError().text());
        query.finish();
        return std::nullopt;
    }
    QList<PostSummary> posts;
    while (query.next()) {
        PostSummary post;
        post.mailIdx = query.value(0).toLongLong();
        post.mailboxNo = query.value(1).toLongLong();
        post.title = query.value(2).toString();
        post.photoName = query.value(3).toString();
        post.ownerName = query.value(4).toString();
        post.opinionCount = query.value(5).toInt();
        post.memberCount = query.value(6).toInt();
        post.isNew = query.value(7).toBool();
        post.joined = query.value(8).toBool();
        post.ownerMemberNo = query.value(9).toLongLong();
        posts.append(post);
    }
    query.finish();
    return posts;
}

int BoardStore::opinionCount(qint64 mailIdx, bool* failed) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT COUNT(*) FROM post_entries WHERE mail_idx = ? AND kind = 'opinion'"));
    query.addBindValue(mailIdx);
    const qint64 count = readNumber(m_db, query);
    *failed = count < 0;
    return int(qMax<qint64>(count, 0));
}

int BoardStore::memberCount(qint64 mailIdx, bool* failed) {
    QSqlQuery& query =
        m_db.statement(QStringLiteral("SELECT COUNT(*) FROM post_members WHERE mail_idx = ?"));
    query.addBindValue(mailIdx);
    const qint64 count = readNumber(m_db, query);
    *failed = count < 0;
    return int(qMax<qint64>(count, 0));
}

bool BoardStore::markViewed(qint64 mailIdx, qint64 memberNo, qint64 now) {
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return false;
    QSqlQuery& seen = m_db.statement(QStringLiteral(
        "INSERT INTO post_members (mail_idx, member_no, joined_at, last_viewed_at, "
        "seen_change_no) SELECT mail_idx, ?, ?, ?, change_no FROM posts WHERE mail_idx = ? "
        "ON CONFLICT (mail_idx, member_no) DO UPDATE SET "
        "last_viewed_at = excluded.last_viewed_at, seen_change_no = excluded.seen_change_no"));
    seen.addBindValue(memberNo);
    seen.addBindValue(now);
    seen.addBindValue(now);
    seen.addBindValue(mailIdx);
    return m_db.run(seen) && transaction.commit();
}

bool BoardStore::hasContent(qint64 mailIdx, qint64 contentNo, bool* failed) {
    QSqlQuery& query = m_db.statement(
        QStringLiteral("SELECT COUNT(*) FROM post_entries WHERE mail_idx = ? AND content_no = ?"));
    query.addBindValue(mailIdx);
    query.addBindValue(contentNo);
    const qint64 count = readNumber(m_db, query);
    *failed = count < 0;
    return count > 0;
}

bool BoardStore::addEntry(qint64 mailIdx, qint64 memberNo, PostEntry::Kind kind,
                          const QString& body, std::optional<qint64> contentNo,
                          const QString& setPhoto, qint64 now, bool* added) {
    if (added)
        *added = false;
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return false;
    if (contentNo) {
        bool failed = false;
        const bool present = hasContent(mailIdx, *contentNo, &failed);
        if (failed)
            return false;
        if (present)
            return true;
    }
    QSqlQuery& insert = m_db.statement(
        QStringLiteral("INSERT INTO post_entries (mail_idx, member_no, kind, content_no, body, "
                       "created_at) VALUES (?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(mailIdx);
    insert.addBindValue(memberNo);
    insert.addBindValue(kindName(kind));
    insert.addBindValue(contentNo ? QVariant(*contentNo) : QVariant());
    insert.addBindValue(body.isNull() ? QStringLiteral("") : body); // never NULL
    insert.addBindValue(now);
    if (!m_db.run(insert))
        return false;
    if (!setPhoto.isEmpty()) {
        QSqlQuery& photo = m_db.statement(QStringLiteral(
            "UPDATE posts SET photo_name = ? WHERE mail_idx = ? AND photo_name = '0'"));
        photo.addBindValue(setPhoto);
        photo.addBindValue(mailIdx);
        if (!m_db.run(photo))
            return false;
    }
    if (!recordChange(m_db, mailIdx, memberNo, now) || !transaction.commit())
        return false;
    if (added)
        *added = true;
    return true;
}

std::optional<QList<PostEntry>> BoardStore::entries(qint64 mailIdx) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT e.entry_no, e.member_no, m.name, e.kind, e.body, e.created_at, "
        "c.content_no, c.member_no, c.style, c.file_name, c.title, c.html, c.image_files, "
        "c.client_time, c.created_at "
        "FROM post_entries e JOIN members m ON m.member_no = e.member_no "
        "LEFT JOIN contents c ON c.content_no = e.content_no "
        "WHERE e.mail_idx = ? ORDER BY e.entry_no"));
    query.addBindValue(mailIdx);
    if (!query.exec()) {
        m_db.setLastError(query.lastError().text());
        query.finish();
        return std::nullopt;
    }
    QList<PostEntry> entries;
    while (query.next()) {
        const auto kind = kindOf(query.value(3).toString());
        if (!kind)
            continue;
        PostEntry entry;
        entry.entryNo = query.value(0).toLongLong();
        entry.memberNo = query.value(1).toLongLong();
        entry.memberName = query.value(2).toString();
        entry.kind = *kind;
        entry.body = query.value(4).toString();
        entry.createdAt = query.value(5).toLongLong();
        if (!query.value(6).isNull())
            entry.content = readContent(query, 6);
        entries.append(entry);
    }
    query.finish();
    return entries;
}

std::optional<ContentRecord> BoardStore::memberContent(const QString& token, qint64 memberNo,
                                                       bool* failed) {
    auto found = m_contents.findByToken(token, failed);
    if (found && found->memberNo != memberNo)
        return std::nullopt;
    return found;
}

} // namespace orvix::server
