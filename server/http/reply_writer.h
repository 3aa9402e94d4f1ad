#pragma once

#include <QByteArray>

#include <memory>

class QFile;
class QHttpServerResponder;

namespace orvix::server {

// Writes replies in the one framing the client reads: the status line, "Content-Length", then
// "Content-Type" as the last header line, a blank line, the body. No other header is sent and
// nothing is ever compressed. The client finds the body nine bytes after the "/html" that ends
// the Content-Type line, so the text replies' type is exactly "text/html" without parameters.
class ReplyWriter {
public:
    // The largest body the client takes; longer text replies are sent but logged.
    static constexpr qsizetype kMaxTextBody = 10240;

    static void writeText(QHttpServerResponder& responder, int status, const QByteArray& body);

    // A web page for the embedded browser: UTF-8 HTML with its charset named, kept out of any
    // cache (pages change with every registration). A status 303 is a redirect to location.
    static void writePage(QHttpServerResponder& responder, int status, const QByteArray& html,
                          const QByteArray& location = {});

    // Streams a file without reading it whole (with no body for a HEAD request).
    static void writeFile(QHttpServerResponder& responder, std::unique_ptr<QFile> file,
                          const QByteArray& contentType, bool headOnly);
};

} // namespace orvix::server
