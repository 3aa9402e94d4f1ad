#pragma once

#include "server/core/server_feature.h"

namespace orvix::server {

class RouteTable;
class ServerContext;

// The features this server is made of, in the order they are set up.
QList<ServerFeature> serverFeatures();

// Brings every feature's tables up to date.
bool migrateFeatures(ServerContext& context, QString* error);
// Adds every feature's scripts and pages.
void installFeatures(RouteTable& routes, ServerContext& context);
// Adds every feature's demo data.
bool seedFeatureDemo(ServerContext& context, QString* error);
// Every feature's admin commands.
QList<AdminCommand> featureAdminCommands();

} // namespace orvix::server
