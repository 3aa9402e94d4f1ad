#include "server/scripts/session/install_session.h"

#include "server/core/route_table.h"
#include "server/core/server_context.h"
#include "server/scripts/session/close_pc_script.h"
#include "server/scripts/session/login_guard.h"
#include "server/scripts/session/pc_login_script.h"

#include <QTextStream>

#include <memory>

namespace orvix::server {

namespace {

int decidePc(AdminInvocation& call, bool approve) {
    const auto member = call.member(0);
    if (!member)
        return AdminExit::Failed;
    if (!call.context.pcAccess().decide(member->memberNo, approve))
        return call.fail(call.context.database().lastError());
    call.out << (approve ? "approved" : "refused") << " PC use for " << member->loginId << '\n';
    return AdminExit::Done;
}

int endPc(AdminInvocation& call) {
    const auto member = call.member(0);
    if (!member)
        return AdminExit::Failed;
    const int ended =
        call.context.pcAccess().endSessions(member->memberNo, QStringLiteral("ended by member"));
    if (ended < 0)
        return call.fail(call.context.database().lastError());
    call.out << "ended " << ended << " PC session" << (ended == 1 ? "" : "s") << " of "
             << member->loginId << '\n';
    return AdminExit::Done;
}

} // namespace

void installSession(RouteTable& routes, ServerContext& context) {
    // The guard (its worker pool and its failure records) lives as long as the route.
    auto guard = std::make_shared<LoginGuard>(context);
    routes.addDeferredScript(
        QStringLiteral("/android/pclogin.php"),
        [guard, script = PcLoginScript(context, *guard)](const ScriptRequest& request,
                                                         RouteTable::ScriptResponder respond) {
            script(request, std::move(respond));
        });
    routes.addScript(QStringLiteral("/android/closeusepc.php"), ClosePcScript(context));
}

QList<AdminCommand> sessionAdminCommands() {
    return {
        {QStringLiteral("approve-pc"),
         QStringLiteral("approve-pc ID"),
         {},
         1,
         [](AdminInvocation& call) { return decidePc(call, true); }},
        {QStringLiteral("refuse-pc"),
         QStringLiteral("refuse-pc ID"),
         {},
         1,
         [](AdminInvocation& call) { return decidePc(call, false); }},
        {QStringLiteral("end-pc"), QStringLiteral("end-pc ID"), {}, 1, endPc},
    };
}

ServerFeature sessionFeature() {
    ServerFeature feature;
    feature.name = QStringLiteral("session");
    feature.install = installSession;
    feature.adminCommands = sessionAdminCommands;
    return feature;
}

} // namespace orvix::server
