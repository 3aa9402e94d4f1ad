#pragma once

#include "server/core/admin_command.h"

class QTextStream;

namespace orvix::server {

// "orvix-server admin --data DIR <command> ...": what the member's phone and the operator do.
// The commands work on the data folder of a "serve" (running or not), which sees their changes at
// once; they create no data folder and touch no staging file. Exit codes: 0 done, 1 failed,
// 2 wrong usage.
class AdminCommands {
public:
    // The operator's own commands (members) followed by every feature's.
    static QList<AdminCommand> table();
    static QString usage();

    // Runs the arguments after "admin"; in is standard input (for passwords), when there is one.
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   QTextStream* in = nullptr);
};

} // namespace orvix::server
