// Writing the SQLSTATE and the diagnostic message without leaving their buffers.
#pragma once

namespace routines {

inline constexpr char endOfTable[] = "02000";
// User-defined error class of external routines.
inline constexpr char patternTooLong[] = "38601";

void setSqlState(char *sqlstate, const char (&state)[6]);
void setMessage(char *message, const char *text);

} // namespace routines
