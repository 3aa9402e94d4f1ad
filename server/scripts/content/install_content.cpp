#include "server/scripts/content/install_content.h"

#include "server/core/route_table.h"
#include "server/core/server_context.h"
#include "server/scripts/content/content_add_script.h"
#include "server/scripts/content/demo_content.h"
#include "server/scripts/content/demo_pictures.h"
#include "server/scripts/content/publish_content_script.h"
#include "server/storage/staged_file.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

namespace orvix::server {

void installContent(RouteTable& routes, ServerContext& context) {
    using Target = PublishContentScript::Target;
    routes.addScript(QStringLiteral("/android/contentadd_new.php"), ContentAddScript(context));
    routes.addScript(QStringLiteral("/android/setmyinfo.php"),
                     PublishContentScript(context, Target::Profile));
    routes.addScript(QStringLiteral("/android/updatestoreinfo.php"),
                     PublishContentScript(context, Target::Store));
    // The icon the contents' HTML shows beside a document: drawn into the image tree once,
    // and its address there answered with a redirect.
    const QString icon = context.folder().imageRoot() + QStringLiteral("/icons/icon_txtview.png");
    if (!QFileInfo::exists(icon)) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        DemoPictures::documentIcon().save(&buffer, "PNG");
        QString error;
        if (!StagedFile::writeWhole(context.folder().stagingDir(), icon, png, &error))
            qWarning("orvix-server: no document icon: %s", qPrintable(error));
    }
    routes.addPage(QStringLiteral("/android/image/icon_txtview.png"), [](const PageRequest&) {
        return PageReply::redirect(QStringLiteral("/image/icons/icon_txtview.png"));
    });
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
