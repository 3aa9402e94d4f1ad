#include "server/http/orvix_http_server.h"

#include "server/core/peer_address.h"
#include "server/core/refusal_log.h"
#include "server/http/http_connection.h"
#include "server/http/reply_writer.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <sys/socket.h>

namespace orvix::server {

namespace {

Q_LOGGING_CATEGORY(lcHttp, "orvix.http")

const QString kImagePrefix = QStringLiteral("/image/");

// After a failed accept (no descriptor left), the port is tried again this much later rather
// than at once in a busy loop.
constexpr int kAcceptRetryMs = 100;

} // namespace

OrvixHttpServer::OrvixHttpServer(const RouteTable& routes, const QString& imageRoot,
                                 ServerLimits limits, QObject* parent)
    : QObject(parent)
    , m_routes(routes)
    , m_images(imageRoot)
    , m_limits(limits)
    , m_budget(limits.bodyBudgetBytes)
    , m_table(limits.maxConnections, limits.maxConnectionsPerAddress)
    , m_refusals(new RefusalLog(lcHttp, 5000, this)) {}

OrvixHttpServer::~OrvixHttpServer() {
    // The connections go first: they hold references to the limits and the budget.
    const QList<HttpConnection*> connections = m_table.connections();
    for (HttpConnection* connection : connections) {
        m_table.remove(connection);
        connection->disconnect(this);
        delete connection;
    }
}

bool OrvixHttpServer::start(const QHostAddress& address, quint16 port, QString* error) {
    auto* tcp = new QTcpServer(this);
    tcp->setListenBacklogSize(m_limits.listenBacklog);
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
    m_tcp = tcp;
    m_port = tcp->serverPort();
    connect(tcp, &QTcpServer::newConnection, this, &OrvixHttpServer::acceptPending);
    connect(tcp, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError) {
        m_refusals->note(QStringLiteral("HTTP connection that could not be accepted"),
                         m_tcp->errorString());
        m_tcp->pauseAccepting();
        QTimer::singleShot(kAcceptRetryMs, m_tcp, [tcp = m_tcp] { tcp->resumeAccepting(); });
    });
    return true;
}

int OrvixHttpServer::idleConnectionCount() const {
    int idle = 0;
    for (const HttpConnection* connection : m_table.connections())
        idle += connection->isIdle() ? 1 : 0;
    return idle;
}

qint64 OrvixHttpServer::bufferedReplyBytes() const {
    qint64 total = 0;
    for (const HttpConnection* connection : m_table.connections())
        total += connection->bytesToWrite();
    return total;
}

void OrvixHttpServer::acceptPending() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        const QString address = PeerAddress::text(socket->peerAddress());
        const auto verdict = m_table.admit(address);
        if (verdict != HttpConnectionTable::Verdict::Admitted) {
            m_refusals->note(verdict == HttpConnectionTable::Verdict::OverAddress
                                 ? QStringLiteral("HTTP connection over the cap of %1 per address")
                                       .arg(m_table.maxPerAddress())
                                 : QStringLiteral("HTTP connection over the cap of %1 in all")
                                       .arg(m_table.maxTotal()),
                             QStringLiteral("from %1").arg(address));
            refuseAtOnce(socket);
            continue;
        }
        auto* connection = new HttpConnection(
            socket, m_limits, m_budget,
            [this](const HttpRequest& request, const HttpReply& reply) { handle(request, reply); },
            this);
        m_table.add(connection);
        connect(connection, &HttpConnection::closed, this,
                [this](HttpConnection* closed) { m_table.remove(closed); });
        connect(connection, &HttpConnection::refused, this, [this, address](int status) {
            m_refusals->note(QStringLiteral("HTTP request (%1 %2)")
                                 .arg(status)
                                 .arg(QString::fromLatin1(ReplyWriter::reasonPhrase(status))),
                             QStringLiteral("from %1").arg(address));
        });
    }
}

void OrvixHttpServer::refuseAtOnce(QTcpSocket* socket) {
    // Said in passing, without keeping the connection: the refusal goes out, the server's side
    // is shut, and what the peer already sent is read away so that closing does not reset the
    // connection before the refusal arrives.
    socket->write(ReplyWriter::text(503, ReplyWriter::reasonPhrase(503), true));
    socket->flush();
    const int fd = int(socket->socketDescriptor());
    if (fd >= 0) {
        ::shutdown(fd, SHUT_WR);
        char discard[4096];
        while (::recv(fd, discard, sizeof(discard), MSG_DONTWAIT) > 0) {
        }
    }
    socket->abort();
    socket->deleteLater();
}

void OrvixHttpServer::handle(const HttpRequest& request, const HttpReply& reply) {
    const QString path = QUrl::fromPercentEncoding(request.head.path);
    const QByteArray& method = request.head.method;
    if (const RouteTable::Script* script = m_routes.script(path)) {
        if (method != "POST") {
            reply.text(405, ReplyWriter::reasonPhrase(405));
            return;
        }
        const ScriptReply answer =
            (*script)(ScriptRequest{FormBody::parse(request.body), request.peer});
        reply.text(answer.status, answer.body.toUtf8());
        return;
    }
    if (const RouteTable::DeferredScript* script = m_routes.deferredScript(path)) {
        if (method != "POST") {
            reply.text(405, ReplyWriter::reasonPhrase(405));
            return;
        }
        (*script)(ScriptRequest{FormBody::parse(request.body), request.peer},
                  [reply](const ScriptReply& answer) {
                      reply.text(answer.status, answer.body.toUtf8());
                  });
        return;
    }
    if (const RouteTable::Page* page = m_routes.page(path)) {
        servePage(request, reply, *page, path);
        return;
    }
    if (path.startsWith(kImagePrefix) && (method == "GET" || method == "HEAD")) {
        serveImage(request, reply, path.sliced(kImagePrefix.size()));
        return;
    }
    reply.text(404, ReplyWriter::reasonPhrase(404));
}

void OrvixHttpServer::servePage(const HttpRequest& request, const HttpReply& reply,
                                const RouteTable::Page& page, const QString& path) {
    PageRequest pageRequest;
    pageRequest.peer = request.peer;
    pageRequest.query = PageRequest::decodePairs(request.head.query);
    if (request.head.method == "POST" && m_routes.pageAcceptsPost(path)) {
        pageRequest.method = PageRequest::Method::Post;
        pageRequest.form = PageRequest::decodePairs(request.body);
    } else if (request.head.method != "GET") {
        reply.text(405, ReplyWriter::reasonPhrase(405));
        return;
    }
    const PageReply answer = page(pageRequest);
    reply.page(answer.status, answer.html.toUtf8(), answer.location.toUtf8());
}

void OrvixHttpServer::serveImage(const HttpRequest& request, const HttpReply& reply,
                                 const QString& relative) {
    std::unique_ptr<QFile> file = m_images.open(relative);
    if (!file) {
        reply.text(404, ReplyWriter::reasonPhrase(404));
        return;
    }
    const QByteArray type = ImageFiles::contentType(file->fileName());
    reply.file(std::move(file), type, request.head.method == "HEAD");
}

} // namespace orvix::server
