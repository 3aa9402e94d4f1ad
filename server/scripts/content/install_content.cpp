#include "server/scripts/content/install_content.h"

#include "server/core/route_table.h"
#include "server/core/server_context.h"
#include "server/scripts/content/content_add_script.h"
#include "server/scripts/content/demo_content.h"
#include "server/scripts/content/publish_content_script.h"

namespace orvix::server {

void installContent(RouteTable& routes, ServerContext& context) {
    using Target = PublishContentScript::Target;
    routes.addScript(QStringLiteral("/android/contentadd_new.php"), ContentAddScript(context));
    routes.addScript(QStringLiteral("/android/setmyinfo.php"),
                     PublishContentScript(context, Target::Profile));
    routes.addScript(QStringLiteral("/android/updatestoreinfo.php"),
                     PublishContentScript(context, Target::Store));
    if (context.config().demo)
        DemoContent::refreshWhenServing(routes, context);
}

ServerFeature contentFeature() {
    ServerFeature feature;
    feature.name = QStringLiteral("content");
    feature.install = installContent;
    feature.seedDemo = [](ServerContext& context, QString* error) {
        return DemoContent(context).seed(error);
    };
    return feature;
}

} // namespace orvix::server
