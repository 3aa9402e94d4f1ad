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
    const QByteArray print = fingerprint(password, storedHash);
    if (m_matches.contains(print))
        return true;
    if (m_mismatches.contains(print))
        return false;
    const bool match = PasswordHasher::verify(password, storedHash);
    // Bounded memory: forget everything when full; the next checks simply rebuild it.
    QSet<QByteArray>& remembered = match ? m_matches : m_mismatches;
    if (remembered.size() >= m_capacity)
        remembered.clear();
    remembered.insert(print);
    return match;
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
