#pragma once
// The output file (SPOOL, PUT and spooled queries) and the server output: the lines
// database procedures print, collected after every run.

#include <QString>

// SPOOL name / SPOOL OFF.
void output_open();
// Closes the output file, if one is open.
void output_close();
// PUT text: its lines, each ended by a line break.
void output_write(const QString &text);
// A query run while an output file is open: one CSV line per row, ended by CR LF; a value
// holding a comma, a double quote or a line break is quoted as RFC 4180 says.
void output_query();
// PROMPT text: a line of server output.
void cmd_prompt();

// A line the server sent beside a statement's success (a notice or warning).
void serverOutputNotice(const QString &line);

// Creates the server-output table and procedures (after every connection).
void serverOutputSetup();
// Empties the buffer of printed lines and serverOutput (start of a run).
void serverOutputClear();
// Reads the printed lines into serverOutput (end of a run).
void serverOutputCollect();
