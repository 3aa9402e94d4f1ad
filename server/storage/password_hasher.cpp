#include "server/storage/password_hasher.h"

#include <QCryptographicHash>
#include <QList>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace orvix::server {

namespace {

const QLatin1String kScheme("pbkdf2-sha256");

// Upper bound on the iterations a stored hash may ask for, so a damaged or hostile value cannot
// stall the server.
constexpr int kMaxIterations = 10'000'000;

QByteArray derive(const QString& password, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, PasswordHasher::kKeyBytes);
}

// Compares without an early exit, so the time taken does not tell how much matched.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

PasswordHasher::PasswordHasher(int iterations)
    : m_iterations(qBound(1, iterations, kMaxIterations)) {}

QString PasswordHasher::hash(const QString& password) const {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()),
                                          kSaltBytes / int(sizeof(quint32)));
    const QByteArray key = derive(password, salt, m_iterations);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(kScheme)
        .arg(m_iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(key.toBase64()));
}

bool PasswordHasher::verify(const QString& password, const QString& storedHash) {
    const QStringList parts = storedHash.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != kScheme)
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > kMaxIterations)
        return false;
    const auto salt = QByteArray::fromBase64Encoding(parts[2].toLatin1(),
                                                     QByteArray::AbortOnBase64DecodingErrors);
    const auto key = QByteArray::fromBase64Encoding(parts[3].toLatin1(),
                                                    QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !key || salt.decoded.isEmpty() || key.decoded.size() != kKeyBytes)
        return false;
    return sameBytes(derive(password, salt.decoded, iterations), key.decoded);
}

} // namespace orvix::server
