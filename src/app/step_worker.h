#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <memory>

namespace orvix {

class WorkerThread;

// Paces a hidden window that does one step of work per message, as the chat's polling window
// (Msg::ReceiveStep, 2023) and sending window (Msg::SendStep, 2022) do. A worker thread loops
// until it is stopped:
//   1. send the step message to the window and wait until the window has handled it;
//   2. wait until the done flag is 1, looking at it every 100 ms, for at most 5 s;
//   3. sleep 2 s.
// The window keeps the worker as a member, clears the flag when a step starts work and sets it
// when that work is answered:
//
//     CReceiveMsgDlg::CReceiveMsgDlg() : m_worker(this, Msg::ReceiveStep) { m_worker.start(); }
//     int onMessage(int message, WParam wParam, LParam lParam) override {
//         if (message == Msg::ReceiveStep) { m_worker.setDone(0); sendPoll(); return 1; }
//         if (const auto reply = ReplyNotice::from(message, wParam, lParam)) {
//             m_worker.setDone(1);
//             ...
//
// The flag is atomic: the window thread writes it and the worker reads it. The worker is
// stopped when the application quits and when it is destroyed, even while it waits for the
// window, so the window thread can always join it. Step messages reach the window on its own
// thread, only while the window exists.
class StepWorker : public QObject {
    Q_OBJECT
public:
    struct Timing {
        std::chrono::milliseconds answerWait{5000}; // how long to wait for the done flag
        std::chrono::milliseconds check{100};       // how often to look at it meanwhile
        std::chrono::milliseconds pause{2000};      // the sleep before the next step
    };

    // Paces `window`, which lives on this thread, with `stepMessage`.
    StepWorker(QObject* window, int stepMessage, Timing timing);
    StepWorker(QObject* window, int stepMessage);
    ~StepWorker() override;

    // Starts the loop (once).
    void start();
    // Asks the loop to end and wakes it from any wait; safe from any thread.
    void stop();
    // Waits for the loop to end after stop(); false when it still runs after the limit.
    bool wait(std::chrono::milliseconds limit);

    void setDone(int value) { m_done.store(value, std::memory_order_release); }
    int done() const { return m_done.load(std::memory_order_acquire); }

    // Step messages the loop has delivered and the window has handled.
    int stepsHandled() const { return m_stepsHandled.load(std::memory_order_acquire); }

private:
    class Relay;
    void loop(WorkerThread& worker);

    Relay* m_relay; // child; hands the step message to the window on its thread
    int m_stepMessage;
    Timing m_timing;
    std::atomic<int> m_done{0};
    std::atomic<int> m_stepsHandled{0};
    std::unique_ptr<WorkerThread> m_worker;
};

} // namespace orvix
