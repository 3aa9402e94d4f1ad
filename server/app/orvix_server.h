#pragma once

#include "server/core/route_table.h"
#include "server/core/server_config.h"
#include "server/core/server_context.h"

#include <memory>

namespace orvix::server {

class FolderLock;
class OrvixHttpServer;
class UploadService;
class UploadServer;

// One running server: the data folder and database, the features' form scripts and pages and
// /image/ over HTTP on this thread, and the upload port on a thread of its own.
class OrvixServer {
public:
    explicit OrvixServer(ServerConfig config);
    ~OrvixServer();

    OrvixServer(const OrvixServer&) = delete;
    OrvixServer& operator=(const OrvixServer&) = delete;

    // Takes the data folder's lock (one serving process per folder), opens the storage, adds the
    // demo data when asked, and starts both ports. When the public address was not given it
    // becomes 127.0.0.1 with the HTTP port listened on. The connection caps left at 0 in the
    // configuration are chosen from the process's descriptor limit.
    bool start(QString* error);
    void stop();

    // "orvix-server ready: http <address>:<port>, upload <address>:<port>"
    QString readyLine() const;

    quint16 httpPort() const;
    quint16 uploadPort() const;

    ServerContext& context() { return m_context; }
    const ServerConfig& config() const { return m_context.config(); }
    RouteTable& routes() { return m_routes; }
    // The upload port's object, for its signals (queued: it lives on the upload thread).
    UploadServer* uploadServer() const;
    OrvixHttpServer* httpServer() const { return m_http.get(); }
    // The limits in force (caps chosen at start).
    const ServerLimits& limits() const { return m_limits; }

private:
    bool lockDataFolder(QString* error);

    std::unique_ptr<FolderLock> m_lock; // released last
    ServerContext m_context;
    ServerLimits m_limits;
    RouteTable m_routes;
    std::unique_ptr<OrvixHttpServer> m_http;
    std::unique_ptr<UploadService> m_uploads;
};

} // namespace orvix::server
