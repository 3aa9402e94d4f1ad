#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace orvix::test {

// A scripted TCP peer for tests. It listens on a free loopback port in a thread of its own, so
// it keeps answering while the code under test blocks the test's thread, and records every byte
// each connection sends. Each time a connection has sent more, the script sees all it sent so
// far; once the script returns an answer, the peer sends its pieces, each after its delay, then
// closes, aborts or holds the connection, and goes on recording without asking the script again.
class TcpPeer {
public:
    struct Piece {
        QByteArray bytes;
        int delayMs = 0; // after the previous piece (or the request)
    };
    enum class Then { Close, Abort, Hold };
    struct Answer {
        QList<Piece> pieces;
        Then then = Then::Close;
    };
    using Script = std::function<std::optional<Answer>(const QByteArray& received)>;
    // Off: connections are accepted but never read, with a small receive buffer, so a sender
    // soon has to wait.
    enum class Reading { On, Off };

    explicit TcpPeer(Script script = {}, Reading reading = Reading::On);
    ~TcpPeer();

    quint16 port() const { return m_port; }
    QString address() const; // "127.0.0.1:<port>"
    int connectionCount() const;
    QByteArray received(int connection) const;
    bool ended(int connection) const; // closed, by either side

private:
    struct Connection {
        QByteArray received;
        bool answered = false;
        bool ended = false;
    };
    void accept();
    void onReadable(QTcpSocket* socket, qsizetype index);
    void send(QTcpSocket* socket, std::shared_ptr<const Answer> answer, qsizetype piece);

    Script m_script;
    Reading m_reading;
    QThread m_thread;
    QObject* m_context = nullptr; // lives in m_thread; the server's work runs there
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QList<Connection> m_connections;
};

} // namespace orvix::test
