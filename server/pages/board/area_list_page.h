#pragma once

#include "server/core/route_table.h"
#include "server/scripts/board/board_store.h"

#include <memory>

namespace orvix::server {

class ServerContext;

// "/android/orvixarealist_windows.php?deviceid=&id=&password=": the board's areas for the
// member: the posts new to them, their own posts, the posts they joined, and every post, each
// linking back to the post's page. The ID and password must be those of the member whose
// session the device id names; otherwise, or for an ended session, a short page says so.
class AreaListPage {
public:
    AreaListPage(ServerContext& context, std::shared_ptr<BoardStore> store);

    PageReply operator()(const PageRequest& request) const;

    static inline const QString kPath = QStringLiteral("/android/orvixarealist_windows.php");

private:
    ServerContext& m_context;
    std::shared_ptr<BoardStore> m_store;
};

} // namespace orvix::server
