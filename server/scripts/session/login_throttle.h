#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace orvix::server {

// Failed password checks per login ID and per address, with a back-off: after the free failures,
// each further failure doubles a waiting time (from the first back-off up to the longest) during
// which a login that would need a full password check is refused at once, with the usual
// refusal. Records without a new failure are forgotten after a while; both tables are bounded.
// Times are milliseconds of any steady clock, given by the caller.
class LoginThrottle {
public:
    struct Settings {
        int freeFailuresPerAddress = 5;
        int freeFailuresPerId = 10;
        int firstBackoffMs = 1000;
        int longestBackoffMs = 30000;
        int forgetAfterMs = 15 * 60 * 1000;
        int maxRecords = 100000; // per table
    };

    explicit LoginThrottle(Settings settings);

    // Whether a full password check may run now for this ID from this address.
    bool allows(const QString& loginId, const QString& address, qint64 nowMs) const {
        return backoffLeft(loginId, address, nowMs) == 0;
    }
    // How long the back-off of the ID or of the address still lasts (0: none).
    qint64 backoffLeft(const QString& loginId, const QString& address, qint64 nowMs) const;
    void recordFailure(const QString& loginId, const QString& address, qint64 nowMs);
    // A correct password: the ID's failures are forgotten (the address's stay: one good account
    // must not clear the way for guesses at others).
    void recordSuccess(const QString& loginId);

    // Recent failures from the address (0 when none), for ordering the waiting checks.
    int addressFailures(const QString& address, qint64 nowMs) const;

    int recordCount() const { return int(m_ids.size() + m_addresses.size()); }

private:
    struct Record {
        int failures = 0;
        qint64 lastFailureMs = 0;
        qint64 blockedUntilMs = 0;
    };
    using Table = QHash<QByteArray, Record>;

    static QByteArray idKey(const QString& loginId);
    static qint64 left(const Table& table, const QByteArray& key, qint64 nowMs);
    void fail(Table& table, const QByteArray& key, int freeFailures, qint64 nowMs);
    void makeRoom(Table& table, qint64 nowMs);

    Settings m_settings;
    Table m_ids;
    Table m_addresses;
};

} // namespace orvix::server
