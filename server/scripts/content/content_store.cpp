#include "server/scripts/content/content_store.h"

#include "server/storage/database.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace orvix::server {

namespace {

// Missing text is stored as empty text: a null string would be bound as NULL.
QString orEmpty(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

ContentStore::ContentStore(Database& db)
    : m_db(db) {}

std::optional<qint64> ContentStore::add(const ContentRecord& content) {
    QSqlQuery& insert = m_db.statement(QStringLiteral(
        "INSERT INTO contents (member_no, style, file_name, title, html, image_files, "
        "client_time, created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(content.memberNo);
    insert.addBindValue(orEmpty(content.style));
    insert.addBindValue(orEmpty(content.fileName));
    insert.addBindValue(orEmpty(content.title));
    insert.addBindValue(orEmpty(content.html));
    insert.addBindValue(orEmpty(content.imageFiles));
    insert.addBindValue(content.clientTime);
    insert.addBindValue(content.createdAt > 0 ? content.createdAt
                                              : QDateTime::currentSecsSinceEpoch());
    if (!insert.exec()) {
        m_db.setLastError(insert.lastError().text());
        insert.finish();
        return std::nullopt;
    }
    const qint64 number = insert.lastInsertId().toLongLong();
    insert.finish();
    return number;
}

std::optional<ContentRecord> ContentStore::find(qint64 contentNo, bool* failed) {
    QSqlQuery& query = m_db.statement(
        QStringLiteral("SELECT content_no, member_no, style, file_name, title, html, image_files, "
                       "client_time, created_at FROM contents WHERE content_no = ?"));
    query.addBindValue(contentNo);
    const bool ok = query.exec();
    if (failed)
        *failed = !ok;
    std::optional<ContentRecord> found;
    if (!ok) {
        m_db.setLastError(query.lastError().text());
    } else if (query.next()) {
        ContentRecord content;
        content.contentNo = query.value(0).toLongLong();
        content.memberNo = query.value(1).toLongLong();
        content.style = query.value(2).toString();
        content.fileName = query.value(3).toString();
        content.title = query.value(4).toString();
        content.html = query.value(5).toString();
        content.imageFiles = query.value(6).toString();
        content.clientTime = query.value(7).toLongLong();
        content.createdAt = query.value(8).toLongLong();
        found = std::move(content);
    }
    query.finish();
    return found;
}

std::optional<ContentRecord> ContentStore::findByToken(QStringView token, bool* failed) {
    if (failed)
        *failed = false;
    const auto number = contentNoOf(token);
    if (!number)
        return std::nullopt;
    return find(*number, failed);
}

QString ContentStore::tokenOf(qint64 contentNo) {
    return QString::number(contentNo);
}

std::optional<qint64> ContentStore::contentNoOf(QStringView token) {
    // At most 18 digits, so the number always fits.
    if (token.isEmpty() || token.size() > 18)
        return std::nullopt;
    qint64 number = 0;
    for (QChar c : token) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + (c.unicode() - u'0');
    }
    if (number <= 0)
        return std::nullopt;
    return number;
}

bool ContentStore::setProfile(qint64 memberNo, qint64 contentNo) {
    return setColumn(
        QStringLiteral("UPDATE members SET profile_content_no = ? WHERE member_no = ?"), memberNo,
        contentNo);
}

bool ContentStore::setStoreContent(qint64 storeNo, qint64 contentNo) {
    return setColumn(QStringLiteral("UPDATE stores SET content_no = ? WHERE store_no = ?"), storeNo,
                     contentNo);
}

bool ContentStore::updateHtml(qint64 contentNo, const QString& html) {
    QSqlQuery& query =
        m_db.statement(QStringLiteral("UPDATE contents SET html = ? WHERE content_no = ?"));
    query.addBindValue(html);
    query.addBindValue(contentNo);
    const bool ok = query.exec();
    if (!ok)
        m_db.setLastError(query.lastError().text());
    const bool changed = ok && query.numRowsAffected() == 1;
    query.finish();
    return changed;
}

std::optional<qint64> ContentStore::profileOf(qint64 memberNo, bool* failed) {
    return readColumn(QStringLiteral("SELECT profile_content_no FROM members WHERE member_no = ?"),
                      memberNo, failed);
}

std::optional<qint64> ContentStore::storeContentOf(qint64 storeNo, bool* failed) {
    return readColumn(QStringLiteral("SELECT content_no FROM stores WHERE store_no = ?"), storeNo,
                      failed);
}

bool ContentStore::setColumn(const QString& sql, qint64 key, qint64 contentNo) {
    QSqlQuery& query = m_db.statement(sql);
    query.addBindValue(contentNo);
    query.addBindValue(key);
    const bool ok = query.exec();
    if (!ok)
        m_db.setLastError(query.lastError().text());
    const bool changed = ok && query.numRowsAffected() == 1;
    query.finish();
    return changed;
}

std::optional<qint64> ContentStore::readColumn(const QString& sql, qint64 key, bool* failed) {
    QSqlQuery& query = m_db.statement(sql);
    query.addBindValue(key);
    const bool ok = query.exec();
    if (failed)
        *failed = !ok;
    std::optional<qint64> value;
    if (!ok)
        m_db.setLastError(query.lastError().text());
    else if (query.next() && !query.value(0).isNull())
        value = query.value(0).toLongLong();
    query.finish();
    return value;
}

} // namespace orvix::server
