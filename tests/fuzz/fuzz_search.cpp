// Random patterns and texts for `search`: the input is split at its first NUL byte into
// pattern and text, each copied into a buffer of exactly its size so that AddressSanitizer
// sees any read past a terminating NUL.
#include "routines/routines.h"

#include <cstdlib>
#include <cstring>

namespace {

char *exactCopy(const uint8_t *data, size_t size) {
    auto *copy = static_cast<char *>(std::malloc(size + 1));
    std::memcpy(copy, data, size);
    copy[size] = '\0';
    return copy;
}

void check(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto *nul = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const size_t patternSize = nul != nullptr ? static_cast<size_t>(nul - data) : size;
    const size_t textOffset = nul != nullptr ? patternSize + 1 : size;
    char *pattern = exactCopy(data, patternSize);
    char *text = exactCopy(data + textOffset, size - textOffset);
    auto *sqlstate = static_cast<char *>(std::malloc(PAVONA_SQLSTATE_SIZE));
    auto *message = static_cast<char *>(std::malloc(PAVONA_MESSAGE_SIZE));
    std::memcpy(sqlstate, "00000", PAVONA_SQLSTATE_SIZE);
    message[0] = '\0';

    const int16_t notNull = 0;
    int32_t result = -1;
    int16_t resultNull = -2;
    search(pattern, text, &result, &notNull, &notNull, &resultNull, sqlstate, "SEARCH", "SEARCH",
           message);

    if (resultNull == 0) {
        // A match starts at a byte of the text or at its terminating NUL.
        const auto textLength = static_cast<int64_t>(std::strlen(text));
        check(result >= 0 && result <= textLength + 1);
        check(std::strcmp(sqlstate, "00000") == 0 && message[0] == '\0');
    } else {
        check(resultNull == -1 && std::strcmp(sqlstate, "38601") == 0);
        check(std::strlen(message) < PAVONA_MESSAGE_SIZE);
    }

    std::free(message);
    std::free(sqlstate);
    std::free(text);
    std::free(pattern);
    return 0;
}
