// The three external routines exported by libpavona.so.
//
// `pause` shares its name with the POSIX call, so this header cannot be included in a
// file that includes <unistd.h>; such files use routine_types.h and look the routines
// up with dlsym instead.
#pragma once

#include "routines/routine_types.h"

// Protected: exported, yet calls from inside the library bind to these definitions
// even when the process already has a `pause` of its own.
#define PAVONA_ROUTINE __attribute__((visibility("protected")))

#ifdef __cplusplus
extern "C" {
#endif

// result := 1-based position of the first match, 0 when there is none.
PAVONA_ROUTINE void search(const char *pattern, const char *text, int32_t *result,
                           const int16_t *patternNull, const int16_t *textNull, int16_t *resultNull,
                           char *sqlstate, const char *functionName, const char *specificName,
                           char *message);

// One (city, code) row per fetch call; SQLSTATE "02000" ends the table. city and code
// must each hold PAVONA_AIRPORT_FIELD_SIZE bytes.
PAVONA_ROUTINE void airports(char *city, char *code, int16_t *cityNull, int16_t *codeNull,
                             char *sqlstate, const char *functionName, const char *specificName,
                             char *message, PavonaScratchpad *scratchpad, const int32_t *callType);

// result := 0, then the calling thread sleeps for the given milliseconds.
PAVONA_ROUTINE void pause(const int32_t *milliseconds, int32_t *result, const int16_t *argumentNull,
                          int16_t *resultNull, char *sqlstate, const char *functionName,
                          const char *specificName, char *message);

#ifdef __cplusplus
}
#endif
