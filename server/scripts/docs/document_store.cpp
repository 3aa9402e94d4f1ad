#include "server/scripts/docs/document_store.h"

#include "server/storage/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace orvix::server {

DocumentStore::DocumentStore(Database& db)
    : m_db(db) {}

DocumentStore::Registration DocumentStore::registerDocument(qint64 memberNo, const QString& path,
                                                            const QString& fileName,
                                                            const QString& ext,
                                                            const QString& comment, qint64 now) {
    Registration result;
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return result;

    QSqlQuery& remove = m_db.statement(QStringLiteral(
        "DELETE FROM documents WHERE member_no = ? AND (file_name = ? OR path = ?)"));
    remove.addBindValue(memberNo);
    remove.addBindValue(fileName);
    remove.addBindValue(path);
    if (!remove.exec()) {
        m_db.setLastError(remove.lastError().text());
        return result;
    }
    result.replaced = remove.numRowsAffected() > 0;
    remove.finish();

    QSqlQuery& insert = m_db.statement(
        QStringLiteral("INSERT INTO documents (member_no, path, file_name, ext, comment, "
                       "created_at, updated_at) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(memberNo);
    insert.addBindValue(path);
    insert.addBindValue(fileName);
    insert.addBindValue(ext);
    insert.addBindValue(comment);
    insert.addBindValue(now);
    insert.addBindValue(now);
    if (!insert.exec()) {
        m_db.setLastError(insert.lastError().text());
        return result;
    }
    result.documentNo = insert.lastInsertId().toLongLong();
    insert.finish();
    result.ok = transaction.commit();
    return result;
}

std::optional<QList<DocumentRecord>> DocumentStore::list(qint64 memberNo, Order order) {
    // The number alone decides the order: it grows with every registration.
    QSqlQuery& query = m_db.statement(
        order == Order::NewestFirst
            ? QStringLiteral("SELECT document_no, member_no, path, file_name, ext, comment, "
                             "updated_at FROM documents WHERE member_no = ? "
                             "ORDER BY document_no DESC")
            : QStringLiteral("SELECT document_no, member_no, path, file_name, ext, comment, "
                             "updated_at FROM documents WHERE member_no = ? "
                             "ORDER BY document_no ASC"));
    query.addBindValue(memberNo);
    if (!query.exec()) {
        m_db.setLastError(query.lastError().text());
        return std::nullopt;
    }
    QList<DocumentRecord> documents;
    while (query.next()) {
        DocumentRecord record;
        record.documentNo = query.value(0).toLongLong();
        record.memberNo = query.value(1).toLongLong();
        record.path = query.value(2).toString();
        record.fileName = query.value(3).toString();
        record.ext = query.value(4).toString();
        record.comment = query.value(5).toString();
        record.registeredAt = query.value(6).toLongLong();
        documents.append(record);
    }
    query.finish();
    return documents;
}

} // namespace orvix::server
