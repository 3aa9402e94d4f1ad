#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>

#include <functional>

class QTcpServer;

namespace orvix::test {

// A scripted HTTP peer for tests. It listens on a free loopback port in a thread of its own,
// so that it keeps answering while the code under test blocks the test's thread (downloads do).
// Each request is recorded whole; the answer is the raw bytes the handler returns, after which
// the connection is closed.
class HttpPeer {
public:
    struct Request {
        QByteArray raw; // everything received: head and body
        QByteArray method;
        QByteArray path;
        QByteArray head; // request line and header lines, without the blank line
        QByteArray body;
        qint64 receivedAtMs = 0; // time since the peer started
        QByteArray header(const QByteArray& name) const;
    };
    using Handler = std::function<QByteArray(const Request&)>;

    explicit HttpPeer(Handler handler);
    ~HttpPeer();

    quint16 port() const { return m_port; }
    QString address() const; // "127.0.0.1:<port>"
    QList<Request> requests() const;
    int requestCount() const;

    // A complete reply in the server's framing with a UTF-8 body.
    static QByteArray reply(const QByteArray& body, const QByteArray& contentType = "text/html");

private:
    void record(const Request& request);

    Handler m_handler;
    QThread m_thread;
    QObject* m_context = nullptr; // lives in m_thread; the server's work runs there
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QList<Request> m_requests;
};

} // namespace orvix::test
