#include "server/scripts/docs/install_docs.h"

#include "server/core/server_context.h"
#include "server/pages/docs/document_page.h"
#include "server/pages/site/home_page.h"
#include "server/scripts/docs/add_document_script.h"
#include "server/scripts/docs/demo_documents.h"
#include "server/scripts/docs/document_store.h"

namespace orvix::server {

void installDocs(RouteTable& routes, ServerContext& context) {
    auto documents = std::make_shared<DocumentStore>(context.database());
    routes.addScript(QStringLiteral("/android/adddocument.php"),
                     AddDocumentScript(context, documents));
    routes.addPage(DocumentPage::kPath, DocumentPage(context, documents));
    routes.addPage(HomePage::kPath, HomePage(context));
}

ServerFeature docsFeature() {
    ServerFeature feature;
    feature.name = QStringLiteral("docs");
    feature.install = installDocs;
    feature.seedDemo = [](ServerContext& context, QString* error) {
        DocumentStore documents(context.database());
        return DemoDocuments(context, documents).seed(error);
    };
    return feature;
}

} // namespace orvix::server
