#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace orvix::server {

class HttpConnection;

// The open HTTP connections, counted in total and by address, with the two caps. When a new
// connection would go over a cap, the connection (of that address, or of any for the total) that
// has been idle longest is closed to make room. When none is idle and the total is reached, the
// address holding the most connections gives up the one whose unfinished request began first,
// provided it holds at least two more than the newcomer's address; otherwise the new one is
// refused. So connections that merely wait cannot lock anybody out, one address cannot take every
// slot, and a few addresses trickling requests cannot hold the slots against all the others.
class HttpConnectionTable {
public:
    enum class Verdict { Admitted, OverTotal, OverAddress };

    HttpConnectionTable(int maxTotal, int maxPerAddress);

    // Makes room for a connection from address (closing idle ones as needed), or says which cap
    // it is over. An admitted connection is then add()ed.
    Verdict admit(const QString& address);
    void add(HttpConnection* connection);
    void remove(HttpConnection* connection);

    int count() const { return int(m_all.size()); }
    int count(const QString& address) const;
    const QList<HttpConnection*>& connections() const { return m_all; }
    int maxTotal() const { return m_maxTotal; }
    int maxPerAddress() const { return m_maxPerAddress; }

private:
    // The connection of the list idle longest, or null when none is idle.
    static HttpConnection* longestIdle(const QList<HttpConnection*>& connections);
    // The earliest unfinished request of the address with the most connections among those
    // holding at least two more than address and some unfinished request; null when none.
    HttpConnection* slowestOfBusiest(const QString& address) const;
    void evict(HttpConnection* connection);

    int m_maxTotal;
    int m_maxPerAddress;
    QList<HttpConnection*> m_all;
    QHash<QString, QList<HttpConnection*>> m_byAddress;
};

} // namespace orvix::server
