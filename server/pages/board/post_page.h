#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <QHash>

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/orviview_pc_new.php?deviceid=&mailidx=": the page of one post that the post view
// shows. The post's title, owner, counts, photo and content, then everything added to it in the
// order it came: opinions styled as their ".tml" file says (or, without one, their stored
// paragraph), photos, documents with their links, and contents. Every member-typed value is
// escaped; stored HTML passes only through StoredHtml. An unknown or ended session, or an
// unknown post, gets a short page that says so.
class PostPage {
public:
    PostPage(ServerContext& context, std::shared_ptr<BoardStore> store);

    PageReply operator()(const PageRequest& request) const;

    static inline const QString kPath = QStringLiteral("/android/orviview_pc_new.php");

    // The page's address for a post, relative to this server.
    static QString address(const QString& deviceId, qint64 mailIdx);
    // A date as the pages show it (UTC).
    static QString dateText(qint64 secondsSinceEpoch);
    // The page that tells why nothing else is shown.
    static PageReply notice(int status, const QString& title, const QString& text);

private:
    // The members' mailbox folders, checked once per page: member number → the folder's path
    // inside the image tree (empty when it is missing or leads out of the tree).
    using Folders = QHash<qint64, QString>;

    QString entryHtml(const PostEntry& entry, Folders& folders) const;
    QString opinionHtml(const PostEntry& entry, Folders& folders) const;

    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
