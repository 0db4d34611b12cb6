#include "routines/routines.h"

#include "routines/airport_file.h"
#include "routines/routine_status.h"

#include <cstdio>
#include <cstring>

namespace {

// What the scratchpad's data area holds between calls.
struct AirportsState {
    FILE *file;
    int32_t status; // 1 open, -1 failed, 0 neither (zero-filled or closed)
};

constexpr int32_t statusOpen = 1;
constexpr int32_t statusFailed = -1;

bool fitsScratchpad(const PavonaScratchpad *scratchpad) {
    return scratchpad != nullptr && scratchpad->length >= sizeof(AirportsState) &&
           sizeof(AirportsState) <= sizeof scratchpad->data;
}

// The data area follows a 4-byte length word, so the state is copied, not cast.
AirportsState loadState(const PavonaScratchpad *scratchpad) {
    AirportsState state;
    std::memcpy(&state, scratchpad->data, sizeof state);
    return state;
}

void storeState(PavonaScratchpad *scratchpad, const AirportsState &state) {
    std::memcpy(scratchpad->data, &state, sizeof state);
}

void closeFile(AirportsState &state) {
    if (state.status == statusOpen && state.file != nullptr) std::fclose(state.file);
    state = AirportsState{nullptr, 0};
}

void openTable(AirportsState &state, char *sqlstate) {
    closeFile(state); // an open without a close in between would leak the file
    state.file = routines::openAirportsFile();
    state.status = state.file != nullptr ? statusOpen : statusFailed;
    if (state.status == statusFailed) routines::setSqlState(sqlstate, routines::endOfTable);
}

void fetchRow(AirportsState &state, char *city, char *code, int16_t *cityNull, int16_t *codeNull,
              char *sqlstate) {
    routines::AirportRow row;
    if (state.status != statusOpen || state.file == nullptr ||
        !routines::readAirportRow(state.file, row)) {
        routines::setSqlState(sqlstate, routines::endOfTable);
        return;
    }
    std::memcpy(city, row.city, std::strlen(row.city) + 1);
    std::memcpy(code, row.code, std::strlen(row.code) + 1);
    *cityNull = 0;
    *codeNull = row.hasCode ? 0 : -1;
}

} // namespace

extern "C" void airports(char *city, char *code, int16_t *cityNull, int16_t *codeNull,
                         char *sqlstate, const char *, const char *, char *,
                         PavonaScratchpad *scratchpad, const int32_t *callType) {
    if (!fitsScratchpad(scratchpad) || callType == nullptr) {
        routines::setSqlState(sqlstate, routines::endOfTable);
        return;
    }
    AirportsState state = loadState(scratchpad);
    switch (*callType) {
    case PAVONA_CALL_OPEN:
        openTable(state, sqlstate);
        break;
    case PAVONA_CALL_CLOSE:
    case PAVONA_CALL_FINAL:
        closeFile(state);
        break;
    case PAVONA_CALL_FIRST:
        break;
    default:
        fetchRow(state, city, code, cityNull, codeNull, sqlstate);
        break;
    }
    storeState(scratchpad, state);
}
