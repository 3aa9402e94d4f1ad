#include "server/storage/schema.h"

#include "server/storage/database.h"

#include <QSqlQuery>

namespace orvix::server {

namespace {

// Version 1: members and their stores, PC approvals and sessions, chat, the board, contents and
// documents. Times are seconds since 1970 (UTC).
QStringList firstLayout() {
    return {
        // A member of the service. The number is given in order from 1; each member owns one
        // store from the start (login reply), and may register more through the store form.
        QStringLiteral(R"(CREATE TABLE members (
            member_no INTEGER PRIMARY KEY AUTOINCREMENT,
            login_id TEXT NOT NULL UNIQUE,
            password_hash TEXT NOT NULL,
            name TEXT NOT NULL,
            store_no INTEGER UNIQUE REFERENCES stores(store_no),
            profile_content_no INTEGER REFERENCES contents(content_no) ON DELETE SET NULL,
            created_at INTEGER NOT NULL))"),
        QStringLiteral(R"(CREATE TABLE stores (
            store_no INTEGER PRIMARY KEY AUTOINCREMENT,
            owner_member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            name TEXT NOT NULL DEFAULT '',
            tel TEXT NOT NULL DEFAULT '',
            kind TEXT NOT NULL DEFAULT '',
            ceo_name TEXT NOT NULL DEFAULT '',
            title TEXT NOT NULL DEFAULT '',
            add_key TEXT NOT NULL DEFAULT '',
            info_photo_count INTEGER NOT NULL DEFAULT 0,
            content_no INTEGER REFERENCES contents(content_no) ON DELETE SET NULL,
            created_at INTEGER NOT NULL))"),
        QStringLiteral("CREATE INDEX stores_owner ON stores(owner_member_no)"),

        // A PC login waiting for, or decided by, the member's phone. state: 0 pending,
        // 1 approved, 2 refused, 3 approval used by an admitted login, 4 refusal reported.
        // States 0 to 2 are open; at most one open approval exists per member.
        QStringLiteral(R"(CREATE TABLE pc_approvals (
            approval_no INTEGER PRIMARY KEY AUTOINCREMENT,
            member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            state INTEGER NOT NULL CHECK (state BETWEEN 0 AND 4),
            requested_at INTEGER NOT NULL,
            decided_at INTEGER,
            closed_at INTEGER))"),
        QStringLiteral("CREATE INDEX pc_approvals_member ON pc_approvals(member_no, state)"),
        // An admitted PC, named by its device id. ended_at is set when the session ends (the
        // client closes it, or the member ends PC use); chat_cursor is the last chat message
        // handed to this device by polling.
        QStringLiteral(R"(CREATE TABLE pc_sessions (
            device_id TEXT PRIMARY KEY,
            member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            approval_no INTEGER REFERENCES pc_approvals(approval_no) ON DELETE SET NULL,
            started_at INTEGER NOT NULL,
            ended_at INTEGER,
            end_reason TEXT,
            chat_cursor INTEGER NOT NULL DEFAULT 0))"),
        QStringLiteral("CREATE INDEX pc_sessions_member ON pc_sessions(member_no, ended_at)"),

        // Chat. kind: 1 text, 3 photo (thumbnail and photo names joined by "|"), 9 room closed.
        // origin_device_id names the PC that sent a message, which is not handed it back.
        QStringLiteral(R"(CREATE TABLE chat_rooms (
            room_no INTEGER PRIMARY KEY AUTOINCREMENT,
            title TEXT NOT NULL DEFAULT '',
            created_at INTEGER NOT NULL,
            closed_at INTEGER))"),
        QStringLiteral(R"(CREATE TABLE chat_room_members (
            room_no INTEGER NOT NULL REFERENCES chat_rooms(room_no) ON DELETE CASCADE,
            member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            joined_at INTEGER NOT NULL,
            PRIMARY KEY (room_no, member_no)))"),
        QStringLiteral("CREATE INDEX chat_room_members_member ON chat_room_members(member_no)"),
        QStringLiteral(R"(CREATE TABLE chat_messages (
            message_no INTEGER PRIMARY KEY AUTOINCREMENT,
            room_no INTEGER NOT NULL REFERENCES chat_rooms(room_no) ON DELETE CASCADE,
            sender_member_no INTEGER REFERENCES members(member_no) ON DELETE SET NULL,
            kind INTEGER NOT NULL,
            content TEXT NOT NULL DEFAULT '',
            client_seq TEXT,
            origin_device_id TEXT REFERENCES pc_sessions(device_id) ON DELETE SET NULL,
            sent_at INTEGER NOT NULL))"),
        QStringLiteral("CREATE INDEX chat_messages_room ON chat_messages(room_no, message_no)"),

        // Contents: the registered HTML of a content file ("replayinfo") or of an opinion
        // ("text"); file_name is the content file without ".sml", stored in the member's
        // mailbox folder; image_files is the photo list "name=size,...".
        QStringLiteral(R"(CREATE TABLE contents (
            content_no INTEGER PRIMARY KEY AUTOINCREMENT,
            member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            style TEXT NOT NULL,
            file_name TEXT NOT NULL DEFAULT '',
            title TEXT NOT NULL DEFAULT '',
            html TEXT NOT NULL DEFAULT '',
            image_files TEXT NOT NULL DEFAULT '',
            client_time INTEGER NOT NULL DEFAULT 0,
            created_at INTEGER NOT NULL))"),
        QStringLiteral("CREATE INDEX contents_member ON contents(member_no)"),

        // The board. A post's photos live in mailbox/<mailbox_no as ten digits>/; photo_name
        // "0" means no photo. Members who joined a post and what was added to it (opinions,
        // photos, documents, contents) are kept per post.
        QStringLiteral(R"(CREATE TABLE posts (
            mail_idx INTEGER PRIMARY KEY AUTOINCREMENT,
            owner_member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            mailbox_no INTEGER NOT NULL,
            title TEXT NOT NULL,
            photo_name TEXT NOT NULL DEFAULT '0',
            content_no INTEGER REFERENCES contents(content_no) ON DELETE SET NULL,
            created_at INTEGER NOT NULL,
            updated_at INTEGER NOT NULL))"),
        QStringLiteral(R"(CREATE TABLE post_members (
            mail_idx INTEGER NOT NULL REFERENCES posts(mail_idx) ON DELETE CASCADE,
            member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            joined_at INTEGER NOT NULL,
            last_viewed_at INTEGER,
            PRIMARY KEY (mail_idx, member_no)))"),
        QStringLiteral(R"(CREATE TABLE post_entries (
            entry_no INTEGER PRIMARY KEY AUTOINCREMENT,
            mail_idx INTEGER NOT NULL REFERENCES posts(mail_idx) ON DELETE CASCADE,
            member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            kind TEXT NOT NULL CHECK (kind IN ('opinion', 'photo', 'document', 'content')),
            content_no INTEGER REFERENCES contents(content_no) ON DELETE SET NULL,
            body TEXT NOT NULL DEFAULT '',
            created_at INTEGER NOT NULL))"),
        QStringLiteral("CREATE INDEX post_entries_post ON post_entries(mail_idx, entry_no)"),

        // A member's documents: the web address of the uploaded file, the name it had on the
        // member's PC, the upper-cased extension and the member's description.
        QStringLiteral(R"(CREATE TABLE documents (
            document_no INTEGER PRIMARY KEY AUTOINCREMENT,
            member_no INTEGER NOT NULL REFERENCES members(member_no) ON DELETE CASCADE,
            path TEXT NOT NULL,
            file_name TEXT NOT NULL,
            ext TEXT NOT NULL,
            comment TEXT NOT NULL DEFAULT '',
            created_at INTEGER NOT NULL,
            updated_at INTEGER NOT NULL,
            UNIQUE (member_no, path)))"),
    };
}

// Version 2: the versions of the features' own tables.
QStringList featurePartsLayout() {
    return {
        QStringLiteral(R"(CREATE TABLE schema_parts (
            name TEXT PRIMARY KEY,
            version INTEGER NOT NULL))"),
    };
}

// Version 3: the address each PC session logged in from. Uploads are taken only from an address
// that holds an open session.
QStringList sessionAddressLayout() {
    return {
        QStringLiteral("ALTER TABLE pc_sessions ADD COLUMN peer_address TEXT"),
        QStringLiteral("CREATE INDEX pc_sessions_peer ON pc_sessions(peer_address, ended_at)"),
    };
}

int partVersion(Database& db, const QString& name, bool* failed) {
    QSqlQuery& query =
        db.statement(QStringLiteral("SELECT version FROM schema_parts WHERE name = ?"));
    query.addBindValue(name);
    int version = 0;
    *failed = !query.exec();
    if (!*failed && query.next())
        version = query.value(0).toInt();
    query.finish();
    return version;
}

} // namespace

int Schema::currentVersion() {
    return 3;
}

QStringList Schema::migration(int version) {
    switch (version) {
    case 1:
        return firstLayout();
    case 2:
        return featurePartsLayout();
    case 3:
        return sessionAddressLayout();
    default:
        return {};
    }
}

bool Schema::migratePart(Database& db, const QString& name, const QList<QStringList>& migrations,
                         QString* error) {
    const int target = int(migrations.size());
    bool failed = false;
    if (partVersion(db, name, &failed) == target && !failed)
        return true;

    Transaction transaction(db);
    if (!transaction.isActive()) {
        if (error)
            *error = QStringLiteral("cannot lock the database: %1").arg(db.lastError());
        return false;
    }
    const int stored = partVersion(db, name, &failed);
    if (failed) {
        if (error)
            *error = QStringLiteral("cannot read the tables of %1: %2").arg(name, db.lastError());
        return false;
    }
    if (stored > target) {
        if (error)
            *error = QStringLiteral("the database has version %1 of the %2 tables; this program "
                                    "knows versions up to %3")
                         .arg(stored)
                         .arg(name)
                         .arg(target);
        return false;
    }
    for (int version = stored + 1; version <= target; ++version) {
        for (const QString& sql : migrations[version - 1]) {
            if (!db.exec(sql, error))
                return false;
        }
    }
    QSqlQuery& record =
        db.statement(QStringLiteral("INSERT INTO schema_parts (name, version) VALUES (?, ?) "
                                    "ON CONFLICT (name) DO UPDATE SET version = excluded.version"));
    record.addBindValue(name);
    record.addBindValue(target);
    if (!db.run(record) || !transaction.commit()) {
        if (error)
            *error = QStringLiteral("cannot record the tables of %1: %2").arg(name, db.lastError());
        return false;
    }
    return true;
}

int Schema::storedVersion(Database& db) {
    QSqlQuery& query = db.statement(QStringLiteral("PRAGMA user_version"));
    int version = -1;
    if (query.exec() && query.next())
        version = query.value(0).toInt();
    query.finish();
    return version;
}

bool Schema::migrate(Database& db, QString* error) {
    // Cheap check first: a database already up to date needs no write lock.
    int stored = storedVersion(db);
    if (stored == currentVersion())
        return true;

    // Another process may be migrating the same file right now: take the write lock, then look
    // again.
    Transaction transaction(db);
    if (!transaction.isActive()) {
        if (error)
            *error = QStringLiteral("cannot lock the database: %1").arg(db.lastError());
        return false;
    }
    stored = storedVersion(db);
    if (stored < 0) {
        if (error)
            *error = QStringLiteral("cannot read the database version: %1").arg(db.lastError());
        return false;
    }
    if (stored > currentVersion()) {
        if (error)
            *error = QStringLiteral("the database has layout version %1; this program knows "
                                    "versions up to %2")
                         .arg(stored)
                         .arg(currentVersion());
        return false;
    }
    for (int version = stored + 1; version <= currentVersion(); ++version) {
        for (const QString& sql : migration(version)) {
            if (!db.exec(sql, error))
                return false;
        }
    }
    if (!db.exec(QStringLiteral("PRAGMA user_version=%1").arg(currentVersion()), error))
        return false;
    if (!transaction.commit()) {
        if (error)
            *error = QStringLiteral("cannot commit the database layout: %1").arg(db.lastError());
        return false;
    }
    return true;
}

} // namespace orvix::server
