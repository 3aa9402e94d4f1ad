#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <optional>

namespace orvix::server {

// Checks passwords against stored PBKDF2 hashes, remembering the checks that succeeded.
//
// A PC login that waits for the phone's agreement repeats every 100 ms with the same password,
// so a full PBKDF2 per request would make the waiting clients the server's main load. After one
// check, the pair (stored hash, password) is remembered as an HMAC under a key that exists only
// in this process's memory, with its outcome; later checks of the same pair cost one HMAC. No
// password is kept in clear, and a changed stored hash no longer matches any remembered entry.
// A wrong password tried again (a client that keeps its remembered password) is as cheap; each
// new wrong password takes the full check.
class PasswordVerifier {
public:
    explicit PasswordVerifier(int capacity = 10000);

    // A full check (remembered afterwards), or the remembered outcome.
    bool verify(const QString& password, const QString& storedHash);

    // The outcome of an earlier check of this pair, or nothing when it has not been checked
    // (or has been forgotten). Costs one HMAC.
    std::optional<bool> remembered(const QString& password, const QString& storedHash) const;
    // Keeps the outcome of a check made elsewhere (on a worker thread).
    void remember(const QString& password, const QString& storedHash, bool match);

    // Number of remembered successful and failed checks (for tests).
    int rememberedCount() const { return int(m_matches.size()); }
    int rememberedFailures() const { return int(m_mismatches.size()); }

private:
    QByteArray fingerprint(const QString& password, const QString& storedHash) const;

    QByteArray m_key;
    QSet<QByteArray> m_matches;
    QSet<QByteArray> m_mismatches;
    int m_capacity;
};

} // namespace orvix::server
