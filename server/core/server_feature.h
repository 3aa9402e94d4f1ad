#pragma once

#include "server/core/admin_command.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace orvix::server {

class RouteTable;
class ServerContext;

// One feature of the server (the PC session, chat, the board, …) as it plugs in. The server
// knows features only through this description; each feature builds its own stores from the
// context's database. Every part is optional.
struct ServerFeature {
    // Names the feature's tables in the database (schema_parts) and its log lines.
    QString name;
    // The feature's own tables: migrations in order, each a list of statements. Appended to,
    // never edited, once released.
    QList<QStringList> migrations;
    // Adds the feature's form scripts and pages. Called once, after the database is ready and
    // the demo data (when asked) is in.
    std::function<void(RouteTable&, ServerContext&)> install;
    // The feature's admin commands.
    std::function<QList<AdminCommand>()> adminCommands;
    // Adds the feature's demo data, only what is missing (serving with --demo again adds
    // nothing twice). Runs after the demo members exist.
    std::function<bool(ServerContext&, QString* error)> seedDemo;
};

} // namespace orvix::server
