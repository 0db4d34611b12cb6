#include "engine/pair_stack.h"

#include <array>

namespace {

constexpr int kDeepest = 9;

// Entries 1..9 hold pairs; entry 0 stays (0, 0) and answers for an empty stack.
std::array<std::pair<int16_t, int16_t>, kDeepest + 1> entries{};
int top = 0;

} // namespace

void pushPair(int16_t a, int16_t b) {
    // Pushes beyond the deepest entry overwrite it, so the newest pair is always on top.
    top = top < kDeepest ? top + 1 : kDeepest;
    entries[top] = {a, b};
}

std::pair<int16_t, int16_t> popPair() {
    const auto pair = entries[top];
    top = top < 2 ? 0 : top - 1;
    return pair;
}

std::pair<int16_t, int16_t> peekPair() {
    return top <= 0 ? std::pair<int16_t, int16_t>{0, 0} : entries[top];
}

void resetPairStack() {
    entries.fill({0, 0});
    top = 0;
}
