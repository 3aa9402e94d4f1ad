#pragma once

#include <QByteArray>
#include <QString>

namespace orvix::server {

// Salted PBKDF2-HMAC-SHA256 password hashes, stored as one text:
// "pbkdf2-sha256$<iterations>$<salt, base64>$<key, base64>". The iteration count travels with
// the hash, so it can be raised later without invalidating stored passwords.
class PasswordHasher {
public:
    static constexpr int kDefaultIterations = 50000;
    static constexpr int kSaltBytes = 16;
    static constexpr int kKeyBytes = 32;

    explicit PasswordHasher(int iterations = kDefaultIterations);

    // A new hash of the password with a fresh random salt.
    QString hash(const QString& password) const;

    // Whether the password matches the stored hash. A malformed hash matches nothing.
    static bool verify(const QString& password, const QString& storedHash);

private:
    int m_iterations;
};

} // namespace orvix::server
