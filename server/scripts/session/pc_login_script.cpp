#include "server/scripts/session/pc_login_script.h"

#include "server/admin/member_registration.h"
#include "server/core/peer_address.h"
#include "server/core/reply_builder.h"
#include "server/core/server_context.h"
#include "server/scripts/session/login_guard.h"

#include <QFileInfo>

namespace orvix::server {

namespace {

const QString kWrongCredentials = QStringLiteral("0");

} // namespace

PcLoginScript::PcLoginScript(ServerContext& context, LoginGuard& guard)
    : m_context(context)
    , m_guard(guard) {}

void PcLoginScript::operator()(const ScriptRequest& request,
                               RouteTable::ScriptResponder respond) const {
    const QString id = request.form.value(u"id");
    const QString password = request.form.value(u"password");
    // No member has an ID or password longer than registration allows: such a login is wrong
    // without a look at the database or a password check.
    if (id.isEmpty() || password.isEmpty() || password == kPasswordMustChange ||
        id.size() > MemberRegistration::kMaxLength ||
        password.size() > MemberRegistration::kMaxLength) {
        respond(ScriptReply::text(kWrongCredentials));
        return;
    }

    bool failed = false;
    const auto member = m_context.members().findByLoginId(id, &failed);
    if (failed) {
        respond(ScriptReply::failure(kWrongCredentials));
        return;
    }
    const QString address = PeerAddress::text(request.peer);
    ServerContext* context = &m_context;
    m_guard.check(id, password, member, address, [context, member, address, respond](bool correct) {
        respond(correct ? admit(*context, *member, address) : ScriptReply::text(kWrongCredentials));
    });
}

ScriptReply PcLoginScript::admit(ServerContext& context, const MemberRecord& member,
                                 const QString& address) {
    const ServerConfig& config = context.config();
    using Outcome = PcAccessStore::Admission::Outcome;
    const auto admission = context.pcAccess().admit(member.memberNo, config.autoApprove, address);
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
    const bool hasPhoto = QFileInfo(context.folder().memberPhotoPath(member.memberNo)).isFile();
    ReplyBuilder reply;
    reply.add(QStringLiteral("1"))
        .add(QStringLiteral("1"))
        .add(member.memberNo)
        .add(admission.deviceId)
        .add(hasPhoto ? QStringLiteral("1") : QStringLiteral("0"))
        .add(member.storeNo)
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
