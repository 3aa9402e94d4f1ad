#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace orvix::server {

// The folders the upload port writes, and for whom. The upload framing carries no credentials,
// so an upload is taken only from an address that holds an open PC session, and only into the
// folders the client itself writes, for the members logged in from that address:
// - "chatdata", with a name that begins with such a member's number, or "c" and that number
//   (a chat photo and its thumbnail);
// - "mailbox/<ten digits>" (content files, their photos, post photos);
// - "document/<member number>" of such a member.
// Member photos are never written through the port.
class UploadRules {
public:
    // Whether folder (its pieces) and name may be written by a peer whose address holds open
    // sessions of these members; the reason when not.
    static bool permits(const QStringList& folder, const QString& name,
                        const QList<qint64>& members, QString* reason);
};

} // namespace orvix::server
