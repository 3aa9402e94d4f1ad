#include "server/storage/database.h"

#include "server/storage/schema.h"

#include <QSqlError>
#include <QUuid>

namespace orvix::server {

Database::Database(QString filePath)
    : m_filePath(std::move(filePath))
    , m_connectionName(QStringLiteral("orvix-") +
                       QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

Database::~Database() {
    m_statements.clear();
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

bool Database::open(QString* error) {
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(m_filePath);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!m_db.open()) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(m_filePath, m_db.lastError().text());
        return false;
    }
    // WAL lets the serving process read while an admin process writes. NORMAL synchronisation
    // in WAL mode keeps every committed transaction when the process is killed; FULL also keeps
    // it through a power failure, at one sync per commit, which these small writes can afford.
    const QString pragmas[] = {
        QStringLiteral("PRAGMA journal_mode=WAL"),
        QStringLiteral("PRAGMA synchronous=FULL"),
        QStringLiteral("PRAGMA foreign_keys=ON"),
    };
    for (const QString& pragma : pragmas) {
        if (!exec(pragma, error))
            return false;
    }
    return Schema::migrate(*this, error);
}

bool Database::isOpen() const {
    return m_db.isOpen();
}

QSqlQuery& Database::statement(const QString& sql) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        QSqlQuery query(m_db);
        if (!query.prepare(sql))
            m_lastError = query.lastError().text();
        it = m_statements.insert(sql, query);
    }
    return it.value();
}

bool Database::exec(const QString& sql, QString* error) {
    QSqlQuery query(m_db);
    if (!query.exec(sql)) {
        m_lastError = query.lastError().text();
        if (error)
            *error = QStringLiteral("%1: %2").arg(sql, m_lastError);
        return false;
    }
    query.finish();
    return true;
}

bool Database::run(QSqlQuery& query) {
    const bool ok = query.exec();
    if (!ok)
        m_lastError = query.lastError().text();
    query.finish();
    return ok;
}

bool Database::begin() {
    return exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool Database::commit() {
    return exec(QStringLiteral("COMMIT"));
}

void Database::rollback() {
    exec(QStringLiteral("ROLLBACK"));
}

Transaction::Transaction(Database& db)
    : m_db(db)
    , m_active(db.begin()) {}

Transaction::~Transaction() {
    if (m_active)
        m_db.rollback();
}

bool Transaction::commit() {
    if (!m_active)
        return false;
    m_active = false;
    if (m_db.commit())
        return true;
    m_db.rollback();
    return false;
}

} // namespace orvix::server
