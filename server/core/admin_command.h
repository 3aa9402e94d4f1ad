#pragma once

#include "server/storage/member_store.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QTextStream;

namespace orvix::server {

class CommandLine;
class ServerContext;

// Exit codes of the admin commands.
namespace AdminExit {
constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;
} // namespace AdminExit

// What an admin command gets: the opened data folder, its arguments and options, and where to
// print.
struct AdminInvocation {
    ServerContext& context;
    const CommandLine& line;
    QStringList arguments; // the positional arguments after the command name
    QTextStream& out;
    QTextStream& err;
    // Standard input, for what must not be given on the command line (passwords); null when the
    // command runs without one.
    QTextStream* in = nullptr;

    // The member whose login ID is the argument at index, or nothing after a message on err.
    std::optional<MemberRecord> member(int index);
    // Prints "orvix-server: <reason>" on err and gives AdminExit::Failed.
    int fail(const QString& reason);
};

// One admin command: its name, its usage, the options with a value it takes besides --data, the
// number of positional arguments, and what it does (returns the exit code). A command that
// creates something prints what it made (a number) as the last word of its output. A command may
// also take flags (options without a value) and up to optionalArguments more positional
// arguments, which it then checks itself.
struct AdminCommand {
    QString name;
    QString usage;
    QStringList options;
    int arguments = 0;
    std::function<int(AdminInvocation&)> run;
    QStringList flags = {};
    int optionalArguments = 0;
};

} // namespace orvix::server
