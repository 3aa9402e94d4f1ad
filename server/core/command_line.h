#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvix::server {

// The arguments of one command: "--name value" (or "--name=value") options, "--name" flags and
// positional arguments, in any order. Only the names given are options; any other argument
// starting with "--" is an error, and everything after a lone "--" is positional, so a
// password such as "-x" or (after "--") "--x" can still be given.
class CommandLine {
public:
    static std::optional<CommandLine> parse(const QStringList& arguments,
                                            const QStringList& valueOptions,
                                            const QStringList& flags, QString* error);

    bool has(const QString& name) const { return m_values.contains(name); }
    QString value(const QString& name) const { return m_values.value(name); }
    const QStringList& positional() const { return m_positional; }
    // The options and flags that were given, by name.
    QStringList given() const { return m_values.keys(); }

private:
    QHash<QString, QString> m_values;
    QStringList m_positional;
};

} // namespace orvix::server
