#include "tcp_peer.h"

#include <QMetaObject>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace orvix::test {

namespace {

// How long the test waits for the peer's thread to start, finish a call or end; a peer that
// takes longer has hung, and the test ends at once rather than at CTest's time-out.
constexpr int PeerThreadLimitMs = 10000;

// Runs work on the peer's thread and waits for it, within the limit.
void runOnPeerThread(QObject* context, const std::function<void()>& work) {
    QSemaphore done;
    QMetaObject::invokeMethod(
        context,
        [&] {
            work();
            done.release();
        },
        Qt::QueuedConnection);
    if (!done.tryAcquire(1, PeerThreadLimitMs))
        qFatal("TcpPeer: the peer's thread did not answer within %d ms", PeerThreadLimitMs);
}

} // namespace

TcpPeer::TcpPeer(Script script, Reading reading)
    : m_script(std::move(script))
    , m_reading(reading) {
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    runOnPeerThread(m_context, [this] {
        m_server = new QTcpServer;
        m_server->listen(QHostAddress::LocalHost, 0);
        m_port = m_server->serverPort();
        if (m_reading == Reading::Off) {
            // Accepted connections inherit the small buffer from the start.
            const int size = 4096;
            ::setsockopt(static_cast<int>(m_server->socketDescriptor()), SOL_SOCKET, SO_RCVBUF,
                         &size, sizeof size);
        }
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] { accept(); });
    });
}

TcpPeer::~TcpPeer() {
    runOnPeerThread(m_context, [this] {
        delete m_server; // and its connections
        delete m_context;
    });
    m_thread.quit();
    if (!m_thread.wait(PeerThreadLimitMs))
        qFatal("TcpPeer: the peer's thread did not end within %d ms", PeerThreadLimitMs);
}

QString TcpPeer::address() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

int TcpPeer::connectionCount() const {
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_connections.size());
}

QByteArray TcpPeer::received(int connection) const {
    QMutexLocker lock(&m_mutex);
    return m_connections.value(connection).received;
}

bool TcpPeer::ended(int connection) const {
    QMutexLocker lock(&m_mutex);
    return m_connections.value(connection).ended;
}

void TcpPeer::accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        QMutexLocker lock(&m_mutex);
        const qsizetype index = m_connections.size();
        m_connections.append(Connection{});
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, index] {
            QMutexLocker guard(&m_mutex);
            m_connections[index].ended = true;
        });
        if (m_reading == Reading::Off) {
            socket->setReadBufferSize(1); // never take anything out of the system's buffer
            continue;
        }
        QObject::connect(socket, &QTcpSocket::readyRead, socket,
                         [this, socket, index] { onReadable(socket, index); });
    }
}

void TcpPeer::onReadable(QTcpSocket* socket, qsizetype index) {
    QByteArray received;
    {
        QMutexLocker lock(&m_mutex);
        Connection& connection = m_connections[index];
        connection.received += socket->readAll();
        if (connection.answered || !m_script)
            return;
        received = connection.received;
    }
    std::optional<Answer> answer = m_script(received);
    if (!answer)
        return;
    {
        QMutexLocker lock(&m_mutex);
        m_connections[index].answered = true;
    }
    send(socket, std::make_shared<const Answer>(std::move(*answer)), 0);
}

void TcpPeer::send(QTcpSocket* socket, std::shared_ptr<const Answer> answer, qsizetype piece) {
    if (piece == answer->pieces.size()) {
        if (answer->then == Then::Close)
            socket->disconnectFromHost();
        else if (answer->then == Then::Abort)
            socket->abort();
        return;
    }
    QTimer::singleShot(answer->pieces.at(piece).delayMs, socket, [this, socket, answer, piece] {
        socket->write(answer->pieces.at(piece).bytes);
        send(socket, answer, piece + 1);
    });
}

} // namespace orvix::test
