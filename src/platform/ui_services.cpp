#include "platform/ui_services.h"

namespace orvix {

QString toQtFileFilter(const QString& filter) {
    // Pairs of (description, pattern list); the list ends at an empty description.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        if (description.isEmpty())
            break;
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(QLatin1Char(';'))) {
            const QString trimmed = pattern.trimmed();
            if (trimmed.isEmpty())
                continue;
            patterns << trimmed;
            const QString lower = trimmed.toLower();
            if (lower != trimmed)
                patterns << lower;
        }
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace orvix
