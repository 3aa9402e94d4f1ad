#pragma once

#include <QtGlobal>

namespace orvix::server {

// The bytes of request bodies being received on all connections together. A request whose
// announced body does not fit is refused (503) instead of being buffered, so that many large
// bodies at once cannot take the server's memory.
class BodyBudget {
public:
    explicit BodyBudget(qint64 limit)
        : m_limit(limit) {}

    // Sets the bytes aside; false when they do not fit beside the bodies already under way.
    bool reserve(qint64 bytes) {
        if (bytes < 0 || bytes > m_limit - m_used)
            return false;
        m_used += bytes;
        return true;
    }
    void release(qint64 bytes) { m_used = qMax<qint64>(0, m_used - bytes); }

    qint64 used() const { return m_used; }
    qint64 limit() const { return m_limit; }

private:
    qint64 m_limit;
    qint64 m_used = 0;
};

} // namespace orvix::server
