#pragma once
// Statements and data as they may be shown outside the running program (exports, the run
// history, progress lines): a password never shows, and a terminal never acts on data.

#include <QString>

// The value after USING of every CONNECT TO ... USER ... USING (a statement, a command
// processor block or its echoed output), the password of a URI (scheme://user:password@)
// and the PWD= of an ODBC connection string as "********".
QString withPasswordsMasked(const QString &text);

// Control characters as "\xNN" (tab kept when keepTabs), so that a terminal or pager
// shows what the data holds instead of acting on it; a NUL shows too, the text after it
// kept.
QString withControlsEscaped(const QString &text, bool keepTabs = false);
