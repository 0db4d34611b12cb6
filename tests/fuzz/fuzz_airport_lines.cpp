// Random airport files: every row read must fit the caller's city and code buffers.
#include "routines/airport_file.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    FILE *file = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (file == nullptr) return 0;
    routines::AirportRow row;
    size_t rows = 0;
    while (routines::readAirportRow(file, row)) {
        if (std::strlen(row.city) >= 50 || std::strlen(row.code) >= 50) __builtin_trap();
        if (std::strchr(row.city, '\n') != nullptr || std::strchr(row.code, ';') != nullptr)
            __builtin_trap();
        if (++rows > size) __builtin_trap(); // each row consumes at least one byte
    }
    std::fclose(file);
    return 0;
}
