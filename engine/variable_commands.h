#pragma once
// The ACCEPT, DEFINE and UNDEF/UNDEFINE commands over the variable store.

class ResultGrid;

void cmd_accept();
// DEFINE name value; DEFINE alone lists the variables as a query result.
void cmd_var(ResultGrid *grid);
void cmd_undefine();
