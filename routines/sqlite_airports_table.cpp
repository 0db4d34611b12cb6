#include "routines/routines.h"
#include "routines/sqlite_adapter.h"

#include <cstring>
#include <new>

namespace routines {

namespace {

struct AirportsCursor {
    sqlite3_vtab_cursor base; // first, so SQLite's pointer converts to the cursor
    PavonaScratchpad scratchpad;
    bool opened = false;
    bool atEnd = true;
    sqlite3_int64 rowid = 0;
    char city[PAVONA_AIRPORT_FIELD_SIZE] = "";
    char code[PAVONA_AIRPORT_FIELD_SIZE] = "";
    int16_t cityNull = -1;
    int16_t codeNull = -1;
};

AirportsCursor *cursorOf(sqlite3_vtab_cursor *base) {
    return reinterpret_cast<AirportsCursor *>(base);
}

// One call of the table function as a server makes it; SQLITE_OK unless it failed.
int callAirports(AirportsCursor &cursor, int32_t callType, bool &endOfTable) {
    char sqlstate[PAVONA_SQLSTATE_SIZE] = "00000";
    char message[PAVONA_MESSAGE_SIZE] = "";
    cursor.cityNull = -1;
    cursor.codeNull = -1;
    airports(cursor.city, cursor.code, &cursor.cityNull, &cursor.codeNull, sqlstate, "AIRPORTS",
             "AIRPORTS", message, &cursor.scratchpad, &callType);
    endOfTable = isEndOfTable(sqlstate);
    if (!isFailure(sqlstate)) return SQLITE_OK;
    sqlite3_vtab *table = cursor.base.pVtab;
    sqlite3_free(table->zErrMsg);
    table->zErrMsg = failureText("AIRPORTS", sqlstate, message);
    return SQLITE_ERROR;
}

int fetch(AirportsCursor &cursor) {
    bool endOfTable = false;
    const int rc = callAirports(cursor, PAVONA_CALL_FETCH, endOfTable);
    cursor.atEnd = rc != SQLITE_OK || endOfTable;
    if (!cursor.atEnd) ++cursor.rowid;
    return rc;
}

void closeTable(AirportsCursor &cursor) {
    if (!cursor.opened) return;
    bool endOfTable = false;
    callAirports(cursor, PAVONA_CALL_CLOSE, endOfTable);
    cursor.opened = false;
    cursor.atEnd = true;
}

int connectTable(sqlite3 *db, void *, int, const char *const *, sqlite3_vtab **table, char **) {
    const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(CITY VARCHAR(49), CODE VARCHAR(49))");
    if (rc != SQLITE_OK) return rc;
    *table = static_cast<sqlite3_vtab *>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (*table == nullptr) return SQLITE_NOMEM;
    std::memset(*table, 0, sizeof(sqlite3_vtab));
    return SQLITE_OK;
}

int disconnectTable(sqlite3_vtab *table) {
    sqlite3_free(table);
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab *, sqlite3_index_info *info) {
    info->estimatedCost = 12;
    info->estimatedRows = 12;
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab *, sqlite3_vtab_cursor **base) {
    auto *cursor = new (std::nothrow) AirportsCursor{};
    if (cursor == nullptr) return SQLITE_NOMEM;
    // Zero-filled once per statement, as a server prepares it.
    cursor->scratchpad.length = sizeof cursor->scratchpad.data;
    *base = &cursor->base;
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor *base) {
    AirportsCursor *cursor = cursorOf(base);
    closeTable(*cursor);
    delete cursor;
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor *base, int, const char *, int, sqlite3_value **) {
    AirportsCursor &cursor = *cursorOf(base);
    closeTable(cursor); // a rescan closes and reopens, as a server does
    cursor.rowid = 0;
    bool endOfTable = false;
    const int rc = callAirports(cursor, PAVONA_CALL_OPEN, endOfTable);
    cursor.opened = true;
    if (rc != SQLITE_OK || endOfTable) {
        cursor.atEnd = true;
        return rc;
    }
    return fetch(cursor);
}

int next(sqlite3_vtab_cursor *base) {
    return fetch(*cursorOf(base));
}

int eof(sqlite3_vtab_cursor *base) {
    return cursorOf(base)->atEnd ? 1 : 0;
}

int column(sqlite3_vtab_cursor *base, sqlite3_context *context, int index) {
    const AirportsCursor &cursor = *cursorOf(base);
    const bool isCity = index == 0;
    const int16_t indicator = isCity ? cursor.cityNull : cursor.codeNull;
    if (indicator < 0)
        sqlite3_result_null(context);
    else
        sqlite3_result_text(context, isCity ? cursor.city : cursor.code, -1, SQLITE_TRANSIENT);
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor *base, sqlite3_int64 *value) {
    *value = cursorOf(base)->rowid;
    return SQLITE_OK;
}

// Eponymous only (no xCreate): the table exists in every schema as AIRPORTS.
constexpr sqlite3_module makeAirportsModule() {
    sqlite3_module module{};
    module.xConnect = connectTable;
    module.xBestIndex = bestIndex;
    module.xDisconnect = disconnectTable;
    module.xDestroy = disconnectTable;
    module.xOpen = openCursor;
    module.xClose = closeCursor;
    module.xFilter = filter;
    module.xNext = next;
    module.xEof = eof;
    module.xColumn = column;
    module.xRowid = rowid;
    return module;
}

constexpr sqlite3_module airportsModule = makeAirportsModule();

} // namespace

int registerAirportsTable(sqlite3 *db) {
    return sqlite3_create_module_v2(db, "AIRPORTS", &airportsModule, nullptr, nullptr);
}

} // namespace routines
