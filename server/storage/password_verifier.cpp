#include "server/storage/password_verifier.h"

#include "server/storage/password_hasher.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace orvix::server {

PasswordVerifier::PasswordVerifier(int capacity)
    : m_key(32, Qt::Uninitialized)
    , m_capacity(qMax(1, capacity)) {
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(m_key.data()),
                                          int(m_key.size() / qsizetype(sizeof(quint32))));
}

bool PasswordVerifier::verify(const QString& password, const QString& storedHash) {
    if (const auto known = remembered(password, storedHash))
        return *known;
    const bool match = PasswordHasher::verify(password, storedHash);
    remember(password, storedHash, match);
    return match;
}

std::optional<bool> PasswordVerifier::remembered(const QString& password,
                                                 const QString& storedHash) const {
    const QByteArray print = fingerprint(password, storedHash);
    if (m_matches.contains(print))
        return true;
    if (m_mismatches.contains(print))
        return false;
    return std::nullopt;
}

void PasswordVerifier::remember(const QString& password, const QString& storedHash, bool match) {
    // Bounded memory: forget everything when full; the next checks simply rebuild it.
    QSet<QByteArray>& remembered = match ? m_matches : m_mismatches;
    if (remembered.size() >= m_capacity)
        remembered.clear();
    remembered.insert(fingerprint(password, storedHash));
}

QByteArray PasswordVerifier::fingerprint(const QString& password, const QString& storedHash) const {
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, m_key);
    const QByteArray hash = storedHash.toUtf8();
    // The stored hash's length goes first so that no two different pairs give the same input.
    mac.addData(QByteArray::number(hash.size()));
    mac.addData("$", 1);
    mac.addData(hash);
    mac.addData(password.toUtf8());
    return mac.result();
}

} // namespace orvix::server
