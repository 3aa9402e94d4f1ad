#include "server/app/serve_command.h"

#include "server/app/descriptor_limit.h"
#include "server/app/orvix_server.h"
#include "server/app/termination_signals.h"
#include "server/core/command_line.h"

#include <QCoreApplication>
#include <QTextStream>

namespace orvix::server {

namespace {

bool readPort(const QString& text, quint16* port) {
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = quint16(value);
    return true;
}

// No blank, no field marker: these values go into login replies as fields of their own.
bool isSingleField(const QString& address) {
    if (address.isEmpty() || address.contains(QLatin1String("</>")))
        return false;
    for (QChar c : address) {
        if (c.isSpace() || c.unicode() < 0x20)
            return false;
    }
    return true;
}

} // namespace

QString ServeCommand::usage() {
    return QStringLiteral(
        "orvix-server serve --data DIR [--bind 127.0.0.1] [--http-port 8080] [--upload-port 2000]\n"
        "                   [--public-address HOST:PORT] [--demo] [--auto-approve]\n"
        "                   [--max-upload BYTES] [--version-code 7] [--version-name 0.5.6]\n"
        "                   [--min-version-code 7]");
}

std::optional<ServerConfig> ServeCommand::parse(const QStringList& arguments, QString* error) {
    auto fail = [&](const QString& reason) -> std::optional<ServerConfig> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const auto line = CommandLine::parse(
        arguments,
        {QStringLiteral("--data"), QStringLiteral("--bind"), QStringLiteral("--http-port"),
         QStringLiteral("--upload-port"), QStringLiteral("--public-address"),
         QStringLiteral("--max-upload"), QStringLiteral("--version-code"),
         QStringLiteral("--version-name"), QStringLiteral("--min-version-code")},
        {QStringLiteral("--demo"), QStringLiteral("--auto-approve")}, error);
    if (!line)
        return std::nullopt;
    if (!line->positional().isEmpty())
        return fail(QStringLiteral("unexpected argument %1").arg(line->positional().first()));

    ServerConfig config;
    config.dataDir = line->value(QStringLiteral("--data"));
    if (config.dataDir.isEmpty())
        return fail(QStringLiteral("--data DIR is required"));
    if (line->has(QStringLiteral("--bind")))
        config.bindAddress = line->value(QStringLiteral("--bind"));
    if (line->has(QStringLiteral("--http-port")) &&
        !readPort(line->value(QStringLiteral("--http-port")), &config.httpPort)) {
        return fail(QStringLiteral("--http-port needs a port number from 0 to 65535"));
    }
    if (line->has(QStringLiteral("--upload-port")) &&
        !readPort(line->value(QStringLiteral("--upload-port")), &config.uploadPort)) {
        return fail(QStringLiteral("--upload-port needs a port number from 0 to 65535"));
    }
    if (line->has(QStringLiteral("--public-address"))) {
        config.publicAddress = line->value(QStringLiteral("--public-address"));
        if (!isSingleField(config.publicAddress))
            return fail(QStringLiteral("--public-address needs HOST:PORT"));
    }
    if (line->has(QStringLiteral("--max-upload"))) {
        bool ok = false;
        config.maxUpload = line->value(QStringLiteral("--max-upload")).toLongLong(&ok);
        if (!ok || config.maxUpload < 0)
            return fail(QStringLiteral("--max-upload needs a number of bytes"));
    }
    const std::pair<const char*, QString*> versions[] = {
        {"--version-code", &config.versionCode},
        {"--version-name", &config.versionName},
        {"--min-version-code", &config.minVersionCode},
    };
    for (const auto& [name, target] : versions) {
        const QString option = QString::fromLatin1(name);
        if (!line->has(option))
            continue;
        *target = line->value(option);
        if (!isSingleField(*target))
            return fail(QStringLiteral("%1 needs a value without blanks").arg(option));
    }
    config.demo = line->has(QStringLiteral("--demo"));
    config.autoApprove = line->has(QStringLiteral("--auto-approve"));
    return config;
}

int ServeCommand::run(const ServerConfig& config, QTextStream& out, QTextStream& err) {
    TerminationSignals termination;
    if (!termination.isValid()) {
        err << "orvix-server: cannot watch for SIGINT and SIGTERM\n";
        return 1;
    }
    QObject::connect(&termination, &TerminationSignals::received, QCoreApplication::instance(),
                     [] { QCoreApplication::quit(); });

    // Connections need descriptors: take all the system allows; the caps are chosen below it.
    DescriptorLimit::raise();
    OrvixServer server(config);
    QString error;
    if (!server.start(&error)) {
        err << "orvix-server: " << error << '\n';
        return 1;
    }
    out << server.readyLine() << '\n';
    out.flush();
    const int code = QCoreApplication::exec();
    server.stop();
    return code;
}

} // namespace orvix::server
