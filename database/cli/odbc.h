#pragma once
// The ODBC backend: unixODBC's driver manager, loaded at first use (PAVONA_ODBC_LIBRARY
// names another library file). Without the library every call reports that no ODBC data
// source exists.

#include "database/cli/handles.h"

namespace cli::odbc {

bool available();
// (name, description) of every user and system data source.
QList<std::pair<QByteArray, QByteArray>> dataSources();
// The data source's name as the driver manager spells it, or "" when there is none.
QString findDataSource(const QString &name);

// The names of the installed drivers, as odbcinst -q -d lists them.
QStringList installedDrivers();

// Connects with a connection string ("DSN=name;" or a DSN-less one); a user given apart
// counts where the string names none.
int connect(Connection *conn, const QString &connection, const QByteArray &uid,
            const QByteArray &pwd);
void disconnect(Connection *conn);
int allocStatement(Statement *st);
// keepForNext: the connection keeps the driver's handle, cleared, for its next statement.
void freeStatement(Statement *st, bool keepForNext = false);
// Sends a statement attribute of the interface (kAttrNoScan, kAttrMaxRows) to the driver.
int setAttribute(Statement *st, int attr, intptr_t value);
// A text of SQLGetInfo.
bool info(const Connection *conn, int16_t what, QByteArray &value);
int execute(Statement *st, const QByteArray &sql);
int describeAll(Statement *st);
int bindColumn(Statement *st, int col);
int fetch(Statement *st);
int endTransaction(Connection *conn, bool commit);
// A diagnostic record (from 1) the driver holds for a handle, its text in the layer's
// bracketed form.
bool driverDiagnostic(const Handle *handle, QByteArray &state, int32_t &native, QByteArray &message,
                      int16_t record = 1);
// Asks the driver to stop what a statement is doing; may come from another thread.
void cancel(void *odbcStmt);

} // namespace cli::odbc
