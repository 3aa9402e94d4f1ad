#pragma once

#include "server/core/route_table.h"

#include <memory>

namespace orvix::server {

class DocumentStore;
class ServerContext;

// "/android/pcdocument.php?deviceid=&order=": the member's document library as the PC shows it
// in its embedded browser. Lists only the documents of the member whose open PC session the
// device id names: file name (a download link), description, date and size, in order of
// registration (order=0, also any other value) or newest first (order=1). A device id without
// an open session gets a short refusal page (status 403) and nothing of anyone's documents.
//
// The links point at the uploaded files under /image/ on this server, relative to the page, and
// ask the browser to download them under their original names; /image/ serves every document
// type that a browser could run (pages, scripts, pictures with scripts) as plain bytes.
class DocumentPage {
public:
    DocumentPage(ServerContext& context, std::shared_ptr<DocumentStore> documents);

    PageReply operator()(const PageRequest& request) const;

    static inline const QString kPath = QStringLiteral("/android/pcdocument.php");

    // The address of the page for a device id and an order.
    static QString address(const QString& deviceId, int order);

    // A size for people: "512 B", "12.3 KB", "4.0 MB".
    static QString readableSize(qint64 bytes);

private:
    ServerContext& m_context;
    std::shared_ptr<DocumentStore> m_documents;
};

} // namespace orvix::server
