#include "http_peer.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

namespace orvix::test {

QByteArray HttpPeer::Request::header(const QByteArray& name) const {
    const QByteArray prefix = name.toLower() + ':';
    for (const QByteArray& line : head.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.toLower().startsWith(prefix))
            return trimmed.mid(prefix.size()).trimmed();
    }
    return {};
}

HttpPeer::HttpPeer(Handler handler)
    : m_handler(std::move(handler)) {
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QMetaObject::invokeMethod(
        m_context,
        [this, clock] {
            m_server = new QTcpServer;
            m_server->listen(QHostAddress::LocalHost, 0);
            m_port = m_server->serverPort();
            QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this, clock] {
                while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                    auto buffer = std::make_shared<QByteArray>();
                    QObject::connect(socket, &QTcpSocket::disconnected, socket,
                                     &QObject::deleteLater);
                    QObject::connect(
                        socket, &QTcpSocket::readyRead, socket, [this, socket, buffer, clock] {
                            buffer->append(socket->readAll());
                            const qsizetype end = buffer->indexOf("\r\n\r\n");
                            if (end < 0)
                                return;
                            Request request;
                            request.head = buffer->left(end);
                            const qsizetype length = request.header("Content-Length").toLongLong();
                            if (buffer->size() < end + 4 + length)
                                return;
                            request.raw = buffer->left(end + 4 + length);
                            request.body = buffer->mid(end + 4, length);
                            const QList<QByteArray> words = request.head.split(' ');
                            request.method = words.value(0);
                            request.path = words.value(1);
                            request.receivedAtMs = clock->elapsed();
                            buffer->clear();
                            record(request);
                            const QByteArray answer = m_handler ? m_handler(request) : QByteArray();
                            if (!answer.isEmpty())
                                socket->write(answer);
                            socket->disconnectFromHost();
                        });
                }
            });
        },
        Qt::BlockingQueuedConnection);
}

HttpPeer::~HttpPeer() {
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            delete m_server;
            delete m_context;
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QString HttpPeer::address() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void HttpPeer::record(const Request& request) {
    QMutexLocker lock(&m_mutex);
    m_requests.append(request);
}

QList<HttpPeer::Request> HttpPeer::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

int HttpPeer::requestCount() const {
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(m_requests.size());
}

QByteArray HttpPeer::reply(const QByteArray& body, const QByteArray& contentType) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nContent-Type: " + contentType + "\r\n\r\n" + body;
}

} // namespace orvix::test
