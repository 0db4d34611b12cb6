#pragma once
// The single entry through which every window runs script text.

#include <QString>

class ResultGrid;
struct RunOutcome;
class QObject;

// Runs the statements of text (lines separated by carriage returns): substitutes
// variables, dispatches each statement by its keyword and returns the outcome, which it
// also leaves in the engine state. grid and chart belong to the calling window and may be
// null.
RunOutcome runScript(const QString &text, ResultGrid *grid, QObject *chart);
// The same for statements already cut from their text (see StatementAssembler).
void runStatements(const QStringList &statements, ResultGrid *grid, QObject *chart);

// Makes text the run's message, shown under whatever output the run left (a result, a
// command's text or server output), or as the output itself when there is none.
void setOutcomeMessage(const QString &text);

// How deep START/RUN may nest before a run refuses to start another level.
constexpr int kMaxRunDepth = 32;
// Nesting depth of the run now in progress (0 when none).
int runDepth();
