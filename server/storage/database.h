#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace orvix::server {

// One SQLite connection to the server's database file, for the thread that created it.
//
// The file is shared with other processes (the admin commands run beside a serving process), so
// the connection uses write-ahead logging with a busy timeout, and every write runs in an
// IMMEDIATE transaction. Statements are prepared once and kept; a caller must finish() a
// statement after reading it, so that no read snapshot stays open and the next statement sees
// what other processes committed meanwhile.
class Database {
public:
    explicit Database(QString filePath);
    ~Database();

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file (created when missing), sets the connection options and brings the schema
    // up to date. Returns false with a reason when the database cannot be used.
    bool open(QString* error);
    bool isOpen() const;
    QString filePath() const { return m_filePath; }

    // A prepared statement for this SQL text, kept for the life of the connection.
    QSqlQuery& statement(const QString& sql);

    // Runs one statement without parameters (schema changes, pragmas).
    bool exec(const QString& sql, QString* error = nullptr);

    // Runs a prepared statement with the values bound to it and finishes it, keeping the error
    // when it fails. For writes that need nothing back but whether they worked.
    bool run(QSqlQuery& query);

    // Write transactions. begin() takes the write lock at once (waiting up to the busy timeout
    // for another process to finish), so two writers never deadlock on a lock upgrade.
    bool begin();
    bool commit();
    void rollback();

    QString lastError() const { return m_lastError; }
    void setLastError(const QString& error) { m_lastError = error; }

    // Milliseconds a statement waits for another process's lock before it fails.
    static constexpr int kBusyTimeoutMs = 10000;

private:
    QString m_filePath;
    QString m_connectionName;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery> m_statements;
    QString m_lastError;
};

// Rolls the transaction back unless commit() succeeded; keeps early returns safe.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();

    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    bool commit();

private:
    Database& m_db;
    bool m_active = false;
};

} // namespace orvix::server
