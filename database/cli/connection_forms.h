#pragma once
// How a connection target is written: a name (of the embedded catalog or an ODBC data
// source), a path to an SQLite file, a DSN-less ODBC connection string, or a server URI
// (postgresql://, postgres://, mariadb://, mysql://).

#include <QList>
#include <QString>
#include <utility>

namespace cli {

enum class TargetForm { Name, File, ConnectionString, Uri };

// A "/" or a leading "~" makes a path; a name ending in .db, .sqlite, .sqlite3 or .db3 is
// one when such a file exists (a data source may be called "shop.db" too).
TargetForm targetForm(const QString &target);
// Whether a name ends as SQLite files are named, so that one not found is reported as a
// missing file.
bool hasSqliteSuffix(const QString &target);

// The target as a session keeps it: a name in upper case, as the catalog lists it; paths,
// URIs and connection strings as written, since their parts are case-sensitive.
QString sessionTarget(const QString &target);

// The file a path names: a leading "~/" is the home folder, a relative path is taken from
// the working folder.
QString sqliteFilePath(const QString &target);

using Attributes = QList<std::pair<QString, QString>>;

enum class ServerFamily { PostgreSql, MariaDb };

struct ServerUri {
    ServerFamily family = ServerFamily::PostgreSql;
    Attributes attributes; // SERVER, PORT, DATABASE, UID, PWD, then the query's items
};

// The URI's parts as connection-string attributes; problem gets why it cannot be one.
ServerUri parseServerUri(const QString &uri, QString *problem);

// "KEY=value;" pairs, a value in braces where it holds ";" or braces.
QByteArray connectionString(const Attributes &attributes);

// The value of a connection string's keyword (case-insensitive), "" when it has none.
QString attributeOf(const QString &connectionString, const QString &keyword);

} // namespace cli
