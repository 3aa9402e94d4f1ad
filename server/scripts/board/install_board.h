#pragma once

#include "server/core/server_feature.h"

namespace orvix::server {

class RouteTable;
class ServerContext;

// The board: the post list, opening a post, opinions, photos, documents and contents added to
// posts, the post page and the area list; the admin command add-post and the demo posts.
void installBoard(RouteTable& routes, ServerContext& context);
QList<AdminCommand> boardAdminCommands();
ServerFeature boardFeature();

} // namespace orvix::server
