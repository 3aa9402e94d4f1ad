#include "server/core/server_context.h"

namespace orvix::server {

ServerContext::ServerContext(ServerConfig config)
    : m_config(std::move(config))
    , m_folder(m_config.dataDir)
    , m_database(m_folder.databasePath())
    , m_members(m_database)
    , m_pcAccess(m_database) {}

bool ServerContext::open(QString* error) {
    return m_folder.prepare(error) && m_database.open(error);
}

bool ServerContext::openExisting(QString* error) {
    return m_folder.checkExisting(error) && m_database.open(error);
}

} // namespace orvix::server
