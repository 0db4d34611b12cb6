#pragma once
// The commands the engine runs itself, and their registration in the dispatch table.

struct CommandContext;

// Registers every built-in keyword (SQL and the engine's own commands).
void registerBuiltinCommands();

void cmd_viewfile();
// START file / RUN file: the file's statements as a run of their own.
void cmd_run(const CommandContext &context);
void cmd_test();
void cmd_erase();
void cmd_option();
// OPTION MAXDISPLAY n and OPTION MAXROWS n: n is held to its range, and maxRows is never
// below maxDisplay.
void setMaxDisplay(int value);
void setMaxRows(int value);
void cmd_column();
void cmd_execute();
