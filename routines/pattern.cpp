#include "routines/pattern.h"

#include <cstring>
#include <utility>

namespace routines {

namespace {

constexpr int32_t zeroOrMore = -1;

struct PendingModifiers {
    int32_t count = 1;
    bool negate = false;
};

bool isBracketSeparator(unsigned char c) {
    return c == ' ' || c == ',' || c == '[';
}

void addRange(std::bitset<256> &bytes, unsigned char from, unsigned char to) {
    if (from > to) std::swap(from, to);
    for (unsigned value = from; value <= to; ++value)
        bytes.set(value);
}

// Reads a bracket expression starting after "[" and returns the position after its "]".
// An expression without "]" runs to the end of the pattern.
const unsigned char *readBracket(const unsigned char *p, std::bitset<256> &bytes) {
    while (*p != '\0' && *p != ']') {
        if (isBracketSeparator(*p)) {
            ++p;
        } else if (p[1] == '-' && p[2] != '\0' && p[2] != ']') {
            addRange(bytes, p[0], p[2]);
            p += 3;
        } else {
            bytes.set(*p);
            ++p;
        }
    }
    return *p == ']' ? p + 1 : p;
}

class PatternBuilder {
public:
    explicit PatternBuilder(Pattern &pattern) : pattern_(pattern) {}

    // The element to fill, or nullptr when the pattern is full.
    PatternElement *next() {
        if (pattern_.size == PAVONA_SEARCH_MAX_ELEMENTS) {
            pattern_.tooLong = true;
            return nullptr;
        }
        return &pattern_.elements[pattern_.size++];
    }

private:
    Pattern &pattern_;
};

} // namespace

void compilePattern(const char *text, Pattern &pattern) {
    pattern = Pattern{};
    PatternBuilder builder(pattern);
    PendingModifiers pending;
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    while (*p != '\0') {
        const unsigned char c = *p;
        if (c == '*') {
            pending.count = zeroOrMore;
            ++p;
            continue;
        }
        if (c >= '1' && c <= '9') {
            pending.count = c - '0';
            ++p;
            continue;
        }
        if (c == '~') {
            pending.negate = true;
            ++p;
            continue;
        }
        if (c == ']') {
            ++p;
            continue;
        }
        PatternElement *element = builder.next();
        if (element == nullptr) return;
        element->count = pending.count;
        element->negate = pending.negate;
        if (c == ' ') {
            while (*p == ' ')
                ++p;
            element->bytes.set(' ');
            element->count = zeroOrMore;
        } else if (c == '?') {
            element->bytes.set();
            element->negate = false;
            ++p;
        } else if (c == '[') {
            p = readBracket(p + 1, element->bytes);
        } else {
            element->bytes.set(c);
            ++p;
        }
        pending = PendingModifiers{};
    }
}

namespace {

bool matches(const PatternElement &element, unsigned char byte) {
    return element.bytes.test(byte) != element.negate;
}

// True when every element from `first` on may match zero bytes.
bool restMayBeEmpty(const Pattern &pattern, int first) {
    for (int e = first; e < pattern.size; ++e)
        if (pattern.elements[e].count != zeroOrMore) return false;
    return true;
}

} // namespace

int32_t matchPattern(const Pattern &pattern, const char *text) {
    if (pattern.size == 0) return 1;
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    const size_t length = std::strlen(text);
    int e = 0;
    int32_t remaining = pattern.elements[0].count;
    size_t start = 0; // offset of the current attempt's first byte
    size_t i = 0;
    while (i <= length) {
        const PatternElement &element = pattern.elements[e];
        if (matches(element, bytes[i])) {
            if (remaining < 0) {
                // A zero-or-more element that takes the terminating NUL has used up the
                // text; the attempt succeeds when nothing after it needs a byte.
                if (i == length && restMayBeEmpty(pattern, e + 1))
                    return static_cast<int32_t>(start + 1);
            } else if (--remaining == 0) {
                if (++e == pattern.size) return static_cast<int32_t>(start + 1);
                remaining = pattern.elements[e].count;
            }
            ++i;
        } else if (remaining < 0) {
            if (++e == pattern.size) return static_cast<int32_t>(start + 1);
            remaining = pattern.elements[e].count;
        } else {
            ++i;
            e = 0;
            remaining = pattern.elements[0].count;
            start = i;
        }
    }
    return 0;
}

} // namespace routines
