#pragma once
// Where the embedded engine keeps its databases: NAME is the file NAME.db in the catalog
// folder, $XDG_DATA_HOME/pavona/databases (default ~/.local/share/pavona/databases).

#include <QString>
#include <QStringList>

QString embeddedCatalogFolder();
// Names (upper case, without ".db") of the databases in the catalog folder, sorted.
QStringList embeddedDatabaseNames();
// The file of an embedded database name, or "" when the catalog holds none by that name.
QString embeddedDatabaseFile(const QString &name);
