#include "server/scripts/store/store_registry.h"

#include "server/storage/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace orvix::server {

StoreRegistry::StoreRegistry(Database& db)
    : m_db(db) {}

QStringList StoreRegistry::addressTable() {
    return {
        QStringLiteral(R"(CREATE TABLE store_addresses (
            store_no INTEGER PRIMARY KEY REFERENCES stores(store_no) ON DELETE CASCADE,
            address TEXT NOT NULL,
            updated_at INTEGER NOT NULL))"),
    };
}

std::optional<qint64> StoreRegistry::add(const StoreRecord& store, qint64 now) {
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return std::nullopt;
    QSqlQuery& insert = m_db.statement(QStringLiteral(
        "INSERT INTO stores (owner_member_no, name, tel, kind, ceo_name, title, "
        "add_key, info_photo_count, created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(store.ownerMemberNo);
    insert.addBindValue(store.name);
    insert.addBindValue(store.tel);
    insert.addBindValue(store.kind);
    insert.addBindValue(store.ceoName);
    insert.addBindValue(store.title);
    insert.addBindValue(store.addKey);
    insert.addBindValue(store.infoPhotoCount);
    insert.addBindValue(now);
    if (!insert.exec()) {
        m_db.setLastError(insert.lastError().text());
        return std::nullopt;
    }
    const qint64 storeNo = insert.lastInsertId().toLongLong();
    insert.finish();
    if (!transaction.commit())
        return std::nullopt;
    return storeNo;
}

std::optional<StoreRecord> StoreRegistry::find(qint64 storeNo, bool* failed) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT s.store_no, s.owner_member_no, s.name, s.tel, s.kind, s.ceo_name, s.title, "
        "s.add_key, s.info_photo_count, a.address FROM stores s "
        "LEFT JOIN store_addresses a ON a.store_no = s.store_no WHERE s.store_no = ?"));
    query.addBindValue(storeNo);
    const bool ok = query.exec();
    if (failed)
        *failed = !ok;
    if (!ok) {
        m_db.setLastError(query.lastError().text());
        return std::nullopt;
    }
    std::optional<StoreRecord> store;
    if (query.next()) {
        StoreRecord record;
        record.storeNo = query.value(0).toLongLong();
        record.ownerMemberNo = query.value(1).toLongLong();
        record.name = query.value(2).toString();
        record.tel = query.value(3).toString();
        record.kind = query.value(4).toString();
        record.ceoName = query.value(5).toString();
        record.title = query.value(6).toString();
        record.addKey = query.value(7).toString();
        record.infoPhotoCount = query.value(8).toInt();
        record.address = query.value(9).toString();
        store = record;
    }
    query.finish();
    return store;
}

bool StoreRegistry::setAddress(qint64 storeNo, const QString& address, qint64 now) {
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return false;
    QSqlQuery& upsert = m_db.statement(QStringLiteral(
        "INSERT INTO store_addresses (store_no, address, updated_at) VALUES (?, ?, ?) "
        "ON CONFLICT (store_no) DO UPDATE SET address = excluded.address, "
        "updated_at = excluded.updated_at"));
    upsert.addBindValue(storeNo);
    upsert.addBindValue(address);
    upsert.addBindValue(now);
    return m_db.run(upsert) && transaction.commit();
}

} // namespace orvix::server
