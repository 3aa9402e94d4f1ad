#include "scripted_peer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace orvix::test {

ScriptedPeer::ScriptedPeer(Handler handler)
    : m_handler(std::move(handler)) {
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedPeer::onNewConnection);
    m_server.listen(QHostAddress::LocalHost, 0);
}

ScriptedPeer::~ScriptedPeer() {
    for (auto& connection : m_connections) {
        if (connection->socket)
            connection->socket->disconnect(this);
    }
}

QString ScriptedPeer::address() const {
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

void ScriptedPeer::setReading(bool reading) {
    m_reading = reading;
    if (!reading) {
        // Accepted connections inherit the small buffer, so the window they offer stays small
        // from the start.
        const int size = 4096;
        ::setsockopt(static_cast<int>(m_server.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &size,
                     sizeof size);
    }
}

void ScriptedPeer::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        auto connection = std::make_unique<Connection>();
        connection->socket = socket;
        Connection* current = connection.get();
        m_connections.push_back(std::move(connection));
        connect(socket, &QTcpSocket::disconnected, this, [current] { current->ended = true; });
        if (!m_reading) {
            // Never take anything out of the system's receive buffer.
            socket->setReadBufferSize(1);
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, current] {
            current->received += current->socket->readAll();
            if (m_handler)
                m_handler(*current);
        });
        if (m_handler)
            m_handler(*current);
    }
}

void ScriptedPeer::sendPieces(QTcpSocket* socket, const QList<QByteArray>& pieces, int gapMs) {
    QPointer<QTcpSocket> guard(socket);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QTimer::singleShot(static_cast<int>(i) * gapMs, socket, [guard, piece = pieces.at(i)] {
            if (guard)
                guard->write(piece);
        });
    }
}

bool ScriptedPeer::isWholeRequest(const QByteArray& bytes) {
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QByteArray marker = "\r\nContent-Length: ";
    const qsizetype at = bytes.indexOf(marker);
    if (at < 0 || at > end)
        return false;
    const qsizetype valueStart = at + marker.size();
    const qint64 length =
        bytes.mid(valueStart, bytes.indexOf('\r', valueStart) - valueStart).toLongLong();
    return bytes.size() >= end + 4 + length;
}

QByteArray ScriptedPeer::reply(const QByteArray& body, const QByteArray& contentType) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nContent-Type: " + contentType + "\r\n\r\n" + body;
}

} // namespace orvix::test
