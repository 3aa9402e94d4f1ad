#pragma once

#include "support/tcp_peer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>

#include <functional>
#include <optional>

namespace orvix::test {

// A scripted HTTP peer for tests, on a TcpPeer (so it keeps answering while the test's thread
// is blocked). Each request is recorded whole; the answer is the raw bytes the handler returns,
// after which the connection is closed.
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
        // The request at the start of `received`, once its head and Content-Length bytes of
        // body (none without the header) have arrived.
        static std::optional<Request> parse(const QByteArray& received);
    };
    using Handler = std::function<QByteArray(const Request&)>;

    explicit HttpPeer(Handler handler);

    quint16 port() const { return m_peer.port(); }
    QString address() const { return m_peer.address(); }
    QList<Request> requests() const;
    int requestCount() const;

    // A complete reply in the server's framing with a UTF-8 body.
    static QByteArray reply(const QByteArray& body, const QByteArray& contentType = "text/html");
    // A TcpPeer script that gives `answer` to each whole request.
    static TcpPeer::Script answering(const TcpPeer::Answer& answer);

private:
    Handler m_handler;
    QElapsedTimer m_clock;
    mutable QMutex m_mutex;
    QList<Request> m_requests;
    TcpPeer m_peer; // last: its thread stops before the members its script uses go
};

} // namespace orvix::test
