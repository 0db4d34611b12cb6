#include "routines/routines.h"
#include "routines/sqlite_adapter.h"

#include <cstdint>

namespace routines {

namespace {

struct RoutineCall {
    char sqlstate[PAVONA_SQLSTATE_SIZE] = "00000";
    char message[PAVONA_MESSAGE_SIZE] = "";
    int32_t result = 0;
    int16_t resultNull = -1;
};

int16_t indicatorOf(sqlite3_value *value) {
    return sqlite3_value_type(value) == SQLITE_NULL ? -1 : 0;
}

// Text of a non-NULL argument; nullptr only when SQLite ran out of memory converting it.
const char *textOf(sqlite3_value *value) {
    if (sqlite3_value_type(value) == SQLITE_NULL) return "";
    return reinterpret_cast<const char *>(sqlite3_value_text(value));
}

int32_t clampedInt32(sqlite3_value *value) {
    const sqlite3_int64 wide = sqlite3_value_int64(value);
    if (wide > INT32_MAX) return INT32_MAX;
    if (wide < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(wide);
}

void deliver(sqlite3_context *context, const char *routine, const RoutineCall &call) {
    if (isFailure(call.sqlstate)) {
        char *text = failureText(routine, call.sqlstate, call.message);
        sqlite3_result_error(context, text != nullptr ? text : routine, -1);
        sqlite3_free(text);
    } else if (call.resultNull < 0) {
        sqlite3_result_null(context);
    } else {
        sqlite3_result_int(context, call.result);
    }
}

void searchFunction(sqlite3_context *context, int, sqlite3_value **argv) {
    const int16_t patternNull = indicatorOf(argv[0]);
    const int16_t textNull = indicatorOf(argv[1]);
    const char *pattern = textOf(argv[0]);
    const char *text = textOf(argv[1]);
    if (pattern == nullptr || text == nullptr) {
        sqlite3_result_error_nomem(context);
        return;
    }
    RoutineCall call;
    search(pattern, text, &call.result, &patternNull, &textNull, &call.resultNull, call.sqlstate,
           "SEARCH", "SEARCH", call.message);
    deliver(context, "SEARCH", call);
}

void pauseFunction(sqlite3_context *context, int, sqlite3_value **argv) {
    const int16_t argumentNull = indicatorOf(argv[0]);
    const int32_t milliseconds = argumentNull < 0 ? 0 : clampedInt32(argv[0]);
    RoutineCall call;
    pause(&milliseconds, &call.result, &argumentNull, &call.resultNull, call.sqlstate, "PAUSE",
          "PAUSE", call.message);
    deliver(context, "PAUSE", call);
}

} // namespace

int registerScalarFunctions(sqlite3 *db) {
    int rc = sqlite3_create_function_v2(db, "SEARCH", 2,
                                        SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                        nullptr, searchFunction, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
    return sqlite3_create_function_v2(db, "PAUSE", 1, SQLITE_UTF8, nullptr, pauseFunction, nullptr,
                                      nullptr, nullptr);
}

} // namespace routines
