// The small pattern language of `search`: compiling a pattern into elements and
// matching them against a text without backtracking.
#pragma once

#include "routines/routine_types.h"

#include <bitset>
#include <cstdint>

namespace routines {

struct PatternElement {
    std::bitset<256> bytes; // one flag per byte value
    int32_t count = 1;      // n >= 1: exactly n matching bytes; -1: zero or more
    bool negate = false;
};

struct Pattern {
    PatternElement elements[PAVONA_SEARCH_MAX_ELEMENTS];
    int size = 0;
    bool tooLong = false; // the pattern needs more elements than fit; size stays at the limit
};

void compilePattern(const char *text, Pattern &pattern);

// 1-based position where the first successful attempt starts, 0 for no match.
// An empty pattern matches at position 1.
int32_t matchPattern(const Pattern &pattern, const char *text);

} // namespace routines
