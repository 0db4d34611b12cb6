#include "routines/routines.h"

#include <cerrno>
#include <time.h>

namespace {

void sleepMilliseconds(int32_t milliseconds) {
    timespec remaining{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

} // namespace

extern "C" void pause(const int32_t *milliseconds, int32_t *result, const int16_t *argumentNull,
                      int16_t *resultNull, char *, const char *, const char *, char *) {
    *result = 0;
    if (milliseconds == nullptr || (argumentNull != nullptr && *argumentNull < 0)) {
        *resultNull = -1;
        return;
    }
    *resultNull = 0;
    // A negative duration sleeps not at all rather than (read as unsigned) for weeks.
    if (*milliseconds > 0) sleepMilliseconds(*milliseconds);
}
