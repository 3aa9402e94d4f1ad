#pragma once

#include "server/core/route_table.h"

#include <memory>

namespace orvix::server {

class ServerContext;
class StoreRegistry;

// "/android/orseekaddress_cn_window.php?deviceid=&idx=": the address page of a store, which the
// PC opens after registering it. It shows the store and a form in which the member types the
// store's address; the form posts back to this page (deviceid, idx, address), which saves the
// address and sends the browser back to the page with "saved=1".
//
// Answered only for the store's own member: a device id without an open PC session gets a
// refusal (403); a store that does not exist or belongs to another member gets one answer
// (404), so a page never tells whose stores exist. An address longer than kMaxAddress, or
// empty, is not saved: the page shows the form again with the reason (400).
class StoreAddressPage {
public:
    StoreAddressPage(ServerContext& context, std::shared_ptr<StoreRegistry> stores);

    PageReply operator()(const PageRequest& request) const;

    static inline const QString kPath = QStringLiteral("/android/orseekaddress_cn_window.php");
    static constexpr qsizetype kMaxAddress = 300;

    // The page of a store for a device id.
    static QString address(const QString& deviceId, qint64 storeNo, bool saved = false);

private:
    ServerContext& m_context;
    std::shared_ptr<StoreRegistry> m_stores;
};

} // namespace orvix::server
