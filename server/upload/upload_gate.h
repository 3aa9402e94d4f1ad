#pragma once

#include "server/storage/database.h"
#include "server/storage/pc_access_store.h"

#include <QList>
#include <QString>

namespace orvix::server {

struct UploadHeader;

// Decides, on the upload thread, whether an upload may be written and where: the peer's address
// must hold an open PC session, the folder must be one that UploadRules allows for the members
// of those sessions, and the folder's real place (symbolic links followed) must lie inside the
// image tree, outside the member photos. Reads the sessions through a database connection of
// its own, so that every upload sees the logins committed up to then.
class UploadGate {
public:
    UploadGate(QString imageRoot, const QString& databasePath);

    // Opens the database connection; on the thread that uses the gate.
    bool open(QString* error);

    // The members with an open session from the address (empty when none, or when the database
    // cannot be read).
    QList<qint64> sessionMembers(const QString& address);

    // The real folder to write the upload to, created when missing; empty, with a reason, when
    // the upload is not allowed.
    QString targetFolder(const UploadHeader& header, const QString& address, QString* reason);

private:
    QString m_imageRoot;
    Database m_database;
    PcAccessStore m_sessions;
};

} // namespace orvix::server
