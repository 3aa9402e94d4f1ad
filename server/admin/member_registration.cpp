#include "server/admin/member_registration.h"

#include "server/admin/member_photo.h"
#include "server/core/server_context.h"
#include "server/storage/password_hasher.h"

namespace orvix::server {

namespace {

bool checkText(const QString& text, const QString& what, QString* reason) {
    auto refuse = [&](const QString& why) {
        if (reason)
            *reason = QStringLiteral("the %1 %2").arg(what, why);
        return false;
    };
    if (text.isEmpty())
        return refuse(QStringLiteral("is empty"));
    if (text.size() > MemberRegistration::kMaxLength)
        return refuse(
            QStringLiteral("is longer than %1 characters").arg(MemberRegistration::kMaxLength));
    for (QChar c : text) {
        if (c == u'&')
            return refuse(QStringLiteral("contains \"&\", which a PC login cannot send"));
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return refuse(QStringLiteral("contains a control character"));
    }
    return true;
}

} // namespace

MemberRegistration::MemberRegistration(ServerContext& context)
    : m_context(context) {}

bool MemberRegistration::isUsableId(const QString& loginId, QString* reason) {
    if (!checkText(loginId, QStringLiteral("member ID"), reason))
        return false;
    if (loginId.trimmed() != loginId) {
        if (reason)
            *reason = QStringLiteral("the member ID begins or ends with a blank");
        return false;
    }
    return true;
}

bool MemberRegistration::isUsablePassword(const QString& password, QString* reason) {
    return checkText(password, QStringLiteral("password"), reason);
}

std::optional<MemberRecord> MemberRegistration::add(const QString& loginId, const QString& password,
                                                    const QString& name,
                                                    const QByteArray& photoJpeg, QString* error) {
    if (!isUsableId(loginId, error) || !isUsablePassword(password, error))
        return std::nullopt;
    const QString hash = PasswordHasher().hash(password);
    auto member = m_context.members().add(loginId, hash, name.isEmpty() ? loginId : name, error);
    if (!member)
        return std::nullopt;
    if (!photoJpeg.isEmpty() &&
        !MemberPhoto::store(m_context.folder(), member->memberNo, photoJpeg, error)) {
        if (error) {
            *error = QStringLiteral("member %1 was created without a photo: %2")
                         .arg(member->memberNo)
                         .arg(*error);
        }
        return std::nullopt;
    }
    return member;
}

} // namespace orvix::server
