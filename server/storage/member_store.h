#pragma once

#include <QList>
#include <QString>

#include <optional>

class QSqlQuery;

namespace orvix::server {

class Database;

struct MemberRecord {
    qint64 memberNo = 0;
    QString loginId;
    QString passwordHash;
    QString name;
    qint64 storeNo = 0;
};

// The service's members and the store each of them owns.
class MemberStore {
public:
    explicit MemberStore(Database& db);

    // Creates a member with the next member number and a store of its own with the next store
    // number, in one transaction. Fails (with a reason) when the login ID is taken. An empty
    // name becomes the login ID.
    std::optional<MemberRecord> add(const QString& loginId, const QString& passwordHash,
                                    const QString& name, QString* error);

    // Lookups give nothing when there is no such member; *failed tells a database failure apart.
    std::optional<MemberRecord> findByLoginId(const QString& loginId, bool* failed = nullptr);
    std::optional<MemberRecord> findByNumber(qint64 memberNo, bool* failed = nullptr);

    bool setPasswordHash(qint64 memberNo, const QString& passwordHash);

    // Every member in order of number; *failed tells a database failure apart from none.
    QList<MemberRecord> all(bool* failed = nullptr);

    // Removes the member with everything that belongs to it (its stores, PC approvals and
    // sessions, rooms it was in, contents, posts and documents) in one transaction. False, with
    // the reason in the database's lastError(), when it could not be removed.
    bool remove(qint64 memberNo);

private:
    std::optional<MemberRecord> findOne(const QString& sql, const QVariant& key, bool* failed);
    static MemberRecord read(const QSqlQuery& query);

    Database& m_db;
};

} // namespace orvix::server
