#include "server/http/reply_writer.h"

#include <QFile>
#include <QHttpServerResponder>
#include <QLoggingCategory>

namespace orvix::server {

namespace {

Q_LOGGING_CATEGORY(lcReply, "orvix.http")

const QByteArray kContentLength = QByteArrayLiteral("Content-Length");
const QByteArray kContentType = QByteArrayLiteral("Content-Type");

} // namespace

void ReplyWriter::writeText(QHttpServerResponder& responder, int status, const QByteArray& body) {
    if (body.size() > kMaxTextBody)
        qCWarning(lcReply) << "reply body of" << body.size()
                           << "bytes is longer than the client reads";
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(status));
    responder.writeHeader(kContentLength, QByteArray::number(body.size()));
    responder.writeHeader(kContentType, QByteArrayLiteral("text/html"));
    // writeBody() puts the blank line in front of the first body bytes; an empty body still
    // needs it.
    responder.writeBody(body.constData(), body.size());
}

void ReplyWriter::writePage(QHttpServerResponder& responder, int status, const QByteArray& html,
                            const QByteArray& location) {
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(status));
    responder.writeHeader(kContentLength, QByteArray::number(html.size()));
    responder.writeHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-store"));
    responder.writeHeader(QByteArrayLiteral("X-Content-Type-Options"),
                          QByteArrayLiteral("nosniff"));
    if (!location.isEmpty())
        responder.writeHeader(QByteArrayLiteral("Location"), location);
    responder.writeHeader(kContentType, QByteArrayLiteral("text/html; charset=utf-8"));
    responder.writeBody(html.constData(), html.size());
}

void ReplyWriter::writeFile(QHttpServerResponder& responder, std::unique_ptr<QFile> file,
                            const QByteArray& contentType, bool headOnly) {
    if (headOnly) {
        responder.writeStatusLine(QHttpServerResponder::StatusCode::Ok);
        responder.writeHeader(kContentLength, QByteArray::number(file->size()));
        responder.writeHeader(kContentType, contentType);
        responder.writeBody(QByteArray());
        return;
    }
    // For a file (a device that knows its size) the responder writes Content-Length first, then
    // the headers given here, then streams the file in pieces as the socket takes them.
    responder.write(file.release(), {{kContentType, contentType}},
                    QHttpServerResponder::StatusCode::Ok);
}

} // namespace orvix::server
