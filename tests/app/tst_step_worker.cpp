#include "app/step_worker.h"
#include "platform/message_target.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>
#include <vector>

using namespace orvix;
using namespace std::chrono_literals;

namespace {

// A hidden window paced by a step worker: it records when each step reached it and on which
// thread, and answers the step as the test says.
class PacedWindow : public QObject, public MessageTarget {
public:
    PacedWindow(StepWorker::Timing timing, std::function<void(PacedWindow&)> onStep)
        : worker(this, Msg::ReceiveStep, timing)
        , m_onStep(std::move(onStep)) {
        clock.start();
    }

    QElapsedTimer clock;
    std::vector<qint64> stepsAtMs;
    bool allOnThisThread = true;
    int otherMessages = 0;
    StepWorker worker;

    int onMessage(int message, WParam, LParam) override {
        if (message != Msg::ReceiveStep) {
            ++otherMessages;
            return 0;
        }
        stepsAtMs.push_back(clock.elapsed());
        allOnThisThread = allOnThisThread && QThread::currentThread() == thread();
        worker.setDone(0);
        if (m_onStep)
            m_onStep(*this);
        return 1;
    }

    // Gaps between consecutive steps, in ms.
    std::vector<qint64> gaps() const {
        std::vector<qint64> result;
        for (std::size_t i = 1; i < stepsAtMs.size(); ++i)
            result.push_back(stepsAtMs[i] - stepsAtMs[i - 1]);
        return result;
    }

    void stopAndJoin() {
        worker.stop();
        QVERIFY(worker.wait(5s));
    }

private:
    std::function<void(PacedWindow&)> m_onStep;
};

} // namespace

class TestStepWorker : public QObject {
    Q_OBJECT
private slots:
    // A step answered at once is followed by the next after the pause alone; one never
    // answered waits out the whole answer time first.
    void answeredStepsFollowAfterThePauseAlone_data() {
        QTest::addColumn<bool>("answered");
        QTest::newRow("answered at once") << true;
        QTest::newRow("never answered") << false;
    }
    void answeredStepsFollowAfterThePauseAlone() {
        QFETCH(bool, answered);
        const StepWorker::Timing timing{answered ? 2000ms : 150ms, 10ms, 40ms};
        PacedWindow window(timing, [answered](PacedWindow& self) {
            if (answered)
                self.worker.setDone(1);
        });
        window.worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(window.stepsAtMs.size() >= 4, 10000);
        window.stopAndJoin();
        QVERIFY(window.allOnThisThread);
        QCOMPARE(window.worker.stepsHandled(), int(window.stepsAtMs.size()));
        for (qint64 gap : window.gaps()) {
            // Never sooner than the pause (and the answer time when there is no answer); an
            // answered step never waits for the answer time.
            QVERIFY2(gap >= (answered ? 40 : 190), qPrintable(QString::number(gap)));
            if (answered)
                QVERIFY2(gap < 2000, qPrintable(QString::number(gap)));
        }
    }

    // An answer that comes while the worker waits ends the wait at the next look at the flag.
    void lateAnswerEndsTheWait() {
        PacedWindow window({3000ms, 10ms, 20ms}, [](PacedWindow& self) {
            QTimer::singleShot(60, &self, [&self] { self.worker.setDone(1); });
        });
        window.worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(window.stepsAtMs.size() >= 3, 10000);
        window.stopAndJoin();
        for (qint64 gap : window.gaps())
            QVERIFY2(gap >= 80 && gap < 3000, qPrintable(QString::number(gap)));
    }

    // Stopping ends the loop at once, whether it waits for the window (whose thread does not
    // run its event loop here), for the answer or in its pause.
    void stopEndsEveryWait_data() {
        QTest::addColumn<int>("answerWaitMs");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<bool>("windowAnswers");
        QTest::newRow("waiting for the window") << 100 << 100 << false;
        QTest::newRow("waiting for the answer") << 3600000 << 100 << true;
        QTest::newRow("in the pause") << 100 << 3600000 << true;
    }
    void stopEndsEveryWait() {
        QFETCH(int, answerWaitMs);
        QFETCH(int, pauseMs);
        QFETCH(bool, windowAnswers);
        const StepWorker::Timing timing{std::chrono::milliseconds(answerWaitMs), 10ms,
                                        std::chrono::milliseconds(pauseMs)};
        PacedWindow window(timing, {});
        window.worker.start();
        if (windowAnswers) {
            QTRY_COMPARE(window.stepsAtMs.size(), std::size_t(1));
            QTest::qWait(150); // past the answer time of the pause row
        } else {
            QThread::msleep(50); // the step waits in the queue of this thread
        }
        QElapsedTimer clock;
        clock.start();
        window.stopAndJoin();
        QVERIFY(clock.elapsed() < 2000);
        // A step the worker gave up on never reaches the window afterwards.
        QCoreApplication::processEvents();
        QCOMPARE(window.stepsAtMs.size(), std::size_t(windowAnswers ? 1 : 0));
    }

    // A window that goes away first gets no more steps; the worker goes on harmlessly until it
    // is stopped.
    void windowGoneFirst() {
        int steps = 0;
        auto window = std::make_unique<PacedWindow>(StepWorker::Timing{20ms, 5ms, 5ms},
                                                    [&steps](PacedWindow&) { ++steps; });
        StepWorker outside(window.get(), Msg::ReceiveStep, {20ms, 5ms, 5ms});
        outside.start();
        QTRY_VERIFY(steps >= 2);
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
