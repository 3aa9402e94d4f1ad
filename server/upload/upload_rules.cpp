#include "server/upload/upload_rules.h"

namespace orvix::server {

namespace {

bool isDigits(QStringView text, qsizetype size) {
    if (text.size() != size)
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

bool UploadRules::permits(const QStringList& folder, const QString& name,
                          const QList<qint64>& members, QString* reason) {
    auto refuse = [&](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QString path = folder.join(u'/');
    if (members.isEmpty())
        return refuse(QStringLiteral("no open PC session from this address"));
    if (folder.size() == 2 && folder[0] == u"mailbox" && isDigits(folder[1], 10))
        return true;
    if (folder.size() == 2 && folder[0] == u"document") {
        for (qint64 member : members) {
            if (folder[1] == QString::number(member))
                return true;
        }
        return refuse(
            QStringLiteral("folder \"%1\" belongs to no member logged in from this address")
                .arg(path));
    }
    if (folder.size() == 1 && folder[0] == u"chatdata") {
        for (qint64 member : members) {
            const QString number = QString::number(member);
            if (name.startsWith(number) || name.startsWith(u'c' + number))
                return true;
        }
        return refuse(QStringLiteral("chat file \"%1\" is not named for a member logged in from "
                                     "this address")
                          .arg(name));
    }
    if (!folder.isEmpty() && folder[0] == u"memberphoto")
        return refuse(QStringLiteral("member photos are not written through the upload port"));
    return refuse(QStringLiteral("folder \"%1\" is not one that uploads go to").arg(path));
}

} // namespace orvix::server
