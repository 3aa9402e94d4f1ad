#include "server/app/orvix_server.h"

#include "server/app/features.h"
#include "server/demo/demo_seeder.h"
#include "server/http/orvix_http_server.h"
#include "server/upload/upload_service.h"

#include <QHostAddress>

namespace orvix::server {

OrvixServer::OrvixServer(ServerConfig config)
    : m_context(std::move(config)) {}

OrvixServer::~OrvixServer() {
    stop();
}

bool OrvixServer::start(QString* error) {
    ServerConfig& config = m_context.config();
    const QHostAddress address(config.bindAddress);
    if (address.isNull()) {
        if (error)
            *error = QStringLiteral("%1 is not an IP address").arg(config.bindAddress);
        return false;
    }
    if (!m_context.open(error) || !migrateFeatures(m_context, error))
        return false;
    if (config.demo && !(DemoSeeder(m_context).seed(error) && seedFeatureDemo(m_context, error)))
        return false;

    installFeatures(m_routes, m_context);
    m_http = std::make_unique<OrvixHttpServer>(m_routes, m_context.folder().imageRoot());
    if (!m_http->start(address, config.httpPort, error))
        return false;
    if (config.publicAddress.isEmpty())
        config.publicAddress = QStringLiteral("127.0.0.1:%1").arg(m_http->port());

    UploadSettings uploads;
    uploads.imageRoot = m_context.folder().imageRoot();
    uploads.stagingDir = m_context.folder().stagingDir();
    uploads.maxSize = config.maxUpload;
    m_uploads = std::make_unique<UploadService>(uploads);
    return m_uploads->start(config.bindAddress, config.uploadPort, error);
}

void OrvixServer::stop() {
    m_uploads.reset();
    m_http.reset();
}

QString OrvixServer::readyLine() const {
    return QStringLiteral("orvix-server ready: http %1:%2, upload %1:%3")
        .arg(config().bindAddress)
        .arg(httpPort())
        .arg(uploadPort());
}

quint16 OrvixServer::httpPort() const {
    return m_http ? m_http->port() : 0;
}

quint16 OrvixServer::uploadPort() const {
    return m_uploads ? m_uploads->port() : 0;
}

UploadServer* OrvixServer::uploadServer() const {
    return m_uploads ? m_uploads->server() : nullptr;
}

} // namespace orvix::server
