#include "server/pages/board/area_list_page.h"

#include "server/core/html.h"
#include "server/core/server_context.h"
#include "server/pages/board/post_page.h"

#include <functional>

namespace orvix::server {

namespace {

// Every post of the board fits one page.
constexpr int kMostPosts = 2000;

const QString kAreaStyle =
    QStringLiteral("<style>.area li{margin:4px 0}.badge{display:inline-block;background:#d33;"
                   "color:#fff;border-radius:3px;padding:0 5px;font-size:.8em;margin-left:6px}"
                   ".area ul{list-style:none;padding-left:0;margin:0}</style>\n");

} // namespace

AreaListPage::AreaListPage(ServerContext& context, std::shared_ptr<BoardStore> store)
    : m_context(context)
    , m_store(std::move(store)) {}

PageReply AreaListPage::operator()(const PageRequest& request) const {
    const QString title = QStringLiteral("Orvix Square areas");
    const QString deviceId = request.value(u"deviceid");
    const auto memberNo = m_context.pcAccess().sessionMember(deviceId);
    const QString id = request.value(u"id");
    bool failed = false;
    const auto member =
        memberNo && !id.isEmpty() ? m_context.members().findByLoginId(id, &failed) : std::nullopt;
    if (failed)
        return PostPage::notice(500, title, QStringLiteral("The board cannot be read just now."));
    if (!member || member->memberNo != *memberNo ||
        !m_context.passwords().verify(request.value(u"password"), member->passwordHash)) {
        return PostPage::notice(403, title,
                                QStringLiteral("This page is shown to members signed in on "
                                               "their PC. Sign in again to see the board."));
    }
    const auto posts = m_store->list(member->memberNo, kMostPosts);
    if (!posts)
        return PostPage::notice(500, title, QStringLiteral("The board cannot be read just now."));

    auto area = [&](const QString& heading, const std::function<bool(const PostSummary&)>& in) {
        QString items;
        for (const PostSummary& post : *posts) {
            if (!in(post))
                continue;
            items += QStringLiteral("<li><a href=\"%1\">%2</a>%3 <span class=\"meta\">%4 · %5 "
                                    "opinions · %6 members</span></li>\n")
                         .arg(Html::escape(PostPage::address(deviceId, post.mailIdx)),
                              Html::escape(post.title),
                              post.isNew ? QStringLiteral("<span class=\"badge\">New</span>")
                                         : QString(),
                              Html::escape(post.ownerName))
                         .arg(post.opinionCount)
                         .arg(post.memberCount);
        }
        if (items.isEmpty())
            items = QStringLiteral("<li class=\"empty\">No posts here.</li>\n");
        return QStringLiteral("<div class=\"card area\"><h2>%1</h2><ul>\n%2</ul></div>\n")
            .arg(Html::escape(heading), items);
    };
    const qint64 self = member->memberNo;
    QString body = kAreaStyle;
    body += QStringLiteral("<p class=\"meta\">Signed in as <b>%1</b></p>\n")
                .arg(Html::escape(member->name));
    body += area(QStringLiteral("New for you"), [](const PostSummary& p) { return p.isNew; });
    body += area(QStringLiteral("Your posts"),
                 [self](const PostSummary& p) { return p.ownerMemberNo == self; });
    body += area(QStringLiteral("Posts you joined"),
                 [self](const PostSummary& p) { return p.joined && p.ownerMemberNo != self; });
    body += area(QStringLiteral("All posts"), [](const PostSummary&) { return true; });
    return PageReply::page(Html::page(title, body));
}

} // namespace orvix::server
