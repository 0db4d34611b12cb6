#pragma once
// The embedded backend: SQLite databases of the catalog folder, and SQLite files named
// by their path.

#include "database/cli/handles.h"

namespace cli::embedded {

// Opens an existing database file; nothing is created. A file outside the catalog keeps
// its journal mode: it belongs to other programs too. 0 or -1 (diagnostic on conn).
int connect(Connection *conn, const QString &file, const QString &user, bool inCatalog);
void disconnect(Connection *conn);
int execute(Statement *st, const QString &sql);
int fetch(Statement *st);
void closeCursor(Statement *st);
int endTransaction(Connection *conn, bool commit);
// Whether BEGIN or a SAVEPOINT outside a transaction opened one that is still open.
bool transactionOpen(const Connection *conn);

// Diagnostic of a failed SQLite call, shaped like the vendor CLI's.
void setSqliteError(Handle *handle, sqlite3 *db);
// Runs a statement without a result; false (diagnostic on handle) when it fails.
bool runSql(Handle *handle, sqlite3 *db, const QString &sql);

// Built-in routines answering CALL (builtins.cpp).
int callBuiltin(Statement *st, const QString &sql);

} // namespace cli::embedded
