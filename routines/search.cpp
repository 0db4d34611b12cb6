#include "routines/routines.h"

#include "routines/pattern.h"
#include "routines/routine_status.h"

namespace {

bool isNull(const int16_t *indicator) {
    return indicator != nullptr && *indicator < 0;
}

} // namespace

extern "C" void search(const char *pattern, const char *text, int32_t *result,
                       const int16_t *patternNull, const int16_t *textNull, int16_t *resultNull,
                       char *sqlstate, const char *, const char *, char *message) {
    *result = 0;
    if (isNull(patternNull) || isNull(textNull) || pattern == nullptr || text == nullptr) {
        *resultNull = -1;
        return;
    }
    *resultNull = 0;
    routines::Pattern compiled;
    routines::compilePattern(pattern, compiled);
    if (compiled.tooLong) {
        // Matching a cut-down pattern would report matches the pattern does not allow.
        *resultNull = -1;
        routines::setSqlState(sqlstate, routines::patternTooLong);
        routines::setMessage(message, "SEARCH pattern has more than 31 elements.");
        return;
    }
    *result = routines::matchPattern(compiled, text);
}
