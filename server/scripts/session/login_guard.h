#pragma once

#include "server/scripts/session/login_throttle.h"
#include "server/storage/member_store.h"
#include "server/storage/password_check_pool.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <optional>

namespace orvix::server {

class ServerContext;

// The password side of the PC login, kept off the thread that answers HTTP and out of the
// hands of password guessers:
// - a pair (stored hash, password) checked before is answered from the context's
//   PasswordVerifier for one HMAC, and is never throttled: a client waiting for the phone repeats
//   its login every 100 ms;
// - any other check is a full PBKDF2 on a worker pool; the checks of addresses with recent
//   failures (an IPv6 /64 counts as one address) wait in a queue of their own, fewer failures
//   first, and never take every worker, so that a member logging in finds one free beside a
//   flood of guesses;
// - during a back-off of the ID or of the address (LoginThrottle), or while the address already
//   has its number of checks waiting, the answer is "wrong" without a check, given when the
//   back-off ends (loginRefusalDelayMs at most);
// - an unknown ID is checked against a hash of its own that no password matches, made like a
//   member's, so that neither the time taken nor the throttling tells which IDs exist.
// Results come back on the thread that made the guard.
class LoginGuard : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool correct)>;

    explicit LoginGuard(ServerContext& context, QObject* parent = nullptr);

    // Checks the password of member (nothing: an unknown ID) for a login from address; done is
    // called once, at once or when the check has run.
    void check(const QString& loginId, const QString& password,
               const std::optional<MemberRecord>& member, const QString& address, Done done);

    static qint64 nowMs();
    // What failures are counted by for an address: the address, or an IPv6 address's /64.
    static QString throttleKey(const QString& address);

private:
    // The stand-in hash for an unknown ID: the same form and cost as a member's, a salt and key
    // that depend on the ID (so a repeated guess is remembered like one for a member) and on a
    // key that exists only in this process.
    QString standInHash(const QString& loginId) const;
    void startSuspects();
    void finished(const QString& loginId, const QString& password, const QString& storedHash,
                  const QString& address, bool known, bool match, const Done& done);

    ServerContext& m_context;
    LoginThrottle m_throttle;
    PasswordCheckPool m_pool;
    // Checks of addresses with recent failures, waiting for a worker of their own.
    struct SuspectCheck {
        int failures = 0;
        QString password;
        QString storedHash;
        std::function<void(bool)> done;
    };
    QList<SuspectCheck> m_suspects;
    int m_suspectsRunning = 0;
    QHash<QString, int> m_checksByAddress;
    int m_maxChecksPerAddress;
    int m_maxRefusalDelayMs;
    int m_sequence = 0; // orders the checks of addresses without failures, newest first
    QByteArray m_standInKey;
};

} // namespace orvix::server
