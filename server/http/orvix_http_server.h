#pragma once

#include "server/http/image_files.h"
#include "server/http/script_table.h"

#include <QAbstractHttpServer>
#include <QHostAddress>

class QTcpServer;

namespace orvix::server {

// The HTTP side of the server: POST to a form script of the table, GET of a file under /image/.
// Everything else is answered 404 (405 for a script asked with another method), always in the
// framing of ReplyWriter.
class OrvixHttpServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    OrvixHttpServer(const ScriptTable& scripts, const QString& imageRoot,
                    QObject* parent = nullptr);

    // Starts listening; port 0 picks a free port. Returns false with a reason on failure.
    bool start(const QHostAddress& address, quint16 port, QString* error);
    quint16 port() const { return m_port; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    bool serveImage(const QHttpServerRequest& request, QTcpSocket* socket, const QString& path);

    const ScriptTable& m_scripts;
    ImageFiles m_images;
    quint16 m_port = 0;
};

} // namespace orvix::server
