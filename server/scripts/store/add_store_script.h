#pragma once

#include "server/core/route_table.h"

#include <memory>

namespace orvix::server {

class ServerContext;
class StoreRegistry;

// "/android/pcaddstore.php" (deviceid, storename, storetel, storestyle, ceoname, title, addkey,
// infophoto): registers a store of the member whose open PC session the device id names.
//
// Replies, fields joined by "</>":
// - "1", "1", the new store's number: registered;
// - "0": refused: a device id without an open PC session, an empty store name, a number of
//   information photos that is not a number from 0 up, or a value longer than the form's
//   fields hold. A database failure answers "0" with status 500.
class AddStoreScript {
public:
    AddStoreScript(ServerContext& context, std::shared_ptr<StoreRegistry> stores);

    ScriptReply operator()(const ScriptRequest& request) const;

    static constexpr qsizetype kMaxField = 200;
    static constexpr qsizetype kMaxTitle = 500;

private:
    ServerContext& m_context;
    std::shared_ptr<StoreRegistry> m_stores;
};

} // namespace orvix::server
