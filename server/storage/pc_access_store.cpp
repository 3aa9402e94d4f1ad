#include "server/storage/pc_access_store.h"

#include "server/storage/database.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace orvix::server {

namespace {

using Outcome = PcAccessStore::Admission::Outcome;

PcAccessStore::Admission outcome(Outcome value, const QString& deviceId = {}) {
    PcAccessStore::Admission admission;
    admission.outcome = value;
    admission.deviceId = deviceId;
    return admission;
}

} // namespace

PcAccessStore::PcAccessStore(Database& db)
    : m_db(db) {}

QString PcAccessStore::newDeviceId() {
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(words), sizeof(words)).toHex());
}

PcAccessStore::Admission PcAccessStore::admit(qint64 memberNo, bool autoApprove,
                                              const QString& address) {
    bool failed = false;
    // The waiting client asks again every 100 ms: answer "still pending" without a write.
    if (!autoApprove) {
        const auto open = findOpen(memberNo, &failed);
        if (failed)
            return outcome(Outcome::Failed);
        if (open && open->state == Approval::Pending)
            return outcome(Outcome::Pending);
    }

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return outcome(Outcome::Failed);
    // Look again under the write lock: the phone (another process) may have decided meanwhile.
    const auto open = findOpen(memberNo, &failed);
    if (failed)
        return outcome(Outcome::Failed);

    Admission result;
    if (autoApprove) {
        if (open && !closeApproval(open->approvalNo, Approval::Used, now))
            return outcome(Outcome::Failed);
        result = outcome(Outcome::Admitted, openSession(memberNo, std::nullopt, address, now));
    } else if (!open) {
        if (!insertApproval(memberNo, Approval::Pending, now))
            return outcome(Outcome::Failed);
        result = outcome(Outcome::Pending);
    } else if (open->state == Approval::Pending) {
        return outcome(Outcome::Pending);
    } else if (open->state == Approval::Refused) {
        if (!closeApproval(open->approvalNo, Approval::RefusalReported, now))
            return outcome(Outcome::Failed);
        result = outcome(Outcome::Refused);
    } else {
        if (!closeApproval(open->approvalNo, Approval::Used, now))
            return outcome(Outcome::Failed);
        result = outcome(Outcome::Admitted, openSession(memberNo, open->approvalNo, address, now));
    }
    if (result.outcome == Outcome::Admitted && result.deviceId.isEmpty())
        return outcome(Outcome::Failed);
    if (!transaction.commit())
        return outcome(Outcome::Failed);
    return result;
}

bool PcAccessStore::decide(qint64 memberNo, bool approve) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const Approval state = approve ? Approval::Approved : Approval::Refused;
    Transaction transaction(m_db);
    if (!transaction.isActive())
        return false;
    bool failed = false;
    const auto open = findOpen(memberNo, &failed);
    if (failed)
        return false;
    if (open) {
        QSqlQuery& update = m_db.statement(QStringLiteral(
            "UPDATE pc_approvals SET state = ?, decided_at = ? WHERE approval_no = ?"));
        update.addBindValue(int(state));
        update.addBindValue(now);
        update.addBindValue(open->approvalNo);
        if (!m_db.run(update))
            return false;
    } else {
        if (!insertApproval(memberNo, state, now))
            return false;
    }
    return transaction.commit();
}

int PcAccessStore::endSessions(qint64 memberNo, const QString& reason) {
    return endOpenSessions(QLatin1String("member_no"), memberNo, reason);
}

bool PcAccessStore::closeSession(const QString& deviceId, const QString& reason) {
    return endOpenSessions(QLatin1String("device_id"), deviceId, reason) == 1;
}

int PcAccessStore::endOpenSessions(QLatin1String column, const QVariant& key,
                                   const QString& reason) {
    const QString sql = QStringLiteral("UPDATE pc_sessions SET ended_at = ?, end_reason = ? "
                                       "WHERE %1 = ? AND ended_at IS NULL")
                            .arg(column);
    QSqlQuery& query = m_db.statement(sql);
    query.addBindValue(QDateTime::currentSecsSinceEpoch());
    query.addBindValue(reason);
    query.addBindValue(key);
    const int ended = query.exec() ? query.numRowsAffected() : -1;
    if (ended < 0)
        m_db.setLastError(query.lastError().text());
    query.finish();
    return ended;
}

std::optional<qint64> PcAccessStore::sessionMember(const QString& deviceId) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT member_no FROM pc_sessions WHERE device_id = ? AND ended_at IS NULL"));
    query.addBindValue(deviceId);
    std::optional<qint64> member;
    if (query.exec() && query.next())
        member = query.value(0).toLongLong();
    query.finish();
    return member;
}

QList<qint64> PcAccessStore::sessionMembersAt(const QString& address, bool* failed) {
    QSqlQuery& query = m_db.statement(
        QStringLiteral("SELECT DISTINCT member_no FROM pc_sessions "
                       "WHERE peer_address = ? AND ended_at IS NULL ORDER BY member_no"));
    query.addBindValue(address);
    QList<qint64> members;
    const bool ok = query.exec();
    if (failed)
        *failed = !ok;
    if (!ok)
        m_db.setLastError(query.lastError().text());
    while (ok && query.next())
        members.append(query.value(0).toLongLong());
    query.finish();
    return members;
}

int PcAccessStore::openSessionCount(qint64 memberNo) {
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "SELECT COUNT(*) FROM pc_sessions WHERE member_no = ? AND ended_at IS NULL"));
    query.addBindValue(memberNo);
    const int count = query.exec() && query.next() ? query.value(0).toInt() : 0;
    query.finish();
    return count;
}

std::optional<PcAccessStore::Approval> PcAccessStore::openApproval(qint64 memberNo) {
    bool failed = false;
    const auto open = findOpen(memberNo, &failed);
    if (!open)
        return std::nullopt;
    return open->state;
}

std::optional<PcAccessStore::OpenApproval> PcAccessStore::findOpen(qint64 memberNo, bool* failed) {
    QSqlQuery& query = m_db.statement(QStringLiteral("SELECT approval_no, state FROM pc_approvals "
                                                     "WHERE member_no = ? AND state IN (0, 1, 2) "
                                                     "ORDER BY approval_no DESC LIMIT 1"));
    query.addBindValue(memberNo);
    std::optional<OpenApproval> open;
    *failed = !query.exec();
    if (*failed) {
        m_db.setLastError(query.lastError().text());
    } else if (query.next()) {
        open = OpenApproval{query.value(0).toLongLong(), Approval(query.value(1).toInt())};
    }
    query.finish();
    return open;
}

bool PcAccessStore::closeApproval(qint64 approvalNo, Approval finalState, qint64 now) {
    QSqlQuery& query = m_db.statement(
        QStringLiteral("UPDATE pc_approvals SET state = ?, closed_at = ?, "
                       "decided_at = COALESCE(decided_at, ?) WHERE approval_no = ?"));
    query.addBindValue(int(finalState));
    query.addBindValue(now);
    query.addBindValue(now);
    query.addBindValue(approvalNo);
    return m_db.run(query);
}

bool PcAccessStore::insertApproval(qint64 memberNo, Approval state, qint64 now) {
    QSqlQuery& query = m_db.statement(
        QStringLiteral("INSERT INTO pc_approvals (member_no, state, requested_at, decided_at) "
                       "VALUES (?, ?, ?, ?)"));
    query.addBindValue(memberNo);
    query.addBindValue(int(state));
    query.addBindValue(now);
    query.addBindValue(state == Approval::Pending ? QVariant() : QVariant(now));
    return m_db.run(query);
}

QString PcAccessStore::openSession(qint64 memberNo, std::optional<qint64> approvalNo,
                                   const QString& address, qint64 now) {
    // A new session hears only of chat messages that arrive from now on.
    QSqlQuery& query = m_db.statement(QStringLiteral(
        "INSERT INTO pc_sessions (device_id, member_no, approval_no, started_at, peer_address, "
        "chat_cursor) "
        "VALUES (?, ?, ?, ?, ?, (SELECT COALESCE(MAX(message_no), 0) FROM chat_messages))"));
    const QString deviceId = newDeviceId();
    query.addBindValue(deviceId);
    query.addBindValue(memberNo);
    query.addBindValue(approvalNo ? QVariant(*approvalNo) : QVariant());
    query.addBindValue(now);
    query.addBindValue(address.isEmpty() ? QVariant() : QVariant(address));
    return m_db.run(query) ? deviceId : QString();
}

} // namespace orvix::server
