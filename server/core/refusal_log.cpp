#include "server/core/refusal_log.h"

#include <QLoggingCategory>

namespace orvix::server {

RefusalLog::RefusalLog(Category category, int quietMs, QObject* parent)
    : QObject(parent)
    , m_category(category)
    , m_quietMs(qMax(1, quietMs)) {
    m_clock.start();
    m_timer.setInterval(m_quietMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { endQuietBursts(false); });
}

RefusalLog::~RefusalLog() {
    endQuietBursts(true);
}

void RefusalLog::note(const QString& kind, const QString& details) {
    const qint64 now = m_clock.elapsed();
    auto it = m_bursts.find(kind);
    if (it != m_bursts.end()) {
        ++it->more;
        it->lastMs = now;
        return;
    }
    m_bursts.insert(kind, Burst{0, now});
    qCWarning(m_category()).noquote() << "refused:" << kind << details;
    if (!m_timer.isActive())
        m_timer.start();
}

void RefusalLog::endQuietBursts(bool all) {
    const qint64 now = m_clock.elapsed();
    for (auto it = m_bursts.begin(); it != m_bursts.end();) {
        if (!all && now - it->lastMs < m_quietMs) {
            ++it;
            continue;
        }
        if (it->more > 0) {
            qCWarning(m_category()).noquote()
                << "refused:" << it->more << "more of" << it.key() << "in this burst";
        }
        it = m_bursts.erase(it);
    }
    if (m_bursts.isEmpty())
        m_timer.stop();
}

} // namespace orvix::server
