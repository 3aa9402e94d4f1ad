#include "server/scripts/board/post_registration.h"

#include "server/core/server_context.h"
#include "server/scripts/board/board_store.h"
#include "server/storage/staged_file.h"

#include <QCryptographicHash>

namespace orvix::server {

PostRegistration::PostRegistration(ServerContext& context, BoardStore& store)
    : m_context(context)
    , m_store(store) {}

QString PostRegistration::photoName(const QByteArray& jpeg) {
    const QByteArray digest = QCryptographicHash::hash(jpeg, QCryptographicHash::Sha1).toHex();
    return QStringLiteral("post_%1.jpg").arg(QString::fromLatin1(digest.left(16)));
}

bool PostRegistration::isAcceptableTitle(const QString& title, QString* reason) {
    if (title.trimmed().isEmpty()) {
        *reason = QStringLiteral("a post needs a title");
        return false;
    }
    if (title.size() > 200) {
        *reason = QStringLiteral("a post title has at most 200 characters");
        return false;
    }
    for (QChar c : title) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            *reason = QStringLiteral("a post title is one line without control characters");
            return false;
        }
    }
    return true;
}

std::optional<qint64> PostRegistration::add(qint64 ownerMemberNo, const QString& title,
                                            const QByteArray& jpeg, std::optional<qint64> contentNo,
                                            qint64 createdAt, QString* error) {
    if (!isAcceptableTitle(title, error))
        return std::nullopt;
    QString photo;
    if (!jpeg.isEmpty()) {
        photo = photoName(jpeg);
        const QString path = QStringLiteral("%1/%2/%3")
                                 .arg(m_context.folder().imageRoot(),
                                      BoardStore::mailboxFolder(ownerMemberNo), photo);
        if (!StagedFile::writeWhole(m_context.folder().stagingDir(), path, jpeg, error))
            return std::nullopt;
    }
    return m_store.addPost(ownerMemberNo, title.trimmed(), photo, contentNo, createdAt, error);
}

} // namespace orvix::server
