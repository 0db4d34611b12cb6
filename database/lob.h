#pragma once
// XLOAD: INSERT with large-object values read from files named in square brackets.

#include <QString>

struct SessionState;

// Runs the XLOAD argument on the session; -1 when it names no file, 0 otherwise.
int Norq_load(SessionState &session, const QString &argument);

// At most this many bracketed files are bound; further ones are ignored.
constexpr int kMaxLoadFiles = 10;
