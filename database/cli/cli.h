#pragma once
// The call-level interface the program uses, with the standard function names, argument
// orders and result codes. Two backends sit behind it: the embedded SQLite engine (a
// database NAME is NAME.db in the embedded catalog folder) and unixODBC, loaded at run
// time for names that are ODBC data sources. Everything stays inside namespace cli so
// nothing here interposes on the driver manager's own symbols. Texts are UTF-8 bytes.

#include "core/engine_state.h"

#include <cstdint>

namespace cli {

// Result codes.
constexpr int kSuccess = 0;
constexpr int kSuccessWithInfo = 1;
constexpr int kNoData = 100;
constexpr int kError = -1;
constexpr int kInvalidHandle = -2;

// Length meaning "NUL-terminated".
constexpr int kNullTerminated = -3;

// Statement attributes: no escape scanning; the most rows a result delivers (0: all).
constexpr int kAttrNoScan = 2;
constexpr int kAttrMaxRows = 1;
// SQLGetInfo: the server's product name; the connected user's name.
constexpr int16_t kInfoDbmsName = 17;
constexpr int16_t kInfoUserName = 47;
// SQLFreeStmt options.
constexpr int16_t kClose = 0;
constexpr int16_t kDrop = 1;
// SQLEndTran.
constexpr int16_t kHandleEnv = 1;
constexpr int16_t kHandleDbc = 2;
constexpr int16_t kHandleStmt = 3;
constexpr int16_t kCommit = 0;
constexpr int16_t kRollback = 1;
// SQLDataSources directions.
constexpr int16_t kFetchNext = 1;
constexpr int16_t kFetchFirst = 2;
// SQLBindCol target type: character data.
constexpr int16_t kCChar = 1;
// SQLBindFileToParam file option: read.
constexpr uint32_t kFileRead = 2;
// Indicator of a NULL value.
constexpr int32_t kNullData = -1;

// Type codes of described columns.
enum TypeCode : int16_t {
    kTypeChar = 1,
    kTypeNumeric = 2,
    kTypeDecimal = 3,
    kTypeInteger = 4,
    kTypeSmallint = 5,
    kTypeFloat = 6,
    kTypeReal = 7,
    kTypeDouble = 8,
    kTypeDate = 9,
    kTypeTime = 10,
    kTypeTimestamp = 11,
    kTypeVarchar = 12,
    kTypeBigint = -5,
    kTypeBlob = -98,
    kTypeClob = -99,
    kTypeDecfloat = -360,
    kTypeXml = -370,
};

int SQLAllocEnv(CliHandle *env);
int SQLAllocConnect(CliHandle env, CliHandle *dbc);
int SQLConnect(CliHandle dbc, const char *db, int dbLen, const char *uid, int uidLen,
               const char *pwd, int pwdLen);
int SQLDisconnect(CliHandle dbc);
int SQLFreeConnect(CliHandle dbc);
int SQLFreeEnv(CliHandle env);
int SQLAllocStmt(CliHandle dbc, CliHandle *stmt);
int SQLSetStmtAttr(CliHandle stmt, int attr, intptr_t value, int len);
int SQLExecDirect(CliHandle stmt, const char *text, int len);
int SQLNumResultCols(CliHandle stmt, int16_t *count);
int SQLDescribeCol(CliHandle stmt, int16_t col, char *name, int16_t bufLen, int16_t *nameLen,
                   int16_t *type, uint32_t *size, int16_t *decimals, int16_t *nullable);
// The value lands NUL-terminated in buf (cut to bufLen - 1 bytes); *len gets its full
// length, or kNullData for a NULL.
int SQLBindCol(CliHandle stmt, int16_t col, int16_t cType, void *buf, int32_t bufLen, int32_t *len);
int SQLFetch(CliHandle stmt);
int SQLFreeStmt(CliHandle stmt, int16_t option);
int SQLEndTran(int16_t handleType, CliHandle handle, int16_t completion);
// Whether the connection is inside a transaction the user's own statements opened (BEGIN,
// START TRANSACTION, a SAVEPOINT outside one on the embedded engine) and have not ended:
// only the user's COMMIT or ROLLBACK, or an explicit SQLEndTran, ends it.
bool transactionOpen(CliHandle dbc);
// Diagnostic of the innermost non-null handle (stmt, then dbc, then env); 100 when
// there is none. state receives 5 characters and a NUL.
int SQLError(CliHandle env, CliHandle dbc, CliHandle stmt, char *state, int32_t *native, char *msg,
             int16_t msgMax, int16_t *msgLen);
// Diagnostic record `record` (from 1) of a handle of type handleType (2 connection, 3
// statement); 100 when there is no such record. Lets a caller read every message a
// success with information carried.
int SQLGetDiagRec(int16_t handleType, CliHandle handle, int16_t record, char *state,
                  int32_t *native, char *msg, int16_t msgMax, int16_t *msgLen);
// A text the connection reports about itself (kInfoDbmsName, kInfoUserName).
int SQLGetInfo(CliHandle dbc, int16_t info, char *value, int16_t valueMax, int16_t *valueLen);
// Embedded databases first, then the ODBC data sources; 100 ends the list.
int SQLDataSources(CliHandle env, int16_t direction, char *name, int16_t nameMax, int16_t *nameLen,
                   char *desc, int16_t descMax, int16_t *descLen);
// Binds the named file's contents to parameter marker `marker` (from 1) as binary data.
// The file is read when the statement executes.
int SQLBindFileToParam(CliHandle stmt, int16_t marker, int16_t sqlType, const char *fileName,
                       int16_t *nameLen, uint32_t *options, int16_t maxNameLen, int32_t *indicator);
// Cancels the statement now executing or fetching; callable from any thread. Until
// allowExecution(), every execute and fetch fails as cancelled.
void cancelExecution();
void allowExecution();
// Called about ten times a second while an embedded statement runs, so that a window can
// take a Stop; calls made meanwhile from the hook are refused. nullptr: none.
void setEventHook(void (*hook)());
// Whether a statement is executing or fetching now (the hook is the only way in meanwhile).
bool executing();
// Whether the connection's server output is known to be as PAVONA.CLEAR_BUFFER leaves it
// (enabled, nothing printed since): only the embedded engine can say; a server's
// routines print unseen.
bool serverOutputAsCleared(CliHandle dbc);
// Starts the database manager; the embedded engine has nothing to start.
int sqlepstart_api(void *options, void *sqlca);

} // namespace cli
