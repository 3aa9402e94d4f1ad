#pragma once

#include "platform/window_messages.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace orvix {

// A worker thread that talks to windows only through synchronous messages and can always be
// stopped: its blocking deliveries and sleeps give up as soon as stop() is called, so the window
// thread can stop and join it without a deadlock even while the worker waits for that very
// thread. The destructor stops and joins the thread.
class WorkerThread : public QThread {
    Q_OBJECT
public:
    using Body = std::function<void(WorkerThread&)>;

    explicit WorkerThread(Body body, QObject* parent = nullptr);
    ~WorkerThread() override;

    // Asks the body to end and wakes it from any sleep or delivery. Safe from any thread.
    void stop();
    bool isStopping() const { return m_stopping.load(std::memory_order_acquire); }

    // Sleeps for the given time; returns false at once when the worker is stopped.
    bool sleepFor(std::chrono::milliseconds duration);

    // Delivers a message to a window on the window's thread and waits until it was handled.
    // Returns the handler's result, or 0 when the worker was stopped before that.
    // Called on this worker thread (sendMessage() routes here).
    int deliver(QObject* window, int message, WParam wParam, LParam lParam);

protected:
    void run() override;

private:
    struct Delivery;

    Body m_body;
    std::atomic<bool> m_stopping{false};
    QMutex m_mutex; // guards m_pending and pairs with m_wake for sleeps
    QWaitCondition m_wake;
    std::shared_ptr<Delivery> m_pending;
};

} // namespace orvix
