#pragma once
// SHOWPLAN: the access plan and estimated cost of a statement, from the explain tool.

#include <QString>

// Handler of SHOWPLAN: shows the plan of argument 1.
void cmd_explain();
// Runs the explain tool on statement and sets outputText (the cost line, an empty line,
// the plan lines), resultKind 2 and the variable PLANCOST. Shows nothing when the tool
// reports no cost or no plan. Returns why the plan could not be made (the work file could
// not be written, the tool could not start or failed), "" otherwise.
QString showPlan(const QString &statement);
// Reads the explain tool's report file (NORQCMDS.OUT in the current folder) into
// outputText and PLANCOST, as showPlan does after the tool has ended.
void readPlanReport();
