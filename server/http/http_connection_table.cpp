#include "server/http/http_connection_table.h"

#include "server/http/http_connection.h"

namespace orvix::server {

HttpConnectionTable::HttpConnectionTable(int maxTotal, int maxPerAddress)
    : m_maxTotal(qMax(1, maxTotal))
    , m_maxPerAddress(qMax(1, maxPerAddress)) {}

int HttpConnectionTable::count(const QString& address) const {
    const auto it = m_byAddress.constFind(address);
    return it == m_byAddress.constEnd() ? 0 : int(it->size());
}

HttpConnectionTable::Verdict HttpConnectionTable::admit(const QString& address) {
    if (count(address) >= m_maxPerAddress) {
        HttpConnection* idle = longestIdle(m_byAddress.value(address));
        if (!idle)
            return Verdict::OverAddress;
        evict(idle);
    }
    if (count() >= m_maxTotal) {
        HttpConnection* room = longestIdle(m_all);
        if (!room)
            room = slowestOfBusiest(address);
        if (!room)
            return Verdict::OverTotal;
        evict(room);
    }
    return Verdict::Admitted;
}

void HttpConnectionTable::add(HttpConnection* connection) {
    m_all.append(connection);
    m_byAddress[connection->address()].append(connection);
}

void HttpConnectionTable::remove(HttpConnection* connection) {
    if (!m_all.removeOne(connection))
        return;
    const auto it = m_byAddress.find(connection->address());
    if (it == m_byAddress.end())
        return;
    it->removeOne(connection);
    if (it->isEmpty())
        m_byAddress.erase(it);
}

HttpConnection* HttpConnectionTable::longestIdle(const QList<HttpConnection*>& connections) {
    HttpConnection* found = nullptr;
    for (HttpConnection* connection : connections) {
        if (connection->isIdle() && (!found || connection->idleSinceMs() < found->idleSinceMs()))
            found = connection;
    }
    return found;
}

HttpConnection* HttpConnectionTable::slowestOfBusiest(const QString& address) const {
    const qsizetype least = count(address) + 2;
    HttpConnection* found = nullptr;
    qsizetype foundSize = 0;
    for (const QList<HttpConnection*>& connections : m_byAddress) {
        if (connections.size() < least || connections.size() < foundSize)
            continue;
        for (HttpConnection* connection : connections) {
            if (!connection->isReceiving())
                continue;
            // A larger address first; within one size, the request that began first.
            if (!found || connections.size() > foundSize ||
                connection->requestStartMs() < found->requestStartMs()) {
                found = connection;
                foundSize = connections.size();
            }
        }
    }
    return found;
}

void HttpConnectionTable::evict(HttpConnection* connection) {
    remove(connection);
    connection->drop();
}

} // namespace orvix::server
