#include "server/http/orvix_http_server.h"

#include "server/http/reply_writer.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QUrl>

namespace orvix::server {

namespace {

const QString kImagePrefix = QStringLiteral("/image/");

} // namespace

OrvixHttpServer::OrvixHttpServer(const RouteTable& routes, const QString& imageRoot,
                                 QObject* parent)
    : QAbstractHttpServer(parent)
    , m_routes(routes)
    , m_images(imageRoot) {}

bool OrvixHttpServer::start(const QHostAddress& address, quint16 port, QString* error) {
    auto* tcp = new QTcpServer(this);
    if (!tcp->listen(address, port)) {
        if (error) {
            *error = QStringLiteral("cannot listen on %1:%2: %3")
                         .arg(address.toString())
                         .arg(port)
                         .arg(tcp->errorString());
        }
        delete tcp;
        return false;
    }
    m_port = tcp->serverPort();
    bind(tcp);
    return true;
}

bool OrvixHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const QString path = request.url().path();
    if (const RouteTable::Script* script = m_routes.script(path)) {
        QHttpServerResponder responder = makeResponder(request, socket);
        if (request.method() != QHttpServerRequest::Method::Post) {
            ReplyWriter::writeText(responder, 405, QByteArrayLiteral("Method Not Allowed"));
            return true;
        }
        ScriptRequest scriptRequest{FormBody::parse(request.body()), request.remoteAddress()};
        const ScriptReply reply = (*script)(scriptRequest);
        ReplyWriter::writeText(responder, reply.status, reply.body.toUtf8());
        return true;
    }
    if (const RouteTable::Page* page = m_routes.page(path)) {
        servePage(request, socket, *page, path);
        return true;
    }
    if (path.startsWith(kImagePrefix))
        return serveImage(request, socket, path.sliced(kImagePrefix.size()));
    return false;
}

void OrvixHttpServer::servePage(const QHttpServerRequest& request, QTcpSocket* socket,
                                const RouteTable::Page& page, const QString& path) {
    QHttpServerResponder responder = makeResponder(request, socket);
    PageRequest pageRequest;
    pageRequest.peer = request.remoteAddress();
    pageRequest.query = PageRequest::decodePairs(request.url().query(QUrl::FullyEncoded).toUtf8());
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        break;
    case QHttpServerRequest::Method::Post:
        if (m_routes.pageAcceptsPost(path)) {
            pageRequest.method = PageRequest::Method::Post;
            pageRequest.form = PageRequest::decodePairs(request.body());
            break;
        }
        [[fallthrough]];
    default:
        ReplyWriter::writeText(responder, 405, QByteArrayLiteral("Method Not Allowed"));
        return;
    }
    const PageReply reply = page(pageRequest);
    ReplyWriter::writePage(responder, reply.status, reply.html.toUtf8(), reply.location.toUtf8());
}

bool OrvixHttpServer::serveImage(const QHttpServerRequest& request, QTcpSocket* socket,
                                 const QString& relative) {
    const auto method = request.method();
    const bool head = method == QHttpServerRequest::Method::Head;
    if (method != QHttpServerRequest::Method::Get && !head)
        return false;
    std::unique_ptr<QFile> file = m_images.open(relative);
    if (!file)
        return false;
    QHttpServerResponder responder = makeResponder(request, socket);
    const QByteArray type = ImageFiles::contentType(file->fileName());
    ReplyWriter::writeFile(responder, std::move(file), type, head);
    return true;
}

void OrvixHttpServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    QHttpServerResponder responder = makeResponder(request, socket);
    ReplyWriter::writeText(responder, 404, QByteArrayLiteral("Not Found"));
}

} // namespace orvix::server
