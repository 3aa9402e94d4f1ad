#include "server/scripts/store/install_store.h"

#include "server/core/server_context.h"
#include "server/pages/store/store_address_page.h"
#include "server/scripts/store/add_store_script.h"
#include "server/scripts/store/store_registry.h"

namespace orvix::server {

void installStore(RouteTable& routes, ServerContext& context) {
    auto stores = std::make_shared<StoreRegistry>(context.database());
    routes.addScript(QStringLiteral("/android/pcaddstore.php"), AddStoreScript(context, stores));
    routes.addPage(StoreAddressPage::kPath, StoreAddressPage(context, stores), true);
}

ServerFeature storeFeature() {
    ServerFeature feature;
    feature.name = QStringLiteral("store");
    feature.migrations = {StoreRegistry::addressTable()};
    feature.install = installStore;
    return feature;
}

} // namespace orvix::server
