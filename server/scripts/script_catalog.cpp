#include "server/scripts/script_catalog.h"

#include "server/http/script_table.h"
#include "server/scripts/close_pc_script.h"
#include "server/scripts/pc_login_script.h"

namespace orvix::server {

void ScriptCatalog::install(ScriptTable& table, ServerContext& context) {
    table.add(QStringLiteral("/android/pclogin.php"), PcLoginScript(context));
    table.add(QStringLiteral("/android/closeusepc.php"), ClosePcScript(context));
}

} // namespace orvix::server
