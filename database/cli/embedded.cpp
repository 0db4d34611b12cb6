#include "database/cli/embedded.h"

#include "core/install_layout.h"
#include "database/cli/cancel.h"
#include "database/cli/cli.h"
#include "database/cli/embedded_constraints.h"
#include "database/cli/embedded_dialect.h"
#include "database/cli/embedded_types.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace cli::embedded {
namespace {

struct ErrorMapping {
    const char *fragment;
    const char *state;
    int32_t native;
};

// SQLite's messages mapped to the SQLSTATE and native code a server would report.
constexpr ErrorMapping kErrorMappings[] = {
    {"no such table", "42704", -204},
    {"unknown database", "42704", -204},
    {"no such column", "42703", -206},
    {"syntax error", "42601", -104},
    {"incomplete input", "42601", -104},
    {"unrecognized token", "42601", -104},
    {"UNIQUE constraint failed", "23505", -803},
    {"NOT NULL constraint failed", "23502", -407},
    {"FOREIGN KEY constraint failed", "23503", -530},
    {"CHECK constraint failed", "23513", -545},
    {"already exists", "42710", -601},
    {"no such function", "42884", -440},
    {"wrong number of arguments", "42884", -440},
    {"datatype mismatch", "22018", -420}, // a value that is no integer for a rowid key
    {"database is locked", "57033", -911},
    {"readonly database", "42501", -551},
    {"values were supplied", "42802", -117},
    {"has no column named", "42703", -206},
    {"columns but", "42802", -117},
};

// The routine library registers its functions with each connection; without it the
// database still works, only those functions are missing.
void loadRoutineLibrary(sqlite3 *db) {
    const QString path = routineLibraryPath();
    if (!QFileInfo::exists(path)) return;
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr);
    char *error = nullptr;
    sqlite3_load_extension(db, QFile::encodeName(path).constData(), "sqlite3_pavona_init", &error);
    sqlite3_free(error);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
}

QString defaultUser() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("LOGNAME");
    return user.isEmpty() ? QStringLiteral("PAVONA") : user.toUpper();
}

bool isChangeStatement(const QString &word) {
    static const QStringList words = {QStringLiteral("INSERT"), QStringLiteral("UPDATE"),
                                      QStringLiteral("DELETE"), QStringLiteral("MERGE"),
                                      QStringLiteral("REPLACE")};
    return words.contains(word);
}

// Rows stepped in advance to describe untyped columns when no row limit says how many
// the caller wants.
constexpr size_t kLookAhead = 1000;
constexpr uint32_t kUnknownTextSize = 4000;
constexpr int kBusyMilliseconds = 3000;
// Of a text or binary value, what is kept for delivery: more than any caller's buffer takes,
// and far less than a value of a quarter gigabyte, which in digits would cost four times that.
constexpr int kMostBytesKept = 32000;

// What the rows stepped in advance hold in one untyped column.
struct SeenValues {
    bool integer = false, real = false, text = false, blob = false;
    bool beyond32Bits = false; // an integer outside INTEGER's range
    uint32_t longest = 0;      // bytes of the longest value as the caller receives it
};

bool fitsInteger(sqlite3_int64 value) {
    return value >= INT32_MIN && value <= INT32_MAX;
}

// An untyped column (an expression, or a type outside the known set) is described from
// every row it returns; `complete` is false when rows remain beyond the look-ahead.
ColumnInfo typeFromValues(const SeenValues &seen, bool complete) {
    ColumnInfo info;
    const auto sized = [&](uint32_t minimum) {
        return complete ? std::max(seen.longest, minimum)
                        : std::clamp<uint32_t>(seen.longest * 2, 255, kUnknownTextSize);
    };
    if (seen.text || (seen.blob && (seen.integer || seen.real))) {
        info.type = kTypeVarchar;
        info.size = sized(1);
    } else if (seen.blob) {
        info.type = kTypeBlob;
        info.size = sized(2); // hexadecimal digits
    } else if (seen.real) {
        info.type = kTypeDouble;
        info.size = 15;
    } else if (seen.integer && complete && !seen.beyond32Bits) {
        // Every row the caller will get was seen: a count or a sum of small numbers is
        // as narrow as an INTEGER column.
        info.type = kTypeInteger;
        info.size = 10;
    } else if (seen.integer) {
        info.type = kTypeBigint;
        info.size = 19;
    } else {
        info.type = kTypeVarchar;
        info.size = 255;
    }
    return info;
}

int16_t columnNullable(sqlite3 *db, sqlite3_stmt *stmt, int col) {
    const char *database = sqlite3_column_database_name(stmt, col);
    const char *table = sqlite3_column_table_name(stmt, col);
    const char *origin = sqlite3_column_origin_name(stmt, col);
    if (!table || !origin) return 1;
    int notNull = 0, primaryKey = 0;
    if (sqlite3_table_column_metadata(db, database, table, origin, nullptr, nullptr, &notNull,
                                      &primaryKey, nullptr) != SQLITE_OK)
        return 1;
    return notNull ? 0 : 1;
}

Value columnValue(sqlite3_stmt *stmt, int col, const ColumnInfo &info);
bool step(Statement *st);

// Steps ahead while untyped columns need seeing, keeping the rows for delivery. A failure
// on the way is kept for the fetch after the rows stepped before it.
std::vector<SeenValues> lookAhead(Statement *st, const std::vector<bool> &untyped, bool &complete) {
    std::vector<SeenValues> seen(untyped.size());
    const size_t limit = st->maxRows > 0 ? static_cast<size_t>(st->maxRows) : kLookAhead;
    while (st->rowPending && st->rows.size() < limit) {
        std::vector<Value> row;
        row.reserve(untyped.size());
        for (size_t c = 0; c < untyped.size(); ++c) {
            const int col = static_cast<int>(c);
            row.push_back(columnValue(st->stmt, col, st->columns[c]));
            if (!untyped[c] || !row.back()) continue;
            switch (sqlite3_column_type(st->stmt, col)) {
            case SQLITE_INTEGER:
                seen[c].integer = true;
                if (!fitsInteger(sqlite3_column_int64(st->stmt, col))) seen[c].beyond32Bits = true;
                break;
            case SQLITE_FLOAT:
                seen[c].real = true;
                break;
            case SQLITE_BLOB:
                seen[c].blob = true;
                break;
            default:
                seen[c].text = true;
                break;
            }
            const int kind = sqlite3_column_type(st->stmt, col);
            const qint64 bytes = sqlite3_column_bytes(st->stmt, col);
            const qint64 size = kind == SQLITE_BLOB   ? 2 * bytes
                                : kind == SQLITE_TEXT ? bytes
                                                      : row.back()->size();
            seen[c].longest = std::max(seen[c].longest,
                                       static_cast<uint32_t>(std::min<qint64>(size, UINT32_MAX)));
        }
        st->rows.push_back(std::move(row));
        if (!step(st)) {
            st->deferred = st->diag;
            st->diag.clear();
            break;
        }
    }
    // Rows past the caller's limit are never delivered; rows past the look-ahead are.
    complete =
        !st->rowPending || (st->maxRows > 0 && st->rows.size() >= static_cast<size_t>(st->maxRows));
    return seen;
}

void describeColumns(Statement *st) {
    sqlite3_stmt *stmt = st->stmt;
    const int count = sqlite3_column_count(stmt);
    st->columns.assign(count, ColumnInfo{});
    std::vector<bool> untyped(count, false);
    for (int c = 0; c < count; ++c) {
        ColumnInfo &info = st->columns[c];
        const char *declared = sqlite3_column_decltype(stmt, c);
        const auto parsed =
            declared ? parseDeclaredType(QString::fromUtf8(declared)) : std::nullopt;
        if (parsed) {
            info.type = parsed->type;
            info.size = parsed->size;
            info.decimals = parsed->decimals;
        } else {
            untyped[c] = true;
        }
        info.name = st->valuesStatement ? QByteArray::number(c + 1)
                                        : QByteArray(sqlite3_column_name(stmt, c));
        info.nullable = columnNullable(st->conn->db, stmt, c);
    }
    if (std::find(untyped.begin(), untyped.end(), true) != untyped.end()) {
        bool complete = true;
        const std::vector<SeenValues> seen = lookAhead(st, untyped, complete);
        for (int c = 0; c < count; ++c) {
            if (!untyped[c]) continue;
            const ColumnInfo typed = typeFromValues(seen[c], complete);
            st->columns[c].type = typed.type;
            st->columns[c].size = typed.size;
        }
    }
    st->bindings.assign(count + 1, Binding{});
}

bool isDecimal(const ColumnInfo &info) {
    return info.type == kTypeDecimal || info.type == kTypeNumeric;
}

// Room for the fixed form of any value fastFixed takes.
constexpr int kFixedRoom = 48;

// The value with the given places written into out, without the general formatter when
// the shortest form that reads back as the value has no more places: while one place is
// wider than the spacing of doubles around the value, rounding the value itself gives
// that same form. Returns the length, or -1 where the general formatter must decide.
int fastFixed(double value, int places, char (&out)[kFixedRoom]) {
    constexpr double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (value == 0 || !std::isfinite(value) || places < 0 || places > 9 ||
        std::fabs(value) * kPowers[places] >= 4e15)
        return -1;
    const auto [end, error] =
        std::to_chars(out, out + kFixedRoom - 12, value, std::chars_format::fixed);
    if (error != std::errc()) return -1;
    char *point = std::find(out, end, '.');
    const int shown = point == end ? 0 : static_cast<int>(end - point - 1);
    if (shown > places) return -1;
    char *last = end;
    if (point == end && places > 0) *last++ = '.';
    last = std::fill_n(last, places - shown, '0');
    return static_cast<int>(last - out);
}

// A whole number in a column with places, as fastFixed writes its exact double.
int wholeFixed(sqlite3_int64 value, int places, char (&out)[kFixedRoom]) {
    constexpr sqlite3_int64 kExact = sqlite3_int64(1) << 52;
    if (value == 0 || value >= kExact || value <= -kExact || places < 1 || places > 9) return -1;
    char *last = std::to_chars(out, out + 24, value).ptr;
    *last++ = '.';
    last = std::fill_n(last, places, '0');
    return static_cast<int>(last - out);
}

QByteArray formatNumber(double value, const ColumnInfo &info) {
    if (isDecimal(info)) {
        char fixed[kFixedRoom];
        const int length = fastFixed(value, info.decimals, fixed);
        if (length >= 0) return QByteArray(fixed, length);
        return QByteArray::number(value, 'f', info.decimals);
    }
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QByteArray::number(static_cast<qint64>(value));
    return QByteArray::number(value, 'g', 15);
}

Value columnValue(sqlite3_stmt *stmt, int col, const ColumnInfo &info) {
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(stmt, col);
        if (isDecimal(info) && info.decimals > 0) return formatNumber(static_cast<double>(v), info);
        return QByteArray::number(v);
    }
    case SQLITE_FLOAT:
        return formatNumber(sqlite3_column_double(stmt, col), info);
    case SQLITE_BLOB: {
        // Binary data bound as characters arrives as hexadecimal digits.
        const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt, col));
        const int shown = std::min(sqlite3_column_bytes(stmt, col), kMostBytesKept / 2);
        return QByteArray::fromRawData(data, shown).toHex().toUpper();
    }
    default: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
        return QByteArray(text ? text : "",
                          std::min(sqlite3_column_bytes(stmt, col), kMostBytesKept));
    }
    }
}

// Text and whole numbers go straight into the caller's buffer; the rest is formatted.
void deliverColumn(const Binding &binding, sqlite3_stmt *stmt, int col, const ColumnInfo &info) {
    const int kind = sqlite3_column_type(stmt, col);
    if (kind == SQLITE_TEXT) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, col));
        deliverBytes(binding, text ? text : "", sqlite3_column_bytes(stmt, col));
        return;
    }
    if (kind == SQLITE_INTEGER && !(isDecimal(info) && info.decimals > 0)) {
        char digits[24];
        const auto end =
            std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(stmt, col));
        deliverBytes(binding, digits, end.ptr - digits);
        return;
    }
    if ((kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) && isDecimal(info)) {
        char fixed[kFixedRoom];
        const int length = kind == SQLITE_INTEGER
                               ? wholeFixed(sqlite3_column_int64(stmt, col), info.decimals, fixed)
                               : fastFixed(sqlite3_column_double(stmt, col), info.decimals, fixed);
        if (length >= 0) {
            deliverBytes(binding, fixed, length);
            return;
        }
    }
    deliverValue(binding, columnValue(stmt, col, info));
}

bool bindFiles(Statement *st) {
    for (size_t marker = 1; marker < st->files.size(); ++marker) {
        const QByteArray &data = st->files[marker].data;
        if (data.isNull()) continue;
        const int rc = sqlite3_bind_blob64(st->stmt, static_cast<int>(marker), data.constData(),
                                           static_cast<sqlite3_uint64>(data.size()), SQLITE_STATIC);
        if (rc != SQLITE_OK) {
            st->diag.set("07009", -313,
                         vendorMessage(QStringLiteral("Embedded"),
                                       QStringLiteral("The file of parameter marker %1 cannot be "
                                                      "bound: %2")
                                           .arg(marker)
                                           .arg(QString::fromUtf8(sqlite3_errmsg(st->conn->db)))));
            return false;
        }
    }
    return true;
}

// Whether what SQLite left after the first statement is only blanks, ";" and comments.
bool onlyCommentsFollow(const char *tail) {
    const char *p = tail;
    while (p && *p) {
        if (std::isspace(static_cast<unsigned char>(*p)) || *p == ';') {
            ++p;
        } else if (p[0] == '-' && p[1] == '-') {
            while (*p && *p != '\n')
                ++p;
        } else if (p[0] == '/' && p[1] == '*') {
            const char *end = std::strstr(p + 2, "*/");
            if (!end) return true; // an open comment is still a comment to SQLite
            p = end + 2;
        } else {
            return false;
        }
    }
    return true;
}

// Steps to the next row; false (diagnostic on st) on an error.
bool step(Statement *st) {
    const int rc = sqlite3_step(st->stmt);
    if (rc == SQLITE_ROW) {
        st->rowPending = true;
        return true;
    }
    st->rowPending = false;
    st->done = true;
    if (rc == SQLITE_DONE) return true;
    setSqliteError(st, st->conn->db);
    return false;
}

} // namespace

void setSqliteError(Handle *handle, sqlite3 *db) {
    const QString text =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    if (const ConstraintFailure failure = typeConstraintFailure(text); failure.found) {
        handle->diag.set(failure.state, failure.native,
                         vendorMessage(QStringLiteral("SQLite"), failure.text));
        return;
    }
    const char *state = "HY000";
    int32_t native = db ? -(10000 + sqlite3_extended_errcode(db)) : -10007;
    for (const ErrorMapping &m : kErrorMappings) {
        if (text.contains(QLatin1String(m.fragment), Qt::CaseInsensitive)) {
            state = m.state;
            native = m.native;
            break;
        }
    }
    handle->diag.set(state, native,
                     vendorMessage(QStringLiteral("SQLite"),
                                   text + QStringLiteral("  SQLSTATE=") + QLatin1String(state)));
}

bool runSql(Handle *handle, sqlite3 *db, const QString &sql) {
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    sqlite3_free(error);
    setSqliteError(handle, db);
    return false;
}

bool databaseFileMoved(sqlite3 *db) {
    int moved = 0;
    return sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
           moved != 0;
}

// Before the library starts: its memory statistics, which nothing reads, took a lock
// around every allocation, hundreds for each statement prepared.
void configureLibraryOnce() {
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

int connect(Connection *conn, const QString &file, const QString &user, bool inCatalog) {
    configureLibraryOnce();
    sqlite3 *db = nullptr;
    // One thread uses a connection (others only interrupt it, which needs no lock): the
    // library's lock around every call was a good part of fetching a row.
    const int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        conn->diag.set("08001", -1031,
                       vendorMessage(QStringLiteral("Embedded"),
                                     QStringLiteral("The database file \"%1\" cannot be opened: %2")
                                         .arg(file, QString::fromUtf8(sqlite3_errstr(rc)))));
        sqlite3_close(db);
        return kError;
    }
    sqlite3_extended_result_codes(db, 1);
    // Another connection switching the file to WAL holds it for a moment.
    sqlite3_busy_timeout(db, kBusyMilliseconds);
    // Opening reads nothing: a file that is not a database shows only when its schema is
    // read, and must fail here, before anything could write to it.
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        conn->diag.set("08001", -1031,
                       vendorMessage(QStringLiteral("SQLite"),
                                     QStringLiteral("The database file \"%1\" cannot be opened: %2")
                                         .arg(file, QString::fromUtf8(sqlite3_errmsg(db)))));
        sqlite3_close(db);
        return kError;
    }
    // One sync per commit with the durability of the rollback journal's two or three, and
    // the command-line tools read while the program writes. Without waiting: a file another
    // program holds keeps its journal until the next connection.
    conn->outsideFile = !inCatalog;
    if (inCatalog) {
        sqlite3_busy_timeout(db, 0);
        runSql(conn, db, QStringLiteral("PRAGMA journal_mode = WAL"));
        sqlite3_busy_timeout(db, kBusyMilliseconds);
    }
    runSql(conn, db, QStringLiteral("PRAGMA synchronous = FULL"));
    runSql(conn, db, QStringLiteral("PRAGMA foreign_keys = ON"));
    // The program keeps its server-output table in schema PAVONA, private to the session.
    runSql(conn, db, QStringLiteral("ATTACH DATABASE ':memory:' AS PAVONA"));
    conn->diag.clear();
    loadRoutineLibrary(db);
    watchProgress(db);
    conn->db = db;
    conn->backend = Backend::Embedded;
    conn->user = user.trimmed().isEmpty() ? defaultUser() : user.trimmed().toUpper();
    conn->output = OutputBuffer{};
    return kSuccess;
}

void disconnect(Connection *conn) {
    if (!conn->db) return;
    sqlite3_close_v2(conn->db);
    conn->db = nullptr;
}

void closeCursor(Statement *st) {
    if (st->stmt) sqlite3_finalize(st->stmt);
    st->stmt = nullptr;
    st->rowPending = false;
    st->done = true;
    st->rows.clear();
    st->nextRow = 0;
    st->delivered = 0;
    st->materialized = false;
    st->valuesStatement = false;
    st->columns.clear();
    st->bindings.clear();
    st->deferred.clear();
}

int execute(Statement *st, const QString &sql) {
    closeCursor(st);
    Connection *conn = st->conn;
    if (!conn || !conn->db) {
        st->diag.set("08003", -1024,
                     vendorMessage(QStringLiteral("Embedded"),
                                   QStringLiteral("The connection has been closed.")));
        return kError;
    }
    const Translation t = translateForEmbedded(sql, {conn->user, conn->name, !conn->outsideFile});
    // Inside a transaction nothing reaches the file before its end, which is checked: two
    // file look-ups fewer for each statement of a dump in BEGIN ... COMMIT.
    const bool endsTransaction = t.firstWord == QLatin1String("COMMIT") ||
                                 t.firstWord == QLatin1String("END") ||
                                 t.firstWord == QLatin1String("RELEASE");
    const bool reachesFile = sqlite3_get_autocommit(conn->db) || endsTransaction;
    if (reachesFile && databaseFileMoved(conn->db)) {
        // SQLite would go on writing to the unlinked file and report success.
        st->diag.set(
            "58030", -1034,
            vendorMessage(QStringLiteral("Embedded"),
                          QStringLiteral("The database file \"%1\" was deleted, moved "
                                         "or replaced after the connection was made: "
                                         "nothing more is written to it. Connect again.")
                              .arg(QString::fromUtf8(sqlite3_db_filename(conn->db, "main")))));
        return kError;
    }
    if (t.sql.isEmpty()) {
        st->diag.set("42617", -198,
                     vendorMessage(QStringLiteral("Embedded"),
                                   QStringLiteral("The statement string is blank or empty.")));
        return kError;
    }
    if (t.firstWord == QLatin1String("CALL")) return callBuiltin(st, t.sql);
    static const QRegularExpression createRoutine(
        QStringLiteral(R"(^\s*CREATE\s+(OR\s+REPLACE\s+)?PROCEDURE\b)"),
        QRegularExpression::CaseInsensitiveOption);
    if (t.firstWord == QLatin1String("CREATE") && createRoutine.match(t.sql).hasMatch()) {
        st->diag.set("0A000", -20003,
                     vendorMessage(QStringLiteral("Embedded"),
                                   QStringLiteral("CREATE PROCEDURE is not supported: the embedded "
                                                  "engine has no stored procedures. Its built-in "
                                                  "routines answer CALL instead.")));
        return kError;
    }
    static const QRegularExpression endOfWork(
        QStringLiteral(R"(^\s*(COMMIT|END|ROLLBACK)(\s+(WORK|TRANSACTION))?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const bool endsWork = endsTransaction || t.firstWord == QLatin1String("ROLLBACK");
    if (endsWork && endOfWork.match(t.sql).hasMatch() && sqlite3_get_autocommit(conn->db))
        return kSuccess;

    const QByteArray text = t.sql.toUtf8();
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(conn->db, text.constData(), static_cast<int>(text.size()), &st->stmt,
                           &tail) != SQLITE_OK) {
        setSqliteError(st, conn->db);
        closeCursor(st);
        return kError;
    }
    if (!st->stmt) return kSuccess; // only a comment
    if (!onlyCommentsFollow(tail)) {
        closeCursor(st);
        st->diag.set("42601", -20004,
                     vendorMessage(QStringLiteral("Embedded"),
                                   QStringLiteral("The text holds more than one statement; the "
                                                  "embedded engine runs one at a time, so nothing "
                                                  "was run. End each statement with \";\" at the "
                                                  "end of its own line.")));
        return kError;
    }
    st->valuesStatement = t.values;
    if (!bindFiles(st)) {
        closeCursor(st);
        return kError;
    }
    st->done = false;
    if (sqlite3_column_count(st->stmt) == 0) {
        while (st->rowPending || !st->done) {
            if (!step(st)) {
                closeCursor(st);
                return kError;
            }
        }
        const bool nothingTouched =
            isChangeStatement(t.firstWord) && sqlite3_changes(conn->db) == 0;
        closeCursor(st);
        return nothingTouched ? kNoData : kSuccess;
    }
    if (!step(st)) {
        closeCursor(st);
        return kError;
    }
    describeColumns(st);
    return kSuccess;
}

int fetch(Statement *st) {
    if (st->maxRows > 0 && st->delivered >= st->maxRows) return kNoData;
    if (st->nextRow < st->rows.size()) {
        const auto &row = st->rows[st->nextRow++];
        for (size_t c = 1; c < st->bindings.size() && c <= row.size(); ++c)
            deliverValue(st->bindings[c], row[c - 1]);
        ++st->delivered;
        return kSuccess;
    }
    if (st->materialized) return kNoData;
    if (st->deferred.present) {
        // A row came before the failure; the failure is this fetch's result.
        st->diag = st->deferred;
        st->deferred.clear();
        return kError;
    }
    if (!st->stmt) {
        st->diag.set("24000", -501,
                     vendorMessage(QStringLiteral("Embedded"),
                                   QStringLiteral("The statement has no open result set.")));
        return kError;
    }
    if (!st->rowPending) return kNoData;
    for (size_t c = 1; c < st->bindings.size(); ++c)
        if (st->bindings[c].buffer)
            deliverColumn(st->bindings[c], st->stmt, static_cast<int>(c - 1), st->columns[c - 1]);
    ++st->delivered;
    if (!step(st)) {
        st->deferred = st->diag;
        st->diag.clear();
    }
    return kSuccess;
}

bool transactionOpen(const Connection *conn) {
    return conn->db && !sqlite3_get_autocommit(conn->db);
}

int endTransaction(Connection *conn, bool commit) {
    if (!conn->db || sqlite3_get_autocommit(conn->db)) return kSuccess;
    return runSql(conn, conn->db, commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"))
               ? kSuccess
               : kError;
}

} // namespace cli::embedded
