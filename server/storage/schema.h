#pragma once

#include <QString>
#include <QStringList>

namespace orvix::server {

class Database;

// The database layout and its migrations. The layout's version is kept in SQLite's user_version;
// opening a database applies, in one transaction each, the migrations it has not seen yet.
// A later change to the layout appends a migration; existing ones are never edited.
class Schema {
public:
    // The version this program writes: the number of migrations.
    static int currentVersion();

    // The statements of migration n (1-based).
    static QStringList migration(int version);

    // Brings the database to currentVersion(). Refuses a database written by a newer program.
    static bool migrate(Database& db, QString* error);

    // The version recorded in the database.
    static int storedVersion(Database& db);

    // A feature's own tables: its migrations in order, tracked by the feature's name in the
    // table schema_parts, so features add tables without numbering against each other. Run after
    // migrate(); applies what the database has not seen yet, in one transaction. Refuses a
    // database that holds a newer version of the part.
    static bool migratePart(Database& db, const QString& name, const QList<QStringList>& migrations,
                            QString* error);
};

} // namespace orvix::server
