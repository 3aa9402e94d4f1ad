#include "app/step_worker.h"

#include "platform/message_target.h"
#include "platform/worker_thread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>

namespace orvix {

// Lives on the window's thread as long as the step worker, which joins its thread first: the
// worker only ever talks to it, and it looks the window up on the window's own thread.
class StepWorker::Relay : public QObject, public MessageTarget {
public:
    Relay(QObject* window, QObject* parent)
        : QObject(parent)
        , m_window(window) {}

    int onMessage(int message, WParam wParam, LParam lParam) override {
        return sendMessage(m_window.data(), message, wParam, lParam);
    }

private:
    QPointer<QObject> m_window;
};

StepWorker::StepWorker(QObject* window, int stepMessage, Timing timing)
    : m_relay(new Relay(window, this))
    , m_stepMessage(stepMessage)
    , m_timing(timing) {
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &StepWorker::stop);
}

StepWorker::StepWorker(QObject* window, int stepMessage)
    : StepWorker(window, stepMessage, Timing{}) {}

StepWorker::~StepWorker() {
    stop();
    if (m_worker)
        m_worker->wait();
}

void StepWorker::start() {
    if (m_worker)
        return;
    m_worker = std::make_unique<WorkerThread>([this](WorkerThread& worker) { loop(worker); });
    m_worker->start();
}

void StepWorker::stop() {
    if (m_worker)
        m_worker->stop();
}

bool StepWorker::wait(std::chrono::milliseconds limit) {
    return !m_worker || m_worker->wait(QDeadlineTimer(limit));
}

void StepWorker::loop(WorkerThread& worker) {
    while (!worker.isStopping()) {
        if (sendMessage(m_relay, m_stepMessage) != 0)
            m_stepsHandled.fetch_add(1, std::memory_order_acq_rel);
        for (auto waited = std::chrono::milliseconds(0);
             done() != 1 && waited < m_timing.answerWait; waited += m_timing.check) {
            if (!worker.sleepFor(m_timing.check))
                return;
        }
        if (!worker.sleepFor(m_timing.pause))
            return;
    }
}

} // namespace orvix
