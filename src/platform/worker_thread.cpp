#include "platform/worker_thread.h"

#include "platform/message_target.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QPointer>

namespace orvix {

// One message on its way from the worker to a window. Shared between the two threads so that
// a delivery the worker gave up on can still run (or be skipped) safely later.
struct WorkerThread::Delivery {
    QMutex mutex;
    QWaitCondition handled;
    bool done = false;
    bool abandoned = false;
    int result = 0;
};

namespace {

// Held by the queued call of one delivery. When the call is destroyed, run or not, the delivery
// counts as done: a call dropped unrun because its window was destroyed first then releases the
// waiting worker with 0 instead of leaving it blocked until it is stopped.
template <typename Delivery> class DeliveryRelease {
public:
    explicit DeliveryRelease(std::shared_ptr<Delivery> delivery)
        : m_delivery(std::move(delivery)) {}
    DeliveryRelease(const DeliveryRelease&) = delete;
    DeliveryRelease& operator=(const DeliveryRelease&) = delete;
    ~DeliveryRelease() {
        QMutexLocker lock(&m_delivery->mutex);
        m_delivery->done = true;
        m_delivery->handled.wakeAll();
    }

private:
    std::shared_ptr<Delivery> m_delivery;
};

} // namespace

WorkerThread::WorkerThread(Body body, QObject* parent)
    : QThread(parent)
    , m_body(std::move(body)) {}

WorkerThread::~WorkerThread() {
    stop();
    wait();
}

void WorkerThread::stop() {
    m_stopping.store(true, std::memory_order_release);
    std::shared_ptr<Delivery> pending;
    {
        QMutexLocker lock(&m_mutex);
        pending = m_pending;
        m_wake.wakeAll();
    }
    if (pending) {
        QMutexLocker lock(&pending->mutex);
        pending->handled.wakeAll();
    }
}

bool WorkerThread::sleepFor(std::chrono::milliseconds duration) {
    QDeadlineTimer deadline(duration);
    QMutexLocker lock(&m_mutex);
    while (!isStopping()) {
        if (!m_wake.wait(&m_mutex, deadline))
            break;
    }
    return !isStopping();
}

int WorkerThread::deliver(QObject* window, int message, WParam wParam, LParam lParam) {
    MessageTarget* target = messageTargetOf(window);
    if (!target)
        return 0;
    auto delivery = std::make_shared<Delivery>();
    {
        QMutexLocker lock(&m_mutex);
        if (isStopping())
            return 0;
        m_pending = delivery;
    }

    QPointer<QObject> guard(window);
    QMetaObject::invokeMethod(
        window,
        [delivery, release = std::make_shared<DeliveryRelease<Delivery>>(delivery), guard, target,
         message, wParam, lParam] {
            {
                QMutexLocker lock(&delivery->mutex);
                if (delivery->abandoned || !guard)
                    return;
            }
            const int result = target->onMessage(message, wParam, lParam);
            QMutexLocker lock(&delivery->mutex);
            delivery->result = result;
            delivery->done = true;
            delivery->handled.wakeAll();
        },
        Qt::QueuedConnection);

    int result = 0;
    {
        QMutexLocker lock(&delivery->mutex);
        while (!delivery->done && !isStopping())
            delivery->handled.wait(&delivery->mutex);
        if (delivery->done)
            result = delivery->result;
        else
            delivery->abandoned = true;
    }
    QMutexLocker lock(&m_mutex);
    m_pending.reset();
    return result;
}

void WorkerThread::run() {
    if (m_body && !isStopping())
        m_body(*this);
}

} // namespace orvix
