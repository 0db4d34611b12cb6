#pragma once
// One process-wide stack of ten pairs of 16-bit values, used to remember nesting while a
// library or an XML document is read.

#include <cstdint>
#include <utility>

void pushPair(int16_t a, int16_t b);
std::pair<int16_t, int16_t> popPair();
// The pair on top, or (0, 0) when the stack is empty.
std::pair<int16_t, int16_t> peekPair();
void resetPairStack();
