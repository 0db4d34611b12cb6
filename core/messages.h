#pragma once
// The message table, the one way engine procedures report an outcome, and the small
// file utilities shared by several parts of the program.

#include <QString>

// Fills the 200-entry message table.
void set_messages();
// Sets msgText and msgCode. textOnly: msgText is text alone; otherwise message number
// followed by text (an empty text when number is outside 1..200). procName is the caller,
// kept for reading the code, not used.
void setMessage(bool textOnly, int code, int number, const QString &text, const QString &procName);
// Elapsed seconds as "0.000s)".
QString formatElapsed(double seconds);
// message + " (0.003s)"; the message alone when the run leaves times out (noTimings).
QString withElapsed(const QString &message, double seconds);
// The heading of a script library's first line ({H1}..{H4}), or "No Title: " + file.
QString libraryTitle(const QString &file);
// Reads up to limit + 1 lines (never more than the 10000-line buffer) into fileLines;
// false, with the reason in error when one is given, when the file cannot be read.
bool readLines(const QString &file, int limit, QString *error = nullptr);
// fileLines 1..fileLineCount joined with carriage returns.
QString joinLines();
