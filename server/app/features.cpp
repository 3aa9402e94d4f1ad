#include "server/app/features.h"

#include "server/core/server_context.h"
#include "server/scripts/board/install_board.h"
#include "server/scripts/chat/install_chat.h"
#include "server/scripts/content/install_content.h"
#include "server/scripts/docs/install_docs.h"
#include "server/scripts/session/install_session.h"
#include "server/scripts/store/install_store.h"
#include "server/storage/schema.h"

namespace orvix::server {

QList<ServerFeature> serverFeatures() {
    return {
        sessionFeature(), chatFeature(), contentFeature(),
        boardFeature(),   docsFeature(), storeFeature(),
    };
}

bool migrateFeatures(ServerContext& context, QString* error) {
    for (const ServerFeature& feature : serverFeatures()) {
        if (!feature.migrations.isEmpty() &&
            !Schema::migratePart(context.database(), feature.name, feature.migrations, error)) {
            return false;
        }
    }
    return true;
}

void installFeatures(RouteTable& routes, ServerContext& context) {
    for (const ServerFeature& feature : serverFeatures()) {
        if (feature.install)
            feature.install(routes, context);
    }
}

bool seedFeatureDemo(ServerContext& context, QString* error) {
    for (const ServerFeature& feature : serverFeatures()) {
        if (feature.seedDemo && !feature.seedDemo(context, error))
            return false;
    }
    return true;
}

QList<AdminCommand> featureAdminCommands() {
    QList<AdminCommand> commands;
    for (const ServerFeature& feature : serverFeatures()) {
        if (feature.adminCommands)
            commands += feature.adminCommands();
    }
    return commands;
}

} // namespace orvix::server
