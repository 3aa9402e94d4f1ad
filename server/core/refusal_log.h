#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

class QLoggingCategory;

namespace orvix::server {

// Logs refusals (a connection over a cap, an upload without a session, …) without letting a
// flood of them flood the log: the first refusal of a kind is logged with its details; the
// further ones of that kind are only counted until none has come for quietMs, and then one line
// says how many there were.
class RefusalLog : public QObject {
    Q_OBJECT
public:
    using Category = const QLoggingCategory& (*)();

    explicit RefusalLog(Category category, int quietMs = 5000, QObject* parent = nullptr);
    ~RefusalLog() override;

    // kind: what was refused, the same text for every refusal of the burst ("HTTP connection
    // over the cap per address"); details: this refusal ("from 10.0.0.7").
    void note(const QString& kind, const QString& details);

private:
    void endQuietBursts(bool all);

    struct Burst {
        qint64 more = 0;
        qint64 lastMs = 0;
    };

    Category m_category;
    int m_quietMs;
    QHash<QString, Burst> m_bursts;
    QElapsedTimer m_clock;
    QTimer m_timer{this}; // a child, so that it moves with the log to another thread
};

} // namespace orvix::server
