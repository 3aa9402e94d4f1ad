#pragma once

#include <QObject>

class QSocketNotifier;

namespace orvix::server {

// SIGINT and SIGTERM as a Qt signal on the event loop, through a signalfd: the process signals
// are blocked in every thread (block() must run before any thread starts) and read from the
// descriptor when the event loop sees it readable.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Blocks SIGINT and SIGTERM for the calling thread and the threads it starts later.
    static void block();
    // Gives them back their default effect (for commands that do not watch for them).
    static void unblock();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isValid() const { return m_fd >= 0; }

signals:
    void received(int signalNumber);

private:
    void readSignal();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace orvix::server
