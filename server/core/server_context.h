#pragma once

#include "server/core/server_config.h"
#include "server/storage/data_folder.h"
#include "server/storage/database.h"
#include "server/storage/member_store.h"
#include "server/storage/password_verifier.h"
#include "server/storage/pc_access_store.h"

namespace orvix::server {

// The data folder and database of one server (or one admin command), with the stores on top of
// the database connection. Everything here belongs to the thread that created it; scripts reach
// storage through it.
class ServerContext {
public:
    explicit ServerContext(ServerConfig config);

    ServerContext(const ServerContext&) = delete;
    ServerContext& operator=(const ServerContext&) = delete;

    // Creates the data folder when missing (clearing its staging folder) and opens the
    // database: for the serving process.
    bool open(QString* error);
    // Opens the database of an existing data folder, creating nothing: for the admin commands.
    bool openExisting(QString* error);

    const ServerConfig& config() const { return m_config; }
    ServerConfig& config() { return m_config; }

    const DataFolder& folder() const { return m_folder; }
    Database& database() { return m_database; }
    MemberStore& members() { return m_members; }
    PcAccessStore& pcAccess() { return m_pcAccess; }
    PasswordVerifier& passwords() { return m_passwords; }

private:
    ServerConfig m_config;
    DataFolder m_folder;
    Database m_database;
    MemberStore m_members;
    PcAccessStore m_pcAccess;
    PasswordVerifier m_passwords;
};

} // namespace orvix::server
