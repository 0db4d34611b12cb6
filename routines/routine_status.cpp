#include "routines/routine_status.h"

#include "routines/routine_types.h"

#include <cstring>

namespace routines {

void setSqlState(char *sqlstate, const char (&state)[6]) {
    if (sqlstate != nullptr) std::memcpy(sqlstate, state, PAVONA_SQLSTATE_SIZE);
}

void setMessage(char *message, const char *text) {
    if (message == nullptr) return;
    const size_t length = strnlen(text, PAVONA_MESSAGE_SIZE - 1);
    std::memcpy(message, text, length);
    message[length] = '\0';
}

} // namespace routines
