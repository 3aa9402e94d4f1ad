#pragma once

namespace orvix::server {

class ScriptTable;
class ServerContext;

// Puts every form script of the server into the table. A new script is a class with
// "ScriptReply operator()(const ScriptRequest&) const" and one line here.
class ScriptCatalog {
public:
    static void install(ScriptTable& table, ServerContext& context);
};

} // namespace orvix::server
