#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <utility>

namespace orvix::server {

// The head of one HTTP/1.x request (request line and header lines) as it came over the wire.
//
// Only what this server serves is accepted: HTTP/1.0 and 1.1, a body announced by exactly one
// Content-Length of plain digits (none: no body), no Transfer-Encoding. Anything else is refused
// with a status rather than guessed at, since a body length read two ways is how requests get
// smuggled past a server.
struct HttpHead {
    QByteArray method;
    QByteArray path;  // the target's path, still percent-encoded
    QByteArray query; // after "?", still encoded; empty when there is none
    int minorVersion = 1;
    QList<std::pair<QByteArray, QByteArray>> fields; // names as sent, values trimmed
    qint64 contentLength = 0;
    bool keepAlive = true; // HTTP/1.1 unless "Connection: close"; HTTP/1.0 only when asked
    bool expectContinue = false;

    // The first value of a header field, its name compared without case; empty when absent.
    QByteArray field(QByteArrayView name) const;

    // Reads a whole head: the bytes up to and including the blank line that ends it. *status is
    // 0 for a request that can be served, else the refusal: 400 (malformed, two Content-Length
    // fields, a negative or non-numeric one), 413 (a body above maxBody), 501 (a transfer
    // coding), 505 (not HTTP/1.x).
    static HttpHead parse(QByteArrayView bytes, qint64 maxBody, int* status);

    // Where the head in data ends: the index just past the blank line, looking from `from` on
    // (so a growing buffer is not searched again from its start); -1 while it has not ended.
    // Lines may end with CR LF or a bare LF.
    static qsizetype endOfHead(QByteArrayView data, qsizetype from = 0);
};

} // namespace orvix::server
