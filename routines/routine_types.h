// Types and sizes of the external-routine calling convention shared by the routine
// library, its callers and its tests. Safe to include anywhere (declares no routine).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    PAVONA_SQLSTATE_SIZE = 6,        // five characters and a NUL
    PAVONA_MESSAGE_SIZE = 71,        // diagnostic text of at most 70 characters and a NUL
    PAVONA_SCRATCHPAD_SIZE = 100,    // the server's default scratchpad data area
    PAVONA_AIRPORT_FIELD_SIZE = 50,  // city and code buffers: one line buffer's worth
    PAVONA_SEARCH_MAX_ELEMENTS = 31, // a pattern compiles to at most this many elements
};

// Call types of a table function.
enum {
    PAVONA_CALL_FIRST = -2,
    PAVONA_CALL_OPEN = -1,
    PAVONA_CALL_FETCH = 0,
    PAVONA_CALL_CLOSE = 1,
    PAVONA_CALL_FINAL = 2,
};

// Zero-filled by the caller before the first call of a statement and handed back
// unchanged on every later call.
typedef struct PavonaScratchpad {
    uint32_t length; // bytes usable in data
    char data[PAVONA_SCRATCHPAD_SIZE];
} PavonaScratchpad;

// Every argument is passed by reference, as a server does.
typedef void (*PavonaSearchRoutine)(const char *pattern, const char *text, int32_t *result,
                                    const int16_t *patternNull, const int16_t *textNull,
                                    int16_t *resultNull, char *sqlstate, const char *functionName,
                                    const char *specificName, char *message);

typedef void (*PavonaAirportsRoutine)(char *city, char *code, int16_t *cityNull, int16_t *codeNull,
                                      char *sqlstate, const char *functionName,
                                      const char *specificName, char *message,
                                      PavonaScratchpad *scratchpad, const int32_t *callType);

typedef void (*PavonaPauseRoutine)(const int32_t *milliseconds, int32_t *result,
                                   const int16_t *argumentNull, int16_t *resultNull, char *sqlstate,
                                   const char *functionName, const char *specificName,
                                   char *message);

#ifdef __cplusplus
}
#endif
