#include "platform/message_target.h"
#include "platform/worker_thread.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <vector>

using namespace orvix;

namespace {

// A window that records the messages it handles and the thread it handled them on.
class RecordingWindow : public QObject, public MessageTarget {
public:
    struct Handled {
        int message;
        WParam wParam;
        LParam lParam;
        QThread* thread;
    };
    std::vector<Handled> handled;
    int result = 1;
    std::function<void()> duringHandler;

    int onMessage(int message, WParam wParam, LParam lParam) override {
        handled.push_back({message, wParam, lParam, QThread::currentThread()});
        if (duringHandler)
            duringHandler();
        return result;
    }
};

} // namespace

class TestWindowMessages : public QObject {
    Q_OBJECT
private slots:
    void sameThreadDeliveryIsImmediate() {
        RecordingWindow window;
        window.result = 0;
        QCOMPARE(sendMessage(&window, Msg::Reply, 15, 42), 0);
        QCOMPARE(window.handled.size(), size_t(1));
        QCOMPARE(window.handled[0].message, 1034);
        QCOMPARE(window.handled[0].lParam, LParam(42));
        // A window without a handler, or none, ignores messages.
        QObject plain;
        QCOMPARE(sendMessage(&plain, Msg::Reply), 0);
        QCOMPARE(sendMessage(nullptr, Msg::Reply), 0);
    }

    void workerDeliveryBlocksUntilHandledOnWindowThread() {
        RecordingWindow window;
        window.result = 1;
        std::atomic<int> results{0};
        std::atomic<int> handledWhenReturned{-1};
        WorkerThread worker([&](WorkerThread&) {
            for (int i = 1; i <= 3; ++i) {
                results += sendMessage(&window, Msg::ReceiveStep, i, 0);
                // The handler has run by the time the call returns.
                handledWhenReturned = static_cast<int>(window.handled.size());
                if (handledWhenReturned != i)
                    return;
            }
        });
        worker.start();
        QTRY_VERIFY(worker.isFinished());
        QVERIFY(worker.wait(5000));
        QCOMPARE(results.load(), 3);
        QCOMPARE(handledWhenReturned.load(), 3);
        for (const auto& h : window.handled)
            QCOMPARE(h.thread, QThread::currentThread());
        QCOMPARE(window.handled[2].wParam, WParam(3));
    }

    void stoppingWakesWorkerBlockedInDelivery() {
        // The window thread never runs its event loop here, so the delivery can only end by
        // the stop: the join must not deadlock.
        RecordingWindow window;
        std::atomic<int> result{-1};
        std::atomic<bool> started{false};
        WorkerThread worker([&](WorkerThread&) {
            started = true;
            result = sendMessage(&window, Msg::SendStep, 1, 0);
        });
        worker.start();
        // Wait without running the event loop, which would handle the delivery.
        QDeadlineTimer limit(5000);
        while (!started.load() && !limit.hasExpired())
            QThread::yieldCurrentThread();
        QThread::msleep(20);
        worker.stop();
        QVERIFY(worker.wait(5000));
        QCOMPARE(result.load(), 0);
        // The abandoned delivery must not run later.
        QCoreApplication::processEvents();
        QVERIFY(window.handled.empty());
    }

    void deliveryDroppedWithItsWindowReleasesTheWorker() {
        // The window is destroyed while the worker's message waits in its queue: the worker
        // gets 0 at once instead of waiting until it is stopped.
        class DestroyOnDelivery : public QObject {
        public:
            QObject* window = nullptr;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (watched == window && event->type() == QEvent::MetaCall) {
                    delete window;
                    window = nullptr;
                    return true;
                }
                return false;
            }
        } filter;
        auto* window = new RecordingWindow;
        filter.window = window;
        QCoreApplication::instance()->installEventFilter(&filter);
        std::atomic<int> result{-1};
        WorkerThread worker([&result, window](WorkerThread&) {
            result = sendMessage(window, Msg::SendStep, 1, 0);
        });
        worker.start();
        QTRY_VERIFY(filter.window == nullptr);
        QVERIFY(worker.wait(5000));
        QCoreApplication::instance()->removeEventFilter(&filter);
        QCOMPARE(result.load(), 0);
    }

    void stoppingEndsSleepAtOnce() {
        std::atomic<bool> sleptFully{true};
        WorkerThread worker(
            [&](WorkerThread& self) { sleptFully = self.sleepFor(std::chrono::hours(1)); });
        worker.start();
        QTest::qWait(10);
        worker.stop();
        QVERIFY(worker.wait(5000));
        QVERIFY(!sleptFully.load());
    }

    void pollingLoopStopsCleanlyWhileWindowHandlesMessages() {
        // A worker shaped like the chat pollers: deliver a step, wait on a flag, sleep; the
        // window keeps handling steps until the worker is destroyed from the window thread.
        RecordingWindow window;
        std::atomic<int> done{0};
        window.duringHandler = [&] { done = 1; };
        auto worker = std::make_unique<WorkerThread>([&](WorkerThread& self) {
            while (!self.isStopping()) {
                done = 0;
                sendMessage(&window, Msg::ReceiveStep);
                for (int i = 0; i < 50 && done == 0 && self.sleepFor(std::chrono::milliseconds(1));
                     ++i) {
                }
                self.sleepFor(std::chrono::milliseconds(1));
            }
        });
        worker->start();
        QTRY_VERIFY(window.handled.size() >= 5);
        worker->stop(); // stop and join from the window thread
        QVERIFY(worker->wait(5000));
        const size_t count = window.handled.size();
        QCoreApplication::processEvents();
        QCOMPARE(window.handled.size(), count);
    }
};

QTEST_MAIN(TestWindowMessages)
#include "tst_window_messages.moc"
