#include "server/scripts/session/pc_login_script.h"

#include "server/core/reply_builder.h"
#include "server/core/server_context.h"

#include <QFileInfo>

namespace orvix::server {

namespace {

const QString kWrongCredentials = QStringLiteral("0");

} // namespace

PcLoginScript::PcLoginScript(ServerContext& context)
    : m_context(context) {}

ScriptReply PcLoginScript::operator()(const ScriptRequest& request) const {
    const QString id = request.form.value(u"id");
    const QString password = request.form.value(u"password");
    if (id.isEmpty() || password.isEmpty() || password == kPasswordMustChange)
        return ScriptReply::text(kWrongCredentials);

    bool failed = false;
    const auto member = m_context.members().findByLoginId(id, &failed);
    if (failed)
        return ScriptReply::failure(kWrongCredentials);
    if (!member || !m_context.passwords().verify(password, member->passwordHash))
        return ScriptReply::text(kWrongCredentials);

    const ServerConfig& config = m_context.config();
    using Outcome = PcAccessStore::Admission::Outcome;
    const auto admission = m_context.pcAccess().admit(member->memberNo, config.autoApprove);
    switch (admission.outcome) {
    case Outcome::Failed:
        return ScriptReply::failure(kWrongCredentials);
    case Outcome::Pending:
        return ScriptReply::text(ReplyBuilder{QStringLiteral("1"), QStringLiteral("0")}.text());
    case Outcome::Refused:
        return ScriptReply::text(ReplyBuilder{QStringLiteral("1"), QStringLiteral("2")}.text());
    case Outcome::Admitted:
        break;
    }
    const bool hasPhoto = QFileInfo(m_context.folder().memberPhotoPath(member->memberNo)).isFile();
    ReplyBuilder reply;
    reply.add(QStringLiteral("1"))
        .add(QStringLiteral("1"))
        .add(member->memberNo)
        .add(admission.deviceId)
        .add(hasPhoto ? QStringLiteral("1") : QStringLiteral("0"))
        .add(member->storeNo)
        .add(config.versionCode)
        .add(config.versionName)
        .add(config.publicAddress)
        .add(config.publicAddress)
        .add(QString())
        .add(QString())
        .add(config.minVersionCode);
    return ScriptReply::text(reply.text());
}

} // namespace orvix::server
