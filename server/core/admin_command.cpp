#include "server/core/admin_command.h"

#include "server/core/server_context.h"

#include <QTextStream>

namespace orvix::server {

std::optional<MemberRecord> AdminInvocation::member(int index) {
    const QString id = arguments.value(index);
    bool failed = false;
    auto found = context.members().findByLoginId(id, &failed);
    if (failed)
        fail(context.database().lastError());
    else if (!found)
        err << "orvix-server: no member with the ID \"" << id << "\"\n";
    return found;
}

int AdminInvocation::fail(const QString& reason) {
    err << "orvix-server: " << reason << '\n';
    return AdminExit::Failed;
}

} // namespace orvix::server
