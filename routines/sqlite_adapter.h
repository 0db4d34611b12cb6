// Registers the routines with an SQLite connection, calling them as a server calls
// external routines. SQLITE_EXTENSION_INIT1 lives in sqlite_extension.cpp.
#pragma once

#include <sqlite3ext.h>

SQLITE_EXTENSION_INIT3

namespace routines {

int registerScalarFunctions(sqlite3 *db);
int registerAirportsTable(sqlite3 *db);

// A routine's SQLSTATE: success and warning classes ("00", "01") are not failures,
// "02000" is the end of a table, anything else a failure described by the message.
bool isEndOfTable(const char *sqlstate);
bool isFailure(const char *sqlstate);
// sqlite3_mprintf'd "<message> SQLSTATE=<state>" naming the routine when it left no text.
char *failureText(const char *routine, const char *sqlstate, const char *message);

} // namespace routines
