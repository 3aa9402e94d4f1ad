#include "server/scripts/session/login_throttle.h"

#include <QCryptographicHash>

namespace orvix::server {

LoginThrottle::LoginThrottle(Settings settings)
    : m_settings(settings) {}

QByteArray LoginThrottle::idKey(const QString& loginId) {
    // IDs come from the network and may be long: the table keeps a digest of fixed size.
    return QCryptographicHash::hash(loginId.toUtf8(), QCryptographicHash::Sha256).left(16);
}

qint64 LoginThrottle::backoffLeft(const QString& loginId, const QString& address,
                                  qint64 nowMs) const {
    return qMax(left(m_addresses, address.toUtf8(), nowMs), left(m_ids, idKey(loginId), nowMs));
}

void LoginThrottle::recordFailure(const QString& loginId, const QString& address, qint64 nowMs) {
    fail(m_addresses, address.toUtf8(), m_settings.freeFailuresPerAddress, nowMs);
    fail(m_ids, idKey(loginId), m_settings.freeFailuresPerId, nowMs);
}

void LoginThrottle::recordSuccess(const QString& loginId) {
    m_ids.remove(idKey(loginId));
}

int LoginThrottle::addressFailures(const QString& address, qint64 nowMs) const {
    const auto it = m_addresses.constFind(address.toUtf8());
    if (it == m_addresses.constEnd() || nowMs - it->lastFailureMs >= m_settings.forgetAfterMs)
        return 0;
    return it->failures;
}

qint64 LoginThrottle::left(const Table& table, const QByteArray& key, qint64 nowMs) {
    const auto it = table.constFind(key);
    return it == table.constEnd() ? 0 : qMax<qint64>(0, it->blockedUntilMs - nowMs);
}

void LoginThrottle::fail(Table& table, const QByteArray& key, int freeFailures, qint64 nowMs) {
    auto it = table.find(key);
    if (it == table.end()) {
        makeRoom(table, nowMs);
        it = table.insert(key, Record{});
    } else if (nowMs - it->lastFailureMs >= m_settings.forgetAfterMs) {
        *it = Record{};
    }
    ++it->failures;
    it->lastFailureMs = nowMs;
    const int beyond = it->failures - qMax(0, freeFailures);
    if (beyond > 0) {
        const qint64 backoff = qMin<qint64>(
            m_settings.longestBackoffMs, qint64(m_settings.firstBackoffMs) << qMin(beyond - 1, 20));
        it->blockedUntilMs = nowMs + backoff;
    }
}

void LoginThrottle::makeRoom(Table& table, qint64 nowMs) {
    if (table.size() < m_settings.maxRecords)
        return;
    // First what is forgotten anyway, then, when the table is still full of recent failures
    // (many addresses at once), the records that block nothing right now.
    for (int pass = 0; pass < 2 && table.size() >= m_settings.maxRecords; ++pass) {
        for (auto it = table.begin(); it != table.end();) {
            const bool stale = nowMs - it->lastFailureMs >= m_settings.forgetAfterMs;
            if (stale || (pass == 1 && nowMs >= it->blockedUntilMs))
                it = table.erase(it);
            else
                ++it;
        }
    }
    if (table.size() >= m_settings.maxRecords)
        table.erase(table.begin());
}

} // namespace orvix::server
