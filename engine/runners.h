#pragma once
// Script commands handed to child processes: the shell (CMD, HOST, "!"), the command-line
// processor (NORQ, CLP), the registry tool (NORQSET) and the JSON tool (JSON). A runner
// writes its work files in the current folder, starts the child in the background, sets
// engine.busy and polls the child every 100 ms; the dispatcher keeps the windows alive
// until the poll sees the child end and reads its output back into engine.outputText.

#include "engine/explain.h"

// Registers NORQ, CLP, JSON, NORQSET, CMD, HOST and SHOWPLAN with the dispatcher.
void registerRunnerCommands();

// Whether a command keyword (as parseCommand gives it) starts a child program.
bool startsChildProgram(const QString &keyword);
// Off (--no-child-programs): every statement that would start a child program fails.
void setChildProgramsAllowed(bool allowed);
bool childProgramsAllowed();
// The keyword of each statement of a run text that would start a child program, in
// order ("!" as written).
QStringList childProgramStatements(const QString &runText);

void cmd_dos();
void cmd_norqset();
void cmd_norq();
void cmd_clp();
void cmd_json();

// Timer callbacks: each ends the wait once the child has ended, reading back the output
// of the command processor or of the JSON tool.
void pollCommand();
void pollJson();
