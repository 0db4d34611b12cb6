#pragma once
// A window-less run of a script library: connect without a dialog, render the script as
// Script View does, run every statement row as Run all does, export as File > Export
// does. The caller has created the application object (on the offscreen platform).

#include "app/batch_options.h"
#include "document/document_run.h"

#include <QString>

// One line on standard error, at once: the run's messages and progress.
void say(const QString &line);

// Returns the exit status (BatchExit); messages and progress go to standard error.
int runBatch(const BatchOptions &options);

// "[3/17] SUMMARY ... MESSAGE (0.004s)", on one line; a failed statement's message is
// marked "FAILED:". The time is left out when the message already ends with one, and
// when the run leaves times out (engine.noTimings).
QString progressLine(const StatementRun &run, const QString &message, bool failed);

// Whether a script may draw a chart: it names PLOT, or runs other scripts or builds a
// statement from a variable, either of which may. A script that cannot be read may not.
bool scriptMayDraw(const QString &path);
