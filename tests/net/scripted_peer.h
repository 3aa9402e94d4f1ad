#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <vector>

class QTcpSocket;

namespace orvix::test {

// A local TCP peer for wire tests: listens on a free loopback port, records every byte each
// connection sends, and answers as the test scripts it. It runs on the test's thread; the
// client under test is asynchronous (or blocks only a worker), so the test's event loop drives
// both sides.
class ScriptedPeer : public QObject {
    Q_OBJECT
public:
    struct Connection {
        QTcpSocket* socket = nullptr;
        QByteArray received;
        bool ended = false; // the client closed (or the peer closed it)
    };

    // Called whenever a connection has received more bytes (and once when it is accepted,
    // with nothing received yet).
    using Handler = std::function<void(Connection&)>;

    explicit ScriptedPeer(Handler handler = {});
    ~ScriptedPeer() override;

    quint16 port() const { return m_server.serverPort(); }
    QString address() const;
    QByteArray addressNarrow() const { return address().toLatin1(); }

    // A peer that accepts but never reads: set before the client connects. The receive buffer
    // of accepted connections is kept small so that a sender soon has to wait.
    void setReading(bool reading);

    int connectionCount() const { return static_cast<int>(m_connections.size()); }
    const Connection& connection(int index) const { return *m_connections.at(index); }

    // Sends the pieces one after another, `gapMs` apart, on the connection's socket.
    static void sendPieces(QTcpSocket* socket, const QList<QByteArray>& pieces, int gapMs);

    // True when `bytes` hold a whole request: headers and Content-Length bytes of body.
    static bool isWholeRequest(const QByteArray& bytes);
    // A reply framed as the service frames it: status, Content-Length, Content-Type last.
    static QByteArray reply(const QByteArray& body, const QByteArray& contentType = "text/html");

private:
    void onNewConnection();

    QTcpServer m_server;
    Handler m_handler;
    bool m_reading = true;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

} // namespace orvix::test
