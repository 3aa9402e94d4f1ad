// orvix-server: the reference service server of the Orvix desktop client.

#include "server/admin/admin_commands.h"
#include "server/app/serve_command.h"
#include "server/app/termination_signals.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace orvix::server;

int main(int argc, char** argv) {
    // Before any thread exists, so that every thread leaves SIGINT and SIGTERM to the event loop.
    TerminationSignals::block();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvix-server"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    if (command == QLatin1String("serve")) {
        QString error;
        const auto config = ServeCommand::parse(arguments.mid(1), &error);
        if (!config) {
            err << "orvix-server: " << error << "\nusage: " << ServeCommand::usage() << '\n';
            return 2;
        }
        return ServeCommand::run(*config, out, err);
    }
    // Only serve stops on its own terms; anything else ends at once on Ctrl-C.
    TerminationSignals::unblock();
    if (command == QLatin1String("admin")) {
        QTextStream in(stdin);
        return AdminCommands::run(arguments.mid(1), out, err, &in);
    }

    const bool help = command == QLatin1String("--help") || command == QLatin1String("-h");
    QTextStream& stream = help ? out : err;
    stream << "usage:\n" << ServeCommand::usage() << '\n' << AdminCommands::usage();
    return help ? 0 : 2;
}
