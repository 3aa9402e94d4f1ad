#include "server/scripts/session/close_pc_script.h"

#include "server/core/server_context.h"

namespace orvix::server {

ClosePcScript::ClosePcScript(ServerContext& context)
    : m_context(context) {}

ScriptReply ClosePcScript::operator()(const ScriptRequest& request) const {
    const QString deviceId = request.form.value(u"deviceid");
    if (deviceId.isEmpty())
        return ScriptReply::text(QStringLiteral("0"));
    const bool ended = m_context.pcAccess().closeSession(deviceId, QStringLiteral("closed by PC"));
    return ScriptReply::text(ended ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace orvix::server
