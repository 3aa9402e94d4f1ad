#pragma once

#include <QString>

#include <optional>

namespace orvix::server {

class Database;

// What the store form registers, and the address the member places the store at.
struct StoreRecord {
    qint64 storeNo = 0;
    qint64 ownerMemberNo = 0;
    QString name;
    QString tel;
    QString kind;
    QString ceoName;
    QString title;
    QString addKey;
    int infoPhotoCount = 0;
    QString address; // empty until the member saves one on the address page
};

// Stores registered through the store form (the stores table) and their addresses.
class StoreRegistry {
public:
    explicit StoreRegistry(Database& db);

    // Adds a store of the owner with the form's fields; gives its number, or nothing when the
    // database failed.
    std::optional<qint64> add(const StoreRecord& store, qint64 now);

    // The store with its address; nothing when there is no such store (or on a failure, which
    // *failed tells apart).
    std::optional<StoreRecord> find(qint64 storeNo, bool* failed = nullptr);

    // Keeps the address of a store, replacing the one before. False on a database failure.
    bool setAddress(qint64 storeNo, const QString& address, qint64 now);

    // The feature's own table: one address per store.
    static QStringList addressTable();

private:
    Database& m_db;
};

} // namespace orvix::server
