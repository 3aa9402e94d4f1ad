#include "server/admin/admin_commands.h"

#include "server/admin/member_photo.h"
#include "server/admin/member_registration.h"
#include "server/app/features.h"
#include "server/core/command_line.h"
#include "server/core/server_context.h"

#include <QTextStream>

#include <algorithm>

namespace orvix::server {

namespace {

const QString kData = QStringLiteral("--data");
const QString kPhoto = QStringLiteral("--photo");
const QString kName = QStringLiteral("--name");

int addMember(AdminInvocation& call) {
    QString error;
    QByteArray photo;
    if (call.line.has(kPhoto)) {
        const auto prepared =
            MemberPhoto::prepare(call.line.value(kPhoto), call.context.config().maxUpload, &error);
        if (!prepared) {
            call.err << "orvix-server: " << error << '\n';
            return AdminExit::Failed;
        }
        photo = *prepared;
    }
    const auto member =
        MemberRegistration(call.context)
            .add(call.arguments[0], call.arguments[1], call.line.value(kName), photo, &error);
    if (!member) {
        call.err << "orvix-server: " << error << '\n';
        return AdminExit::Failed;
    }
    call.out << member->memberNo << '\n';
    return AdminExit::Done;
}

} // namespace

QList<AdminCommand> AdminCommands::table() {
    return QList<AdminCommand>{
               {QStringLiteral("add-member"),
                QStringLiteral("add-member ID PASSWORD [--photo FILE] [--name NAME]"),
                {kPhoto, kName},
                2,
                addMember},
           } +
           featureAdminCommands();
}

QString AdminCommands::usage() {
    QString text;
    for (const AdminCommand& command : table())
        text += QStringLiteral("orvix-server admin --data DIR %1\n").arg(command.usage);
    return text;
}

int AdminCommands::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const QList<AdminCommand> commands = table();
    QStringList options{kData};
    for (const AdminCommand& command : commands) {
        for (const QString& option : command.options) {
            if (!options.contains(option))
                options.append(option);
        }
    }
    QString error;
    const auto line = CommandLine::parse(arguments, options, {}, &error);
    if (!line) {
        err << "orvix-server: " << error << '\n' << usage();
        return AdminExit::Usage;
    }
    if (line->positional().isEmpty()) {
        err << usage();
        return AdminExit::Usage;
    }
    const QString name = line->positional().first();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const AdminCommand& c) { return c.name == name; });
    if (command == commands.end()) {
        err << "orvix-server: unknown admin command \"" << name << "\"\n" << usage();
        return AdminExit::Usage;
    }
    const QStringList rest = line->positional().mid(1);
    const QStringList given = line->given();
    const bool strayOption = std::any_of(given.begin(), given.end(), [&](const QString& option) {
        return option != kData && !command->options.contains(option);
    });
    if (rest.size() != command->arguments || line->value(kData).isEmpty() || strayOption) {
        err << "usage: orvix-server admin --data DIR " << command->usage << '\n';
        return AdminExit::Usage;
    }

    ServerConfig config;
    config.dataDir = line->value(kData);
    ServerContext context(config);
    if (!context.open(&error) || !migrateFeatures(context, &error)) {
        err << "orvix-server: " << error << '\n';
        return AdminExit::Failed;
    }
    AdminInvocation call{context, *line, rest, out, err};
    return command->run(call);
}

} // namespace orvix::server
