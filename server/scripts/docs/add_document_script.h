#pragma once

#include "server/core/route_table.h"

#include <memory>

namespace orvix::server {

class DocumentStore;
class ServerContext;

// "/android/adddocument.php" (deviceid, path, comment, ext, filename): registers a document that
// the member's PC has just uploaded into the member's document folder.
//
// Replies, fields joined by "</>":
// - "1", "1": registered;
// - "1", "2": registered in place of the member's document of the same file name;
// - "0": refused: a device id without an open PC session, a path that is not the web address of
//   a file in this server's image/document/<member number>/ folder of that member, or values
//   longer than a document's fields hold. A database failure answers "0" with status 500.
//
// The file need not have arrived yet: the PC registers right after sending its last byte, which
// may be before the upload port has stored the file.
class AddDocumentScript {
public:
    AddDocumentScript(ServerContext& context, std::shared_ptr<DocumentStore> documents);

    ScriptReply operator()(const ScriptRequest& request) const;

    // The folder and file name below the image tree ("document/12/x.PDF") that a document
    // address names, when it is "http://<publicAddress>/image/document/<memberNo>/<name>"
    // (the host compared without regard to case) and the name is a plain file name; empty
    // otherwise. Whether the file exists is not looked at here.
    static QString documentFile(const QString& path, const QString& publicAddress, qint64 memberNo);

    static constexpr qsizetype kMaxFileName = 255;
    static constexpr qsizetype kMaxExt = 16;
    static constexpr qsizetype kMaxComment = 4000;

private:
    ServerContext& m_context;
    std::shared_ptr<DocumentStore> m_documents;
};

} // namespace orvix::server
