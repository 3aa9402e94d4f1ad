#include "server/core/command_line.h"

namespace orvix::server {

std::optional<CommandLine> CommandLine::parse(const QStringList& arguments,
                                              const QStringList& valueOptions,
                                              const QStringList& flags, QString* error) {
    auto fail = [&](const QString& reason) -> std::optional<CommandLine> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            line.m_positional.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.first(equals);
        if (flags.contains(name)) {
            if (equals >= 0)
                return fail(QStringLiteral("%1 takes no value").arg(name));
            line.m_values.insert(name, QString());
        } else if (valueOptions.contains(name)) {
            if (equals >= 0) {
                line.m_values.insert(name, argument.sliced(equals + 1));
            } else if (i + 1 < arguments.size()) {
                line.m_values.insert(name, arguments[++i]);
            } else {
                return fail(QStringLiteral("%1 needs a value").arg(name));
            }
        } else {
            return fail(QStringLiteral("unknown option %1").arg(name));
        }
    }
    return line;
}

} // namespace orvix::server
