#pragma once
// Prints a query's rows as a column table: names, dashes, rows and the row count.

class ClientStatement;
class ToolOutput;

// Prints every row of statement; false when fetching failed part way (the rows read so
// far are printed, the error is left in the statement).
bool printResultTable(ClientStatement &statement, ToolOutput &out);
