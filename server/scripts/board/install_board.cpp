#include "server/scripts/board/install_board.h"

#include "server/admin/member_photo.h"
#include "server/core/command_line.h"
#include "server/core/route_table.h"
#include "server/core/server_context.h"
#include "server/pages/board/area_list_page.h"
#include "server/pages/board/post_page.h"
#include "server/scripts/board/attach_content_script.h"
#include "server/scripts/board/board_demo.h"
#include "server/scripts/board/board_store.h"
#include "server/scripts/board/opinion_script.h"
#include "server/scripts/board/post_document_script.h"
#include "server/scripts/board/post_list_script.h"
#include "server/scripts/board/post_photo_script.h"
#include "server/scripts/board/post_registration.h"
#include "server/scripts/board/post_viewed_script.h"

#include <QDateTime>
#include <QTextStream>

namespace orvix::server {

namespace {

const QString kPhoto = QStringLiteral("--photo");

// The board's own columns: the change numbers that tell which posts are new to a member.
QList<QStringList> boardMigrations() {
    return {{
        QStringLiteral("ALTER TABLE posts ADD COLUMN change_no INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral(
            "ALTER TABLE post_members ADD COLUMN seen_change_no INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral("CREATE INDEX posts_change ON posts(change_no)"),
        QStringLiteral("CREATE INDEX post_entries_content ON post_entries(content_no)"),
    }};
}

int addPost(AdminInvocation& call) {
    const auto owner = call.member(0);
    if (!owner)
        return AdminExit::Failed;
    QString error;
    QByteArray photo;
    if (call.line.has(kPhoto)) {
        const auto prepared =
            MemberPhoto::prepare(call.line.value(kPhoto), call.context.config().maxUpload, &error);
        if (!prepared)
            return call.fail(error);
        photo = *prepared;
    }
    BoardStore store(call.context.database());
    const auto mailIdx = PostRegistration(call.context, store)
                             .add(owner->memberNo, call.arguments[1], photo, std::nullopt,
                                  QDateTime::currentSecsSinceEpoch(), &error);
    if (!mailIdx)
        return call.fail(error);
    call.out << "added post " << *mailIdx << '\n';
    return AdminExit::Done;
}

} // namespace

void installBoard(RouteTable& routes, ServerContext& context) {
    auto store = std::make_shared<BoardStore>(context.database());
    routes.addScript(QStringLiteral("/android/pcorvixlist.php"), PostListScript(context, store));
    routes.addScript(QStringLiteral("/android/orviviewupdate.php"),
                     PostViewedScript(context, store));
    routes.addScript(QStringLiteral("/android/orwriteinfo_android.php"),
                     AttachContentScript(context, store));
    routes.addScript(QStringLiteral("/android/orwrtextupdate_new.php"),
                     AttachContentScript(context, store));
    routes.addScript(QStringLiteral("/android/orwritetext_android_new.php"),
                     OpinionScript(context, store));
    routes.addScript(QStringLiteral("/android/upimageorvi_new_pc.php"),
                     PostPhotoScript(context, store));
    routes.addScript(QStringLiteral("/android/orwritedoc_new.php"),
                     PostDocumentScript(context, store));
    routes.addPage(PostPage::kPath, PostPage(context, store));
    routes.addPage(AreaListPage::kPath, AreaListPage(context, store));
}

QList<AdminCommand> boardAdminCommands() {
    return {
        {QStringLiteral("add-post"),
         QStringLiteral("add-post OWNER_ID TITLE [--photo FILE]"),
         {kPhoto},
         2,
         addPost},
    };
}

ServerFeature boardFeature() {
    ServerFeature feature;
    feature.name = QStringLiteral("board");
    feature.migrations = boardMigrations();
    feature.install = installBoard;
    feature.adminCommands = boardAdminCommands;
    feature.seedDemo = BoardDemo::seed;
    return feature;
}

} // namespace orvix::server
