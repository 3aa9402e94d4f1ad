#include "server/upload/upload_gate.h"

#include "server/storage/image_path.h"
#include "server/upload/upload_header.h"
#include "server/upload/upload_rules.h"

#include <QFileInfo>

namespace orvix::server {

UploadGate::UploadGate(QString imageRoot, const QString& databasePath)
    : m_imageRoot(std::move(imageRoot))
    , m_database(databasePath)
    , m_sessions(m_database) {}

bool UploadGate::open(QString* error) {
    return m_database.open(error);
}

QList<qint64> UploadGate::sessionMembers(const QString& address) {
    if (!m_database.isOpen())
        return {};
    return m_sessions.sessionMembersAt(address);
}

QString UploadGate::targetFolder(const UploadHeader& header, const QString& address,
                                 QString* reason) {
    if (!UploadRules::permits(header.folder, header.name, sessionMembers(address), reason))
        return {};
    const QString folder = ImagePath::prepareFolder(m_imageRoot, header.folder, reason);
    if (folder.isEmpty())
        return {};
    // Not even through a link inside the tree.
    const QString photos =
        QFileInfo(m_imageRoot + QStringLiteral("/memberphoto")).canonicalFilePath();
    if (!photos.isEmpty() && (folder == photos || folder.startsWith(photos + u'/'))) {
        if (reason)
            *reason = QStringLiteral("member photos are not written through the upload port");
        return {};
    }
    return folder;
}

} // namespace orvix::server
