#include "server/http/reply_writer.h"

#include <QLoggingCategory>

#include <utility>

namespace orvix::server {

namespace {

Q_LOGGING_CATEGORY(lcReply, "orvix.http")

QByteArray head(int status, bool close) {
    QByteArray bytes = ReplyWriter::statusLine(status);
    if (close)
        bytes += "Connection: close\r\n";
    return bytes;
}

QByteArray lengthLine(qint64 size) {
    return "Content-Length: " + QByteArray::number(size) + "\r\n";
}

QByteArray typeLine(const QByteArray& type) {
    return "Content-Type: " + type + "\r\n\r\n";
}

} // namespace

QByteArray ReplyWriter::text(int status, const QByteArray& body, bool close) {
    if (body.size() > kMaxTextBody)
        qCWarning(lcReply) << "reply body of" << body.size()
                           << "bytes is longer than the client reads";
    return head(status, close) + lengthLine(body.size()) + typeLine("text/html") + body;
}

QByteArray ReplyWriter::page(int status, const QByteArray& html, const QByteArray& location,
                             bool close) {
    QByteArray bytes = head(status, close) + lengthLine(html.size()) +
                       "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    if (!location.isEmpty())
        bytes += "Location: " + location + "\r\n";
    return bytes + typeLine("text/html; charset=utf-8") + html;
}

QByteArray ReplyWriter::fileHead(qint64 size, const QByteArray& contentType, bool close) {
    return head(200, close) + lengthLine(size) + typeLine(contentType);
}

QByteArray ReplyWriter::statusLine(int status) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
}

QByteArray ReplyWriter::reasonPhrase(int status) {
    static const std::pair<int, const char*> phrases[] = {
        {100, "Continue"},
        {200, "OK"},
        {201, "Created"},
        {204, "No Content"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {304, "Not Modified"},
        {400, "Bad Request"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {408, "Request Timeout"},
        {409, "Conflict"},
        {413, "Content Too Large"},
        {429, "Too Many Requests"},
        {431, "Request Header Fields Too Large"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {503, "Service Unavailable"},
        {505, "HTTP Version Not Supported"},
    };
    for (const auto& [code, phrase] : phrases) {
        if (code == status)
            return phrase;
    }
    return status < 400 ? "OK" : "Error";
}

} // namespace orvix::server
