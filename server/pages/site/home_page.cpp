#include "server/pages/site/home_page.h"

#include "server/core/html.h"
#include "server/core/server_context.h"
#include "server/pages/docs/document_page.h"

namespace orvix::server {

HomePage::HomePage(ServerContext& context)
    : m_context(context) {}

PageReply HomePage::operator()(const PageRequest&) const {
    const ServerConfig& config = m_context.config();
    const QString body =
        QStringLiteral(
            "<div class=\"card\"><p>Orvix is a community service for phones and PCs: chat "
            "rooms with text and photos, the Square board where members open posts and add "
            "opinions, photos and documents, a document library of your own, and the Smart "
            "Editor for your profile and your store's page.</p></div>\n"
            "<h2>Orvix desktop</h2>\n"
            "<div class=\"card\"><p>Log in on the PC with the ID and password of the phone "
            "app; your phone approves the PC before the login completes.</p>"
            "<p class=\"meta\">Current desktop version: %1 (version code %2).</p></div>\n"
            "<h2>Documents</h2>\n"
            "<div class=\"card\"><p><a href=\"%3\">Your documents</a>: the library of files "
            "you registered. From the desktop program, open it with the Story button.</p>"
            "</div>\n")
            .arg(Html::escape(config.versionName), Html::escape(config.versionCode),
                 Html::escape(DocumentPage::kPath));
    return PageReply::page(Html::page(QStringLiteral("Orvix"), body));
}

} // namespace orvix::server
