#pragma once

#include <QByteArray>
#include <QPointer>

#include <memory>

class QFile;

namespace orvix::server {

class HttpConnection;

// The answer to one request, given once: at once by the handler, or later (after work on
// another thread), always on the server's thread. The framing is ReplyWriter's; a connection
// that is to close after the reply says so in it. Answering after the peer went away, or a
// second time, does nothing.
class HttpReply {
public:
    HttpReply() = default;

    void text(int status, const QByteArray& body) const;
    void page(int status, const QByteArray& html, const QByteArray& location = {}) const;
    // Streams the file as the peer takes it (only its head for HEAD).
    void file(std::unique_ptr<QFile> file, const QByteArray& contentType, bool headOnly) const;

private:
    friend class HttpConnection;
    HttpReply(HttpConnection* connection, quint64 serial, bool close)
        : m_connection(connection)
        , m_serial(serial)
        , m_close(close) {}

    QPointer<HttpConnection> m_connection;
    quint64 m_serial = 0;
    bool m_close = false;
};

} // namespace orvix::server
