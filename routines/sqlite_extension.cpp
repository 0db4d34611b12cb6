#include "routines/sqlite_adapter.h"

#include <cstring>

SQLITE_EXTENSION_INIT1

namespace routines {

bool isEndOfTable(const char *sqlstate) {
    return std::strcmp(sqlstate, "02000") == 0;
}

bool isFailure(const char *sqlstate) {
    return std::strncmp(sqlstate, "00", 2) != 0 && std::strncmp(sqlstate, "01", 2) != 0 &&
           !isEndOfTable(sqlstate);
}

char *failureText(const char *routine, const char *sqlstate, const char *message) {
    if (message[0] == '\0')
        return sqlite3_mprintf("The routine %s failed. SQLSTATE=%s", routine, sqlstate);
    return sqlite3_mprintf("%s SQLSTATE=%s", message, sqlstate);
}

} // namespace routines

// Found by SQLite from the library's name (libpavona.so -> sqlite3_pavona_init).
extern "C" __attribute__((visibility("default"))) int
sqlite3_pavona_init(sqlite3 *db, char **pzErrMsg, const sqlite3_api_routines *pApi) {
    SQLITE_EXTENSION_INIT2(pApi);
    int rc = routines::registerScalarFunctions(db);
    if (rc == SQLITE_OK) rc = routines::registerAirportsTable(db);
    if (rc != SQLITE_OK && pzErrMsg != nullptr)
        *pzErrMsg =
            sqlite3_mprintf("The Pavona routines could not be registered: %s", sqlite3_errstr(rc));
    return rc;
}
