#include "server/storage/password_check_pool.h"

#include "server/storage/password_hasher.h"

#include <QRunnable>
#include <QThread>

namespace orvix::server {

PasswordCheckPool::PasswordCheckPool(int threads, QObject* parent)
    : QObject(parent) {
    m_pool.setMaxThreadCount(threads > 0 ? threads : qMax(1, QThread::idealThreadCount()));
    m_pool.setObjectName(QStringLiteral("password checks"));
}

PasswordCheckPool::~PasswordCheckPool() {
    m_pool.clear();
    m_pool.waitForDone();
}

void PasswordCheckPool::check(const QString& password, const QString& storedHash, int priority,
                              Done done) {
    ++m_pending;
    m_pool.start(QRunnable::create([this, password, storedHash, done = std::move(done)] {
                     const bool match = PasswordHasher::verify(password, storedHash);
                     // Back on the pool's own thread. The destructor waits for this runnable,
                     // and a queued call to a deleted object is dropped.
                     QMetaObject::invokeMethod(
                         this,
                         [this, match, done] {
                             --m_pending;
                             ++m_completed;
                             done(match);
                         },
                         Qt::QueuedConnection);
                 }),
                 priority);
}

} // namespace orvix::server
