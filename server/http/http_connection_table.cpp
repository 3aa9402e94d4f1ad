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
        HttpConnection* idle = longestIdle(m_all);
        if (!idle)
            return Verdict::OverTotal;
        evict(idle);
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

void HttpConnectionTable::evict(HttpConnection* connection) {
    remove(connection);
    connection->drop();
}

} // namespace orvix::server
