#include "http_peer.h"

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

std::optional<HttpPeer::Request> HttpPeer::Request::parse(const QByteArray& received) {
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0)
        return std::nullopt;
    Request request;
    request.head = received.left(end);
    const qsizetype length = request.header("Content-Length").toLongLong();
    if (received.size() < end + 4 + length)
        return std::nullopt;
    request.raw = received.left(end + 4 + length);
    request.body = received.mid(end + 4, length);
    const QList<QByteArray> words = request.head.split(' ');
    request.method = words.value(0);
    request.path = words.value(1);
    return request;
}

HttpPeer::HttpPeer(Handler handler)
    : m_handler(std::move(handler))
    , m_peer([this](const QByteArray& received) -> std::optional<TcpPeer::Answer> {
        std::optional<Request> request = Request::parse(received);
        if (!request)
            return std::nullopt;
        request->receivedAtMs = m_clock.elapsed();
        {
            QMutexLocker lock(&m_mutex);
            m_requests.append(*request);
        }
        return TcpPeer::Answer{{{m_handler ? m_handler(*request) : QByteArray()}}};
    }) {
    m_clock.start();
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

TcpPeer::Script HttpPeer::answering(const TcpPeer::Answer& answer) {
    return [answer](const QByteArray& received) -> std::optional<TcpPeer::Answer> {
        if (!Request::parse(received))
            return std::nullopt;
        return answer;
    };
}

} // namespace orvix::test
