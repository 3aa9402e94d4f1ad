#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QTextStream;

namespace orvix::server {

class CommandLine;
class ServerContext;

// What an admin command gets: the opened data folder, its arguments and options, and where to
// print.
struct AdminInvocation {
    ServerContext& context;
    const CommandLine& line;
    QStringList arguments; // the positional arguments after the command name
    QTextStream& out;
    QTextStream& err;
};

// One admin command: its name, its usage, the options it takes besides --data, the number of
// positional arguments, and what it does (returns the exit code).
struct AdminCommand {
    QString name;
    QString usage;
    QStringList options;
    int arguments = 0;
    std::function<int(AdminInvocation&)> run;
};

// "orvix-server admin --data DIR <command> ...": what the member's phone and the operator do.
// The commands work on the same data folder as a running "serve", which sees their changes at
// once. Exit codes: 0 done, 1 failed, 2 wrong usage.
class AdminCommands {
public:
    static QList<AdminCommand> table();
    static QString usage();

    // Runs the arguments after "admin".
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
};

} // namespace orvix::server
