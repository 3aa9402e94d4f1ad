#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>

namespace orvix::server {

// Full password checks (PBKDF2: tens of milliseconds each) on worker threads of their own, so
// that the thread answering HTTP goes on answering while they run. Each result comes back on the
// thread that made the pool, through a queued call. Waiting checks run by priority (higher
// first; in order of arrival within one priority), which lets a login from an address without
// failures pass the checks queued by a flood.
class PasswordCheckPool : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(bool match)>;

    // threads 0: one per core.
    explicit PasswordCheckPool(int threads = 0, QObject* parent = nullptr);
    // Drops the checks still waiting (their results never come) and waits for the running ones.
    ~PasswordCheckPool() override;

    void check(const QString& password, const QString& storedHash, int priority, Done done);

    // Checks waiting or running.
    int pending() const { return m_pending; }
    int threads() const { return m_pool.maxThreadCount(); }
    // Checks run to the end since the pool was made.
    qint64 completed() const { return m_completed; }

private:
    QThreadPool m_pool;
    int m_pending = 0;
    qint64 m_completed = 0;
};

} // namespace orvix::server
