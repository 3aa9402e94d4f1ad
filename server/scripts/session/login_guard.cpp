#include "server/scripts/session/login_guard.h"

#include "server/core/server_context.h"
#include "server/storage/password_hasher.h"

#include <QHostAddress>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QTimer>

#include <chrono>

namespace orvix::server {

namespace {

LoginThrottle::Settings throttleSettings(const ServerLimits& limits) {
    LoginThrottle::Settings settings;
    settings.freeFailuresPerAddress = limits.loginFreeFailuresPerAddress;
    settings.freeFailuresPerId = limits.loginFreeFailuresPerId;
    settings.firstBackoffMs = limits.loginBackoffMs;
    settings.longestBackoffMs = limits.loginMaxBackoffMs;
    settings.forgetAfterMs = limits.loginForgetMs;
    return settings;
}

} // namespace

LoginGuard::LoginGuard(ServerContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_throttle(throttleSettings(context.config().limits))
    , m_pool(context.config().limits.passwordCheckThreads)
    , m_maxChecksPerAddress(qMax(1, context.config().limits.maxPasswordChecksPerAddress))
    , m_maxRefusalDelayMs(qMax(0, context.config().limits.loginRefusalDelayMs))
    , m_standInKey(32, Qt::Uninitialized) {
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(m_standInKey.data()),
                                          int(m_standInKey.size() / qsizetype(sizeof(quint32))));
}

qint64 LoginGuard::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString LoginGuard::throttleKey(const QString& address) {
    // An IPv6 host usually holds a whole /64: its addresses count as one.
    const QHostAddress host(address);
    if (host.protocol() != QAbstractSocket::IPv6Protocol)
        return address;
    const Q_IPV6ADDR bytes = host.toIPv6Address();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.c), 8).toHex()) +
           QStringLiteral("::/64");
}

void LoginGuard::check(const QString& loginId, const QString& password,
                       const std::optional<MemberRecord>& member, const QString& peerAddress,
                       Done done) {
    const QString address = throttleKey(peerAddress);
    const QString storedHash = member ? member->passwordHash : standInHash(loginId);
    PasswordVerifier& verifier = m_context.passwords();
    if (const auto known = verifier.remembered(password, storedHash)) {
        done(*known && member);
        return;
    }
    const qint64 now = nowMs();
    int& waiting = m_checksByAddress[address];
    const qint64 backoff = m_throttle.backoffLeft(loginId, address, now);
    if (backoff > 0 || waiting >= m_maxChecksPerAddress) {
        if (waiting == 0)
            m_checksByAddress.remove(address);
        // The refusal comes when the back-off ends (or after a short while at most), so that a
        // guesser that resends at once does not turn the back-off into a flood of refusals.
        const qint64 delay =
            qMin<qint64>(m_maxRefusalDelayMs, backoff > 0 ? backoff : m_maxRefusalDelayMs);
        QTimer::singleShot(int(delay), this, [done] { done(false); });
        return;
    }
    ++waiting;
    // Among addresses without failures the newest check goes first: when a flood of new
    // addresses arrives at once, a member logging in meanwhile does not wait for all of their
    // first checks (each of which then counts as a failure). Addresses with recent failures wait
    // in a queue of their own, fewer failures first, and never take every worker: a member
    // logging in beside a flood of guesses finds one free.
    const int failures = m_throttle.addressFailures(address, now);
    const bool known = member.has_value();
    auto whenChecked = [this, loginId, password, storedHash, address, known, done](bool match) {
        finished(loginId, password, storedHash, address, known, match, done);
    };
    if (failures == 0) {
        if (m_pool.pending() == 0)
            m_sequence = 0;
        m_pool.check(password, storedHash, 1 + (m_sequence++ % (1 << 30)), whenChecked);
        return;
    }
    m_suspects.append(SuspectCheck{failures, password, storedHash, std::move(whenChecked)});
    startSuspects();
}

void LoginGuard::startSuspects() {
    const int workers = qMax(1, m_pool.threads() - 1);
    while (m_suspectsRunning < workers && !m_suspects.isEmpty()) {
        // The one with the fewest failures, the earliest of those.
        qsizetype next = 0;
        for (qsizetype i = 1; i < m_suspects.size(); ++i) {
            if (m_suspects[i].failures < m_suspects[next].failures)
                next = i;
        }
        SuspectCheck check = m_suspects.takeAt(next);
        ++m_suspectsRunning;
        m_pool.check(check.password, check.storedHash, 0,
                     [this, whenChecked = std::move(check.done)](bool match) {
                         --m_suspectsRunning;
                         whenChecked(match);
                         startSuspects();
                     });
    }
}

void LoginGuard::finished(const QString& loginId, const QString& password,
                          const QString& storedHash, const QString& address, bool known, bool match,
                          const Done& done) {
    auto it = m_checksByAddress.find(address);
    if (it != m_checksByAddress.end() && --it.value() <= 0)
        m_checksByAddress.erase(it);
    m_context.passwords().remember(password, storedHash, match);
    const bool correct = match && known;
    if (correct)
        m_throttle.recordSuccess(loginId);
    else
        m_throttle.recordFailure(loginId, address, nowMs());
    done(correct);
}

QString LoginGuard::standInHash(const QString& loginId) const {
    auto derived = [&](char purpose, int bytes) {
        QMessageAuthenticationCode mac(QCryptographicHash::Sha256, m_standInKey);
        mac.addData(&purpose, 1);
        mac.addData(loginId.toUtf8());
        return mac.result().left(bytes).toBase64();
    };
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(PasswordHasher::kDefaultIterations)
        .arg(QString::fromLatin1(derived('s', PasswordHasher::kSaltBytes)),
             QString::fromLatin1(derived('k', PasswordHasher::kKeyBytes)));
}

} // namespace orvix::server
