#include "server/admin/admin_commands.h"

#include "server/admin/member_photo.h"
#include "server/admin/member_registration.h"
#include "server/app/command_line.h"
#include "server/app/server_context.h"

#include <QTextStream>

#include <algorithm>

namespace orvix::server {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const QString kData = QStringLiteral("--data");
const QString kPhoto = QStringLiteral("--photo");
const QString kName = QStringLiteral("--name");

// The member named by the first argument, or a message and nothing.
std::optional<MemberRecord> memberArgument(AdminInvocation& call) {
    const QString& id = call.arguments.first();
    bool failed = false;
    auto member = call.context.members().findByLoginId(id, &failed);
    if (failed)
        call.err << "orvix-server: " << call.context.database().lastError() << '\n';
    else if (!member)
        call.err << "orvix-server: no member with the ID \"" << id << "\"\n";
    return member;
}

int addMember(AdminInvocation& call) {
    QString error;
    QByteArray photo;
    if (call.line.has(kPhoto)) {
        const auto prepared =
            MemberPhoto::prepare(call.line.value(kPhoto), call.context.config().maxUpload, &error);
        if (!prepared) {
            call.err << "orvix-server: " << error << '\n';
            return kFailed;
        }
        photo = *prepared;
    }
    const auto member =
        MemberRegistration(call.context)
            .add(call.arguments[0], call.arguments[1], call.line.value(kName), photo, &error);
    if (!member) {
        call.err << "orvix-server: " << error << '\n';
        return kFailed;
    }
    call.out << member->memberNo << '\n';
    return kDone;
}

int decidePc(AdminInvocation& call, bool approve) {
    const auto member = memberArgument(call);
    if (!member)
        return kFailed;
    if (!call.context.pcAccess().decide(member->memberNo, approve)) {
        call.err << "orvix-server: " << call.context.database().lastError() << '\n';
        return kFailed;
    }
    call.out << (approve ? "approved" : "refused") << " PC use for " << member->loginId << '\n';
    return kDone;
}

int endPc(AdminInvocation& call) {
    const auto member = memberArgument(call);
    if (!member)
        return kFailed;
    const int ended =
        call.context.pcAccess().endSessions(member->memberNo, QStringLiteral("ended by member"));
    if (ended < 0) {
        call.err << "orvix-server: " << call.context.database().lastError() << '\n';
        return kFailed;
    }
    call.out << "ended " << ended << " PC session" << (ended == 1 ? "" : "s") << " of "
             << member->loginId << '\n';
    return kDone;
}

} // namespace

QList<AdminCommand> AdminCommands::table() {
    return {
        {QStringLiteral("add-member"),
         QStringLiteral("add-member ID PASSWORD [--photo FILE] [--name NAME]"),
         {kPhoto, kName},
         2,
         addMember},
        {QStringLiteral("approve-pc"),
         QStringLiteral("approve-pc ID"),
         {},
         1,
         [](AdminInvocation& call) { return decidePc(call, true); }},
        {QStringLiteral("refuse-pc"),
         QStringLiteral("refuse-pc ID"),
         {},
         1,
         [](AdminInvocation& call) { return decidePc(call, false); }},
        {QStringLiteral("end-pc"), QStringLiteral("end-pc ID"), {}, 1, endPc},
    };
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
        return kUsage;
    }
    if (line->positional().isEmpty()) {
        err << usage();
        return kUsage;
    }
    const QString name = line->positional().first();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const AdminCommand& c) { return c.name == name; });
    if (command == commands.end()) {
        err << "orvix-server: unknown admin command \"" << name << "\"\n" << usage();
        return kUsage;
    }
    const QStringList rest = line->positional().mid(1);
    const QStringList given = line->given();
    const bool strayOption = std::any_of(given.begin(), given.end(), [&](const QString& option) {
        return option != kData && !command->options.contains(option);
    });
    if (rest.size() != command->arguments || line->value(kData).isEmpty() || strayOption) {
        err << "usage: orvix-server admin --data DIR " << command->usage << '\n';
        return kUsage;
    }

    ServerConfig config;
    config.dataDir = line->value(kData);
    ServerContext context(config);
    if (!context.open(&error)) {
        err << "orvix-server: " << error << '\n';
        return kFailed;
    }
    AdminInvocation call{context, *line, rest, out, err};
    return command->run(call);
}

} // namespace orvix::server
