#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace orvix {

// Decodes the post list's photos on a thread of its own after a reply was taken, in list
// order, so that rows scrolled into view for the first time seldom need to decode while the
// window paints. Each photo arrives on the owner's thread with decoded(); a new start() drops
// what the previous one had not done yet. When the object goes, the thread stops after the
// photo in hand.
class PostPhotoPrefetch : public QObject {
    Q_OBJECT
public:
    struct Job {
        int row = 0;
        QString path;
    };

    explicit PostPhotoPrefetch(QObject* parent = nullptr);
    ~PostPhotoPrefetch() override;

    void start(int generation, QList<Job> jobs);
    // Waits until the started jobs are done (for tests and benchmarks); false on time-out.
    bool waitForDone(int milliseconds);

signals:
    void decoded(int generation, int row, const QImage& photo, int storedWidth, int height);

private:
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<int>> m_current;
};

} // namespace orvix
