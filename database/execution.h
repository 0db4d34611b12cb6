#pragma once
// Running one SQL statement and presenting its result, as grid rows or as a fixed-width
// text block, plus the administrative command wrapper.

#include <QString>

class ResultGrid;
struct FetchBuffer;

// Runs sql; in grid mode (engine.gridMode) the rows go to grid, otherwise into
// engine.resultText (grid may then be null). The outcome is left in the engine state.
int Norq_sql(QString &sql, bool showResults, ResultGrid *grid, bool checkConnection);
// CALL ADMIN_CMD('command ') through Norq_sql.
void adminCommand(const QString &command, ResultGrid *grid);
// Text of the buffer from byte `start` (from 1), up to the first NUL or `length` bytes,
// each LF turned into CR LF.
QString bytesToText(const FetchBuffer &buffer, int start, int length);
