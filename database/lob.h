#pragma once
// XLOAD: INSERT with large-object values read from files named in square brackets.

// Reads engine.args[1]; -1 when it names no file, 0 otherwise.
int Norq_load();

// At most this many bracketed files are bound; further ones are ignored.
constexpr int kMaxLoadFiles = 10;
