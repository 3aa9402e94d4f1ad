#pragma once

#include "server/core/route_table.h"
#include "server/core/server_limits.h"
#include "server/http/body_budget.h"
#include "server/http/http_connection_table.h"
#include "server/http/image_files.h"

#include <QHostAddress>
#include <QObject>

class QTcpServer;
class QTcpSocket;

namespace orvix::server {

class HttpConnection;
class HttpReply;
class RefusalLog;
struct HttpRequest;

// The HTTP side of the server: POST to a form script of the route table, GET of a web page (POST
// too for a page that takes a form), GET and HEAD of a file under /image/. Everything else is
// answered 404 (405 for a script or page asked with a method it does not take), in the framing
// of ReplyWriter.
//
// Connections are HttpConnections within the limits; their number is capped in total and per
// address (see HttpConnectionTable), and a connection over a cap is refused with 503 at once.
class OrvixHttpServer : public QObject {
    Q_OBJECT
public:
    // limits.maxConnections must be set (not 0).
    OrvixHttpServer(const RouteTable& routes, const QString& imageRoot, ServerLimits limits,
                    QObject* parent = nullptr);
    ~OrvixHttpServer() override;

    // Starts listening; port 0 picks a free port. Returns false with a reason on failure.
    bool start(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_port; }

    // For tests and the benchmark: open connections, bytes of replies waiting to be sent on
    // all of them, bytes of request bodies being received.
    int connectionCount() const { return m_table.count(); }
    int idleConnectionCount() const;
    qint64 bufferedReplyBytes() const;
    qint64 bodyBytesReceiving() const { return m_budget.used(); }

private:
    void acceptPending();
    void refuseAtOnce(QTcpSocket* socket);
    void handle(const HttpRequest& request, const HttpReply& reply);
    void servePage(const HttpRequest& request, const HttpReply& reply, const RouteTable::Page& page,
                   const QString& path);
    void serveImage(const HttpRequest& request, const HttpReply& reply, const QString& relative);

    const RouteTable& m_routes;
    ImageFiles m_images;
    ServerLimits m_limits;
    BodyBudget m_budget;
    HttpConnectionTable m_table;
    QTcpServer* m_tcp = nullptr;
    RefusalLog* m_refusals = nullptr;
    quint16 m_port = 0;
};

} // namespace orvix::server
