#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace orvix::server {

class Database;

// One registered document of a member: where the uploaded file lives (its web address), the
// name it had on the member's PC, its upper-cased extension and the member's description.
struct DocumentRecord {
    qint64 documentNo = 0;
    qint64 memberNo = 0;
    QString path;
    QString fileName;
    QString ext;
    QString comment;
    qint64 registeredAt = 0; // seconds since 1970
};

// The members' documents. A document's number is given in order of registration and is what
// both list orders sort by: two registrations within one second still keep their order.
class DocumentStore {
public:
    enum class Order { Registration = 0, NewestFirst = 1 };

    struct Registration {
        bool ok = false;
        bool replaced = false; // the member already had a document of that file name
        qint64 documentNo = 0;
    };

    explicit DocumentStore(Database& db);

    // Registers a document. A document of the member with the same file name, or with the same
    // address, is replaced by this one (in one transaction): the new registration takes a new
    // number, so it lists as the newest. The uploaded files themselves are left as they are.
    Registration registerDocument(qint64 memberNo, const QString& path, const QString& fileName,
                                  const QString& ext, const QString& comment, qint64 now);

    // The member's documents in the order asked for; nothing when the database failed.
    std::optional<QList<DocumentRecord>> list(qint64 memberNo, Order order);

private:
    Database& m_db;
};

} // namespace orvix::server
