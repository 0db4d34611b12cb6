#pragma once
// The one database session: connecting, disconnecting, releasing statements, turning
// interface errors into the current message, small silent queries and CONNECT.

#include <QString>

#include <functional>
#include <optional>

struct CommandArgs;
struct FetchBuffer;
struct SessionState;

// What the engine does beside the session: it keeps the lines of server output, which the
// database layer only reports. Unset hooks do nothing.
struct SessionHooks {
    // A line the server sent beside a statement's success (a notice or warning).
    std::function<void(const QString &line)> serverNotice;
    // After every connection: the engine sets up its server output.
    std::function<void()> connected;
    // A value the session reports (the user and database of a connection, a statement's row
    // count, time and first value); the engine keeps it as a variable.
    std::function<void(const QString &name, const QString &value)> report;
    // What the engine keeps under a name (a column's COLUMN format), if anything.
    std::function<std::optional<QString>(const QString &name)> lookup;
};
void setSessionHooks(SessionHooks hooks);
void reportValue(const QString &name, const QString &value);
std::optional<QString> lookupValue(const QString &name);

int Norq_start();
// Connects; userid is replaced by the server's current user on success. 0 or -1.
int Norq_connect(SessionState &session, QString &database, QString &userid, QString &password);
int Norq_disconnect(SessionState &session);
// Drops the statement and commits the connection's work, unless the user opened a
// transaction that is still open.
int Norq_close(SessionState &session);
// Whether the session is inside a transaction the user opened and has not ended.
bool transactionOpen(const SessionState &session);
// A window's caption, with a note while a transaction the user opened is open: nothing
// commits it behind the user's back, so it must stay in sight.
QString captionWithTransaction(const QString &caption);
// Ends a transaction the user left open by rolling it back, as a run that ends there
// must; true when there was one. failure gets why the rollback failed ("" when it worked).
bool rollbackOpenTransaction(SessionState &session, QString *failure);
// After a failed execute or fetch: current message and code from the diagnostic,
// errorFlag set, statement dropped and work committed.
void reportCliError(SessionState &session);
// The diagnostic's plain text (after the third "]"); drops the statement.
QString lastCliError(SessionState &session);
// lastCliError() as the current message, errorFlag set. Always 0.
int Norq_error(SessionState &session);
// First column of the first row of a query, or "" (nothing shown or reported).
QString runSilentQuery(SessionState &session, FetchBuffer &buffer, const QString &sql);
QString sqlErrorMessage(const QString &id);
// CONNECT TO db [USER u [USING p]] / CONNECT RESET, from the command's arguments.
void cmdConnect(SessionState &session, const CommandArgs &command);

// A connection target as windows, messages and &database show it: a name in upper case,
// any password masked.
QString shownDatabaseName(const QString &database);

// Connected to a server that speaks Norq's dialect (the embedded engine included): its
// registry views, CURRENT USER and DBMS_OUTPUT are there to use.
bool connectedToNativeDialect(const SessionState &session);
// The messages a statement's success with information carried (a server's notices and
// warnings), as lines of server output.
void collectServerNotices(const SessionState &session);

// The text after the third "]" of a diagnostic, trimmed; the text unchanged when it has
// fewer than three.
QString plainErrorText(const QString &text);
