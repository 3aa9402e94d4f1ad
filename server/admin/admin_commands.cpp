#include "server/admin/admin_commands.h"

#include "server/admin/member_photo.h"
#include "server/admin/member_registration.h"
#include "server/admin/password_input.h"
#include "server/app/features.h"
#include "server/core/command_line.h"
#include "server/core/server_context.h"
#include "server/storage/password_hasher.h"

#include <QFile>
#include <QTextStream>

#include <algorithm>

namespace orvix::server {

namespace {

const QString kData = QStringLiteral("--data");
const QString kPhoto = QStringLiteral("--photo");
const QString kName = QStringLiteral("--name");
const QString kPasswordStdin = QStringLiteral("--password-stdin");

// The password of add-member and set-password: from standard input when asked (or when the
// command takes it nowhere else), so that it never shows in the process list.
std::optional<QString> passwordFromInput(AdminInvocation& call) {
    if (!call.in) {
        call.fail(QStringLiteral("no standard input to read the password from"));
        return std::nullopt;
    }
    QString error;
    auto password = PasswordInput::read(*call.in, call.err, &error);
    if (!password)
        call.fail(error);
    return password;
}

int addMember(AdminInvocation& call) {
    const bool fromInput = call.line.has(kPasswordStdin);
    if (call.arguments.size() != (fromInput ? 1 : 2)) {
        call.err << "usage: orvix-server admin --data DIR add-member ID PASSWORD "
                    "[--photo FILE] [--name NAME]\n"
                    "       orvix-server admin --data DIR add-member ID --password-stdin "
                    "[--photo FILE] [--name NAME]\n";
        return AdminExit::Usage;
    }
    QString error;
    QByteArray photo;
    if (call.line.has(kPhoto)) {
        const auto prepared =
            MemberPhoto::prepare(call.line.value(kPhoto), call.context.config().maxUpload, &error);
        if (!prepared)
            return call.fail(error);
        photo = *prepared;
    }
    QString password = call.arguments.value(1);
    if (fromInput) {
        const auto typed = passwordFromInput(call);
        if (!typed)
            return AdminExit::Failed;
        password = *typed;
    }
    const auto member =
        MemberRegistration(call.context)
            .add(call.arguments[0], password, call.line.value(kName), photo, &error);
    if (!member)
        return call.fail(error);
    call.out << member->memberNo << '\n';
    return AdminExit::Done;
}

// Control characters of a stored name would break the table's lines.
QString printable(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    }
    return text;
}

int listMembers(AdminInvocation& call) {
    bool failed = false;
    const QList<MemberRecord> members = call.context.members().all(&failed);
    if (failed)
        return call.fail(call.context.database().lastError());
    call.out << "number\tID\tname\tstore\topen PC sessions\n";
    for (const MemberRecord& member : members) {
        call.out << member.memberNo << '\t' << printable(member.loginId) << '\t'
                 << printable(member.name) << '\t' << member.storeNo << '\t'
                 << call.context.pcAccess().openSessionCount(member.memberNo) << '\n';
    }
    return AdminExit::Done;
}

int removeMember(AdminInvocation& call) {
    const auto member = call.member(0);
    if (!member)
        return AdminExit::Failed;
    if (!call.context.members().remove(member->memberNo)) {
        return call.fail(QStringLiteral("cannot remove %1: %2")
                             .arg(member->loginId, call.context.database().lastError()));
    }
    // The photo is the member's own; what the member uploaded elsewhere (chat photos, posts'
    // files, documents) stays, as others may still show it.
    QFile::remove(call.context.folder().memberPhotoPath(member->memberNo));
    call.out << "removed member " << member->memberNo << " (" << member->loginId << ")\n";
    return AdminExit::Done;
}

int setPassword(AdminInvocation& call) {
    const auto member = call.member(0);
    if (!member)
        return AdminExit::Failed;
    const auto password = passwordFromInput(call);
    if (!password)
        return AdminExit::Failed;
    QString reason;
    if (!MemberRegistration::isUsablePassword(*password, &reason))
        return call.fail(reason);
    if (!call.context.members().setPasswordHash(member->memberNo,
                                                PasswordHasher().hash(*password))) {
        return call.fail(call.context.database().lastError());
    }
    call.out << "password set for " << member->loginId << '\n';
    return AdminExit::Done;
}

} // namespace

QList<AdminCommand> AdminCommands::table() {
    QList<AdminCommand> commands{
        {QStringLiteral("add-member"),
         QStringLiteral("add-member ID (PASSWORD | --password-stdin) [--photo FILE] [--name NAME]"),
         {kPhoto, kName},
         1,
         addMember,
         {kPasswordStdin},
         1},
        {QStringLiteral("list-members"), QStringLiteral("list-members"), {}, 0, listMembers},
        {QStringLiteral("remove-member"), QStringLiteral("remove-member ID"), {}, 1, removeMember},
        {QStringLiteral("set-password"),
         QStringLiteral("set-password ID (the password on standard input)"),
         {},
         1,
         setPassword},
    };
    return commands + featureAdminCommands();
}

QString AdminCommands::usage() {
    QString text;
    for (const AdminCommand& command : table())
        text += QStringLiteral("orvix-server admin --data DIR %1\n").arg(command.usage);
    return text;
}

int AdminCommands::run(const QStringList& arguments, QTextStream& out, QTextStream& err,
                       QTextStream* in) {
    const QList<AdminCommand> commands = table();
    QStringList options{kData};
    QStringList flags;
    for (const AdminCommand& command : commands) {
        for (const QString& option : command.options) {
            if (!options.contains(option))
                options.append(option);
        }
        for (const QString& flag : command.flags) {
            if (!flags.contains(flag))
                flags.append(flag);
        }
    }
    QString error;
    const auto line = CommandLine::parse(arguments, options, flags, &error);
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
        return option != kData && !command->options.contains(option) &&
               !command->flags.contains(option);
    });
    if (rest.size() < command->arguments ||
        rest.size() > command->arguments + command->optionalArguments ||
        line->value(kData).isEmpty() || strayOption) {
        err << "usage: orvix-server admin --data DIR " << command->usage << '\n';
        return AdminExit::Usage;
    }

    ServerConfig config;
    config.dataDir = line->value(kData);
    ServerContext context(config);
    // Only serve creates a data folder; an admin command on a wrong path says so.
    if (!context.openExisting(&error) || !migrateFeatures(context, &error)) {
        err << "orvix-server: " << error << '\n';
        return AdminExit::Failed;
    }
    AdminInvocation call{context, *line, rest, out, err, in};
    return command->run(call);
}

} // namespace orvix::server
