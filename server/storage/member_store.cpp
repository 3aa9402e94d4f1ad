#include "server/storage/member_store.h"

#include "server/storage/database.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace orvix::server {

namespace {

const QString kSelectMember =
    QStringLiteral("SELECT member_no, login_id, password_hash, name, store_no FROM members WHERE ");

} // namespace

MemberStore::MemberStore(Database& db)
    : m_db(db) {}

std::optional<MemberRecord> MemberStore::add(const QString& loginId, const QString& passwordHash,
                                             const QString& name, QString* error) {
    auto fail = [&](const QString& reason) -> std::optional<MemberRecord> {
        if (error)
            *error = reason.isEmpty() ? QStringLiteral("cannot add the member") : reason;
        return std::nullopt;
    };
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return fail(QStringLiteral("database busy: %1").arg(m_db.lastError()));
    bool failed = false;
    if (findByLoginId(loginId, &failed))
        return fail(QStringLiteral("the member ID \"%1\" already exists").arg(loginId));

    if (failed)
        return fail(m_db.lastError());

    MemberRecord member;
    member.loginId = loginId;
    member.passwordHash = passwordHash;
    member.name = name.isEmpty() ? loginId : name;

    QSqlQuery& insertMember = m_db.statement(QStringLiteral(
        "INSERT INTO members (login_id, password_hash, name, created_at) VALUES (?, ?, ?, ?)"));
    insertMember.addBindValue(loginId);
    insertMember.addBindValue(passwordHash);
    insertMember.addBindValue(member.name);
    insertMember.addBindValue(now);
    if (!insertMember.exec())
        return fail(insertMember.lastError().text());
    member.memberNo = insertMember.lastInsertId().toLongLong();
    insertMember.finish();

    QSqlQuery& insertStore = m_db.statement(
        QStringLiteral("INSERT INTO stores (owner_member_no, created_at) VALUES (?, ?)"));
    insertStore.addBindValue(member.memberNo);
    insertStore.addBindValue(now);
    if (!insertStore.exec())
        return fail(insertStore.lastError().text());
    member.storeNo = insertStore.lastInsertId().toLongLong();
    insertStore.finish();

    QSqlQuery& link =
        m_db.statement(QStringLiteral("UPDATE members SET store_no = ? WHERE member_no = ?"));
    link.addBindValue(member.storeNo);
    link.addBindValue(member.memberNo);
    if (!link.exec())
        return fail(link.lastError().text());
    link.finish();

    if (!transaction.commit())
        return fail(QStringLiteral("cannot commit: %1").arg(m_db.lastError()));
    return member;
}

std::optional<MemberRecord> MemberStore::findByLoginId(const QString& loginId, bool* failed) {
    return findOne(kSelectMember + QStringLiteral("login_id = ?"), loginId, failed);
}

std::optional<MemberRecord> MemberStore::findByNumber(qint64 memberNo, bool* failed) {
    return findOne(kSelectMember + QStringLiteral("member_no = ?"), memberNo, failed);
}

bool MemberStore::setPasswordHash(qint64 memberNo, const QString& passwordHash) {
    QSqlQuery& query =
        m_db.statement(QStringLiteral("UPDATE members SET password_hash = ? WHERE member_no = ?"));
    query.addBindValue(passwordHash);
    query.addBindValue(memberNo);
    const bool ok = query.exec() && query.numRowsAffected() == 1;
    query.finish();
    return ok;
}

std::optional<MemberRecord> MemberStore::findOne(const QString& sql, const QVariant& key,
                                                 bool* failed) {
    QSqlQuery& query = m_db.statement(sql);
    query.addBindValue(key);
    std::optional<MemberRecord> found;
    const bool ok = query.exec();
    if (failed)
        *failed = !ok;
    if (!ok) {
        m_db.setLastError(query.lastError().text());
    } else if (query.next()) {
        found = read(query);
    }
    query.finish();
    return found;
}

QList<MemberRecord> MemberStore::all(bool* failed) {
    QSqlQuery& query = m_db.statement(kSelectMember + QStringLiteral("1 ORDER BY member_no"));
    QList<MemberRecord> members;
    const bool ok = query.exec();
    if (failed)
        *failed = !ok;
    if (!ok)
        m_db.setLastError(query.lastError().text());
    while (ok && query.next())
        members.append(read(query));
    query.finish();
    return members;
}

bool MemberStore::remove(qint64 memberNo) {
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return false;
    // The member's own store row points back at the member; both go in this statement, and
    // everything else of the member follows by the tables' ON DELETE rules.
    QSqlQuery& query = m_db.statement(QStringLiteral("DELETE FROM members WHERE member_no = ?"));
    query.addBindValue(memberNo);
    if (!query.exec()) {
        m_db.setLastError(query.lastError().text());
        query.finish();
        return false;
    }
    const int removed = query.numRowsAffected();
    query.finish();
    if (removed != 1) {
        m_db.setLastError(QStringLiteral("no member number %1").arg(memberNo));
        return false;
    }
    return transaction.commit();
}

MemberRecord MemberStore::read(const QSqlQuery& query) {
    MemberRecord member;
    member.memberNo = query.value(0).toLongLong();
    member.loginId = query.value(1).toString();
    member.passwordHash = query.value(2).toString();
    member.name = query.value(3).toString();
    member.storeNo = query.value(4).toLongLong();
    return member;
}

} // namespace orvix::server
