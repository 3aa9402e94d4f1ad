#pragma once

#include "server/core/route_table.h"
#include "server/http/image_files.h"

#include <QAbstractHttpServer>
#include <QHostAddress>

class QTcpServer;

namespace orvix::server {

// The HTTP side of the server: POST to a form script of the route table, GET of a web page (POST
// too for a page that takes a form), GET of a file under /image/. Everything else is answered 404
// (405 for a script or page asked with a method it does not take), in the framing of ReplyWriter.
class OrvixHttpServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    OrvixHttpServer(const RouteTable& routes, const QString& imageRoot, QObject* parent = nullptr);

    // Starts listening; port 0 picks a free port. Returns false with a reason on failure.
    bool start(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_port; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void servePage(const QHttpServerRequest& request, QTcpSocket* socket,
                   const RouteTable::Page& page, const QString& path);
    bool serveImage(const QHttpServerRequest& request, QTcpSocket* socket, const QString& path);

    const RouteTable& m_routes;
    ImageFiles m_images;
    quint16 m_port = 0;
};

} // namespace orvix::server
