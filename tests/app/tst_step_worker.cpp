#include "app/step_worker.h"
#include "platform/message_target.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>
#include <vector>

using namespace orvix;
using namespace std::chrono_literals;

namespace {

// A hidden window paced by a step worker: it records when each step reached it and on which
// thread; it answers a step at once, after a delay, or never.
class PacedWindow : public QObject, public MessageTarget {
public:
    PacedWindow(StepWorker::Timing timing, int answerAfterMs)
        : worker(this, Msg::ReceiveStep, timing)
        , m_answerAfterMs(answerAfterMs) {
        clock.start();
    }

    QElapsedTimer clock;
    std::vector<qint64> gapsMs; // between consecutive steps
    bool allOnThisThread = true;
    StepWorker worker;

    int onMessage(int message, WParam, LParam) override {
        if (message != Msg::ReceiveStep)
            return 0;
        gapsMs.push_back(clock.restart());
        allOnThisThread = allOnThisThread && QThread::currentThread() == thread();
        worker.setDone(0);
        if (m_answerAfterMs == 0)
            worker.setDone(1);
        else if (m_answerAfterMs > 0)
            QTimer::singleShot(m_answerAfterMs, this, [this] { worker.setDone(1); });
        return 1;
    }

    bool stopAndJoin() {
        worker.stop();
        return worker.wait(5s);
    }

private:
    int m_answerAfterMs;
};

} // namespace

class TestStepWorker : public QObject {
    Q_OBJECT
private slots:
    // After each step the worker waits for the answer, looking at the flag every `check`, for
    // at most the answer time, then pauses: an answered step is followed after its answer and
    // the pause, an unanswered one after the whole answer time and the pause.
    void stepsArePacedByTheAnswerAndThePause_data() {
        QTest::addColumn<int>("answerWaitMs");
        QTest::addColumn<int>("answerAfterMs"); // -1: never
        QTest::addColumn<int>("minGapMs");
        QTest::addColumn<int>("maxGapMs"); // 0: no bound
        QTest::newRow("answered at once") << 3000 << 0 << 40 << 3000;
        QTest::newRow("answered after 60 ms") << 3000 << 60 << 100 << 3000;
        QTest::newRow("never answered") << 150 << -1 << 190 << 0;
    }
    void stepsArePacedByTheAnswerAndThePause() {
        QFETCH(int, answerWaitMs);
        QFETCH(int, answerAfterMs);
        QFETCH(int, minGapMs);
        QFETCH(int, maxGapMs);
        PacedWindow window({std::chrono::milliseconds(answerWaitMs), 10ms, 40ms}, answerAfterMs);
        window.worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(window.gapsMs.size() >= 4, 10000);
        QVERIFY(window.stopAndJoin());
        QVERIFY(window.allOnThisThread);
        QCOMPARE(window.worker.stepsHandled(), int(window.gapsMs.size()));
        for (std::size_t i = 1; i < window.gapsMs.size(); ++i) {
            const qint64 gap = window.gapsMs[i];
            QVERIFY2(gap >= minGapMs && (maxGapMs == 0 || gap < maxGapMs),
                     qPrintable(QString::number(gap)));
        }
    }

    // Stopping ends the loop at once, whether it waits for the window (whose thread does not
    // run its event loop here), for the answer or in its pause; a step it gave up on never
    // reaches the window afterwards.
    void stopEndsEveryWait_data() {
        QTest::addColumn<int>("answerWaitMs");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<bool>("windowRuns");
        QTest::newRow("waiting for the window") << 100 << 100 << false;
        QTest::newRow("waiting for the answer") << 3600000 << 100 << true;
        QTest::newRow("in the pause") << 100 << 3600000 << true;
    }
    void stopEndsEveryWait() {
        QFETCH(int, answerWaitMs);
        QFETCH(int, pauseMs);
        QFETCH(bool, windowRuns);
        PacedWindow window(
            {std::chrono::milliseconds(answerWaitMs), 10ms, std::chrono::milliseconds(pauseMs)},
            -1);
        window.worker.start();
        if (windowRuns) {
            QTRY_COMPARE(window.gapsMs.size(), std::size_t(1));
            QTest::qWait(150); // past the answer time of the pause row
        } else {
            QThread::msleep(50); // the step waits in the queue of this thread
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY(window.stopAndJoin());
        QVERIFY(clock.elapsed() < 2000);
        QCoreApplication::processEvents();
        QCOMPARE(window.gapsMs.size(), std::size_t(windowRuns ? 1 : 0));
    }

    // A window that goes away first gets no more steps; the worker goes on harmlessly until it
    // is stopped.
    void windowGoneFirst() {
        auto window = std::make_unique<PacedWindow>(StepWorker::Timing{}, 0);
        StepWorker outside(window.get(), Msg::ReceiveStep, {20ms, 5ms, 5ms});
        outside.start();
        QTRY_VERIFY(window->gapsMs.size() >= 2);
        window.reset();
        QTest::qWait(100); // a step already under way when the window went is counted by now
        const int handled = outside.stepsHandled();
        QTest::qWait(100);
        QCOMPARE(outside.stepsHandled(), handled);
        outside.stop();
        QVERIFY(outside.wait(5s));
    }
};

QTEST_MAIN(TestStepWorker)
#include "tst_step_worker.moc"
