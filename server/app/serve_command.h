#pragma once

#include "server/core/server_config.h"

#include <QStringList>

#include <optional>

class QTextStream;

namespace orvix::server {

// "orvix-server serve --data DIR [options]": runs the server in the foreground until SIGINT
// or SIGTERM.
class ServeCommand {
public:
    static QString usage();

    // Reads the arguments after "serve".
    static std::optional<ServerConfig> parse(const QStringList& arguments, QString* error);

    // Starts the server, prints the ready line, runs the event loop. Returns the exit code.
    static int run(const ServerConfig& config, QTextStream& out, QTextStream& err);
};

} // namespace orvix::server
