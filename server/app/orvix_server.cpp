#include "server/app/orvix_server.h"

#include "server/app/descriptor_limit.h"
#include "server/app/features.h"
#include "server/demo/demo_seeder.h"
#include "server/http/orvix_http_server.h"
#include "server/storage/folder_lock.h"
#include "server/upload/upload_service.h"

#include <QDir>
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
    if (!lockDataFolder(error) || !m_context.open(error) || !migrateFeatures(m_context, error))
        return false;
    if (config.demo && !(DemoSeeder(m_context).seed(error) && seedFeatureDemo(m_context, error)))
        return false;

    m_limits = DescriptorLimit::fit(config.limits, DescriptorLimit::current());
    config.limits = m_limits;
    installFeatures(m_routes, m_context);
    m_http = std::make_unique<OrvixHttpServer>(m_routes, m_context.folder().imageRoot(), m_limits);
    if (!m_http->start(address, config.httpPort, error))
        return false;
    if (config.publicAddress.isEmpty())
        config.publicAddress = QStringLiteral("127.0.0.1:%1").arg(m_http->port());

    UploadSettings uploads;
    uploads.imageRoot = m_context.folder().imageRoot();
    uploads.stagingDir = m_context.folder().stagingDir();
    uploads.databasePath = m_context.folder().databasePath();
    uploads.maxSize = config.maxUpload;
    uploads.headerTimeoutMs = m_limits.uploadHeaderTimeoutMs;
    uploads.rateWindowMs = m_limits.uploadRateWindowMs;
    uploads.minBytesPerSecond = m_limits.uploadMinBytesPerSecond;
    uploads.maxConnections = m_limits.maxUploads;
    uploads.maxPerAddress = m_limits.maxUploadsPerAddress;
    uploads.listenBacklog = m_limits.listenBacklog;
    m_uploads = std::make_unique<UploadService>(uploads);
    return m_uploads->start(config.bindAddress, config.uploadPort, error);
}

bool OrvixServer::lockDataFolder(QString* error) {
    const DataFolder& folder = m_context.folder();
    if (!QDir().mkpath(folder.root())) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(folder.root());
        return false;
    }
    // Another serving process on the same folder would share the staging folder that this one
    // clears at start.
    auto lock = std::make_unique<FolderLock>();
    QString reason;
    if (!lock->acquire(folder.lockPath(), &reason)) {
        if (error)
            *error = QStringLiteral("the data folder %1 is %2").arg(folder.root(), reason);
        return false;
    }
    m_lock = std::move(lock);
    return true;
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
