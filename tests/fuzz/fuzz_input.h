#pragma once
// What every target needs: a check that stops the fuzzer on a broken promise, and the
// input as text.

#include <QString>
#include <cstddef>
#include <cstdint>

inline void check(bool condition) {
    if (!condition) __builtin_trap();
}

inline QString inputText(const uint8_t *data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}
