#pragma once
// The objects behind the opaque interface handles, shared by the two backends.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace cli {

// One diagnostic record: SQLSTATE, native code and message text.
struct Diagnostic {
    QByteArray state;
    int32_t native = 0;
    QByteArray message;
    bool present = false;

    void set(const char *sqlState, int32_t nativeCode, const QString &text) {
        state = sqlState;
        native = nativeCode;
        message = text.toUtf8();
        present = true;
    }
    void clear() { present = false; }
};

enum class HandleKind : uint32_t {
    Env = 0x50454E56,
    Connection = 0x50444243,
    Statement = 0x50535448
};

struct Handle {
    explicit Handle(HandleKind k) : kind(k) {}
    virtual ~Handle() = default;
    HandleKind kind;
    Diagnostic diag;
};

struct Env : Handle {
    Env() : Handle(HandleKind::Env) {}
    // SQLDataSources' list, built at the first-entry call.
    QList<std::pair<QByteArray, QByteArray>> sources;
    int nextSource = 0;
};

enum class Backend { None, Embedded, Odbc };

// Lines of the embedded engine's DBMS_OUTPUT module.
struct OutputBuffer {
    bool enabled = false;
    QStringList lines;
    QString partial;
    // As PAVONA.CLEAR_BUFFER left it: nothing printed, flushed or switched off since.
    bool asCleared = false;
};

struct Connection : Handle {
    Connection() : Handle(HandleKind::Connection) {}
    Env *env = nullptr;
    Backend backend = Backend::None;
    QString name; // as connected (upper case for embedded databases)
    QString user; // current user reported to the program
    sqlite3 *db = nullptr;
    void *odbcEnv = nullptr;
    void *odbcDbc = nullptr;
    // ODBC: the driver's handle of the last statement freed, cleared, for the next one:
    // allocating one is a good part of a short statement's time in some drivers.
    void *odbcSpareStmt = nullptr;
    OutputBuffer output;
    // ODBC: a transaction the user's own statements opened and have not ended yet.
    bool userTransaction = false;
    // ODBC: the server commits before a schema change, as MariaDB does.
    bool schemaChangesCommit = false;
    // ODBC: the driver fetches query rows through a cursor, and whether it does so now
    // (a data-modifying WITH cannot run in one).
    bool cursorFetch = false;
    bool cursorFetchOn = false;
    // Embedded: a file named by its path rather than one of the catalog.
    bool outsideFile = false;
};

// Description of one result column.
struct ColumnInfo {
    QByteArray name;
    int16_t type = 12;
    uint32_t size = 0;
    int16_t decimals = 0;
    int16_t nullable = 1;
};

// A column bound as character data.
struct Binding {
    char *buffer = nullptr;
    int32_t length = 0;
    int32_t *indicator = nullptr;
    int64_t odbcIndicator = 0;
    QByteArray binary; // ODBC: a binary column's bytes, handed over as hexadecimal digits
};

// A file bound to a parameter marker; its bytes stay here until the statement runs.
struct FileParameter {
    QByteArray data;
    int64_t odbcLength = 0;
};

using Value = std::optional<QByteArray>;

struct Statement : Handle {
    Statement() : Handle(HandleKind::Statement) {}
    Connection *conn = nullptr;
    bool noScan = false;
    int64_t maxRows = 0; // 0: no limit
    int64_t delivered = 0;
    std::vector<ColumnInfo> columns;
    std::vector<Binding> bindings;    // index 0 unused
    std::vector<FileParameter> files; // index 0 unused

    // Embedded: a prepared statement whose first row has been stepped already, or
    // rows produced by a built-in routine (materialized), or rows stepped in advance to
    // describe untyped columns (delivered before the statement's next ones).
    sqlite3_stmt *stmt = nullptr;
    bool rowPending = false;
    bool done = true;
    bool valuesStatement = false;
    std::vector<std::vector<Value>> rows;
    size_t nextRow = 0;
    bool materialized = false;
    Diagnostic deferred; // a failure met while stepping past the last delivered row

    // ODBC.
    void *odbcStmt = nullptr;
    std::vector<Diagnostic> info; // what the last execute's success with information said
};

// Handles are checked against the set of live ones before use, so a stale or foreign
// handle is refused instead of being followed.
Handle *lookup(void *handle);
void registerHandle(Handle *handle);
void releaseHandle(Handle *handle);

// Copies a value into a character buffer the way SQLBindCol promises: NUL-terminated,
// cut to the buffer (never inside a UTF-8 sequence); the indicator gets the full length.
void deliverValue(const Binding &binding, const Value &value);
// The same for bytes in hand (data null for a NULL value).
void deliverBytes(const Binding &binding, const char *data, qsizetype size);

// The bracketed vendor prefix of messages the layer produces itself.
QString vendorMessage(const QString &component, const QString &text);

} // namespace cli
