#pragma once

#include <QByteArray>

namespace orvix::server {

// Builds replies in the one framing the client reads: the status line, "Content-Length", then
// "Content-Type" as the last header line, a blank line, the body. Nothing is ever compressed.
// The client finds the body nine bytes after the "/html" that ends the Content-Type line, so the
// text replies' type is exactly "text/html" without parameters. A reply after which the server
// closes the connection (a refusal, or a request that asked for it) says so with
// "Connection: close" right after the status line, before the two lines the client reads.
class ReplyWriter {
public:
    // The largest body the client takes; longer text replies are sent but logged.
    static constexpr qsizetype kMaxTextBody = 10240;

    static QByteArray text(int status, const QByteArray& body, bool close = false);

    // A web page for the embedded browser: UTF-8 HTML with its charset named, kept out of any
    // cache (pages change with every registration). A status 303 is a redirect to location.
    static QByteArray page(int status, const QByteArray& html, const QByteArray& location = {},
                           bool close = false);

    // The head of a file reply; the file's bytes follow it (none for HEAD).
    static QByteArray fileHead(qint64 size, const QByteArray& contentType, bool close = false);

    // "HTTP/1.1 404 Not Found\r\n"
    static QByteArray statusLine(int status);
    // "Not Found"
    static QByteArray reasonPhrase(int status);
};

} // namespace orvix::server
