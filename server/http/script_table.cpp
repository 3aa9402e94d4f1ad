#include "server/http/script_table.h"

#include <algorithm>

namespace orvix::server {

void ScriptTable::add(const QString& path, Handler handler) {
    m_handlers.insert(path, std::move(handler));
}

const ScriptTable::Handler* ScriptTable::find(const QString& path) const {
    const auto it = m_handlers.constFind(path);
    return it == m_handlers.constEnd() ? nullptr : &it.value();
}

QStringList ScriptTable::paths() const {
    QStringList paths = m_handlers.keys();
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace orvix::server
