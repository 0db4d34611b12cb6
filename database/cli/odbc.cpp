#include "database/cli/odbc.h"

#include "database/cli/cli.h"
#include "database/cli/connection_forms.h"
#include "database/cli/statement_words.h"

#include <QRegularExpression>
#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>
#include <utility>

namespace cli::odbc {
namespace {

constexpr uint32_t kUnknownLengthSize = 4000;
// The PostgreSQL driver's own connection attribute for its UseDeclareFetch setting.
constexpr SQLINTEGER kAttrDeclareFetch = 65539;

// Driver-manager entry points, looked up by name: nothing of ours is linked against it.
struct Api {
    void *library = nullptr;
    SQLRETURN (*allocHandle)(SQLSMALLINT, SQLHANDLE, SQLHANDLE *) = nullptr;
    SQLRETURN (*freeHandle)(SQLSMALLINT, SQLHANDLE) = nullptr;
    SQLRETURN (*setEnvAttr)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER) = nullptr;
    SQLRETURN (*disconnect)(SQLHDBC) = nullptr;
    SQLRETURN (*execDirect)(SQLHSTMT, SQLCHAR *, SQLINTEGER) = nullptr;
    SQLRETURN (*numResultCols)(SQLHSTMT, SQLSMALLINT *) = nullptr;
    SQLRETURN(*describeCol)
    (SQLHSTMT, SQLUSMALLINT, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *, SQLSMALLINT *, SQLULEN *,
     SQLSMALLINT *, SQLSMALLINT *) = nullptr;
    SQLRETURN(*bindCol)
    (SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN *) = nullptr;
    SQLRETURN (*fetch)(SQLHSTMT) = nullptr;
    SQLRETURN (*freeStmt)(SQLHSTMT, SQLUSMALLINT) = nullptr;
    SQLRETURN (*endTran)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT) = nullptr;
    SQLRETURN(*getDiagRec)
    (SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLCHAR *, SQLINTEGER *, SQLCHAR *, SQLSMALLINT,
     SQLSMALLINT *) = nullptr;
    SQLRETURN(*dataSources)
    (SQLHENV, SQLUSMALLINT, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *, SQLCHAR *, SQLSMALLINT,
     SQLSMALLINT *) = nullptr;
    SQLRETURN(*bindParameter)
    (SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLULEN, SQLSMALLINT,
     SQLPOINTER, SQLLEN, SQLLEN *) = nullptr;
    SQLRETURN (*rowCount)(SQLHSTMT, SQLLEN *) = nullptr;
    SQLRETURN (*setStmtAttr)(SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER) = nullptr;
    SQLRETURN (*setConnectAttr)(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER) = nullptr;
    SQLRETURN (*getInfo)(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT *) = nullptr;
    SQLRETURN(*driverConnect)
    (SQLHDBC, SQLHWND, SQLCHAR *, SQLSMALLINT, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *,
     SQLUSMALLINT) = nullptr;
    SQLRETURN(*drivers)
    (SQLHENV, SQLUSMALLINT, SQLCHAR *, SQLSMALLINT, SQLSMALLINT *, SQLCHAR *, SQLSMALLINT,
     SQLSMALLINT *) = nullptr;
    SQLRETURN (*cancel)(SQLHSTMT) = nullptr; // optional
    SQLHENV env = nullptr;                   // for the data source list
};

template <typename Fn> bool resolve(void *library, const char *name, Fn &fn) {
    fn = reinterpret_cast<Fn>(dlsym(library, name));
    return fn != nullptr;
}

Api *loadApi() {
    static Api api;
    static bool tried = false;
    if (tried) return api.library ? &api : nullptr;
    tried = true;
    const QByteArray chosen = qgetenv("PAVONA_ODBC_LIBRARY");
    void *library =
        dlopen(chosen.isEmpty() ? "libodbc.so.2" : chosen.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!library && chosen.isEmpty()) library = dlopen("libodbc.so", RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    const bool complete = resolve(library, "SQLAllocHandle", api.allocHandle) &&
                          resolve(library, "SQLFreeHandle", api.freeHandle) &&
                          resolve(library, "SQLSetEnvAttr", api.setEnvAttr) &&
                          resolve(library, "SQLDisconnect", api.disconnect) &&
                          resolve(library, "SQLExecDirect", api.execDirect) &&
                          resolve(library, "SQLNumResultCols", api.numResultCols) &&
                          resolve(library, "SQLDescribeCol", api.describeCol) &&
                          resolve(library, "SQLBindCol", api.bindCol) &&
                          resolve(library, "SQLFetch", api.fetch) &&
                          resolve(library, "SQLFreeStmt", api.freeStmt) &&
                          resolve(library, "SQLEndTran", api.endTran) &&
                          resolve(library, "SQLGetDiagRec", api.getDiagRec) &&
                          resolve(library, "SQLDataSources", api.dataSources) &&
                          resolve(library, "SQLBindParameter", api.bindParameter) &&
                          resolve(library, "SQLRowCount", api.rowCount) &&
                          resolve(library, "SQLSetStmtAttr", api.setStmtAttr) &&
                          resolve(library, "SQLSetConnectAttr", api.setConnectAttr) &&
                          resolve(library, "SQLGetInfo", api.getInfo) &&
                          resolve(library, "SQLDriverConnect", api.driverConnect) &&
                          resolve(library, "SQLDrivers", api.drivers);
    if (!complete) {
        dlclose(library);
        return nullptr;
    }
    resolve(library, "SQLCancel", api.cancel);
    api.library = library;
    return &api;
}

bool ok(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

int result(SQLRETURN rc) {
    switch (rc) {
    case SQL_SUCCESS:
        return kSuccess;
    case SQL_SUCCESS_WITH_INFO:
        return kSuccessWithInfo;
    case SQL_NO_DATA:
        return kNoData;
    default:
        return kError;
    }
}

SQLHENV newEnvironment(Api *api) {
    SQLHENV env = nullptr;
    if (!ok(api->allocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return nullptr;
    api->setEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return env;
}

// ODBC 3 reports dates and times with their own codes; the program knows the older ones.
int16_t programType(SQLSMALLINT odbcType) {
    switch (odbcType) {
    case SQL_TYPE_DATE:
        return kTypeDate;
    case SQL_TYPE_TIME:
        return kTypeTime;
    case SQL_TYPE_TIMESTAMP:
        return kTypeTimestamp;
    case SQL_WCHAR:
        return kTypeChar;
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_LONGVARCHAR:
        return kTypeVarchar;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return kTypeBlob;
    default:
        return static_cast<int16_t>(odbcType);
    }
}

bool isQuery(const QStringList &words) {
    const QString first = words.value(0);
    return first == QLatin1String("SELECT") || first == QLatin1String("VALUES") ||
           (first == QLatin1String("WITH") && !modifiesDataInWith(words));
}

// Some drivers append the row limit to the query's text as LIMIT, which breaks a query
// with its own LIMIT or locking clause: those get the limit from fetch alone.
bool driverMayLimit(const QByteArray &sql, const QStringList &words) {
    if (!isQuery(words)) return false;
    static const QRegularExpression clause(
        QStringLiteral(R"(\b(LIMIT|FOR\s+(UPDATE|SHARE)|LOCK\s+IN|INTO|PROCEDURE)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return !clause.match(QString::fromUtf8(sql)).hasMatch();
}

bool touchesRows(const QByteArray &sql) {
    const QByteArray word = sql.trimmed().left(7).toUpper();
    return word.startsWith("INSERT") || word.startsWith("UPDATE") || word.startsWith("DELETE") ||
           word.startsWith("MERGE");
}

// The driver a connection string names, itself or through its data source.
QString driverOf(const QString &connection) {
    const QString driver = attributeOf(connection, QStringLiteral("DRIVER"));
    if (!driver.isEmpty()) return driver;
    const QString dsn = attributeOf(connection, QStringLiteral("DSN"));
    for (const auto &[name, description] : dataSources())
        if (QString::fromUtf8(name).compare(dsn, Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(description);
    return {};
}

// The PostgreSQL driver reads a whole result into memory before the first row unless it
// fetches through a cursor; with one, a row limit on the statement bounds the work too.
bool needsCursorFetch(const QString &connection) {
    const QString driver = driverOf(connection).toLower();
    return driver.contains(u"psql") || driver.contains(u"postgres");
}

// The words that tell what the statement does: only a WITH or a COPY needs them all.
QStringList wordsThatMatter(const QByteArray &sql) {
    QStringList words = statementWords(sql, 4);
    const QString first = words.value(0);
    if (first == QLatin1String("WITH") || first == QLatin1String("COPY"))
        words = statementWords(sql);
    return words;
}

// A server runs a data-modifying WITH only outside a cursor: the driver reads its rows
// whole, as it does those of INSERT ... RETURNING. Every other query keeps the cursor
// that bounds the memory a large result takes.
void chooseCursorFetch(Connection *conn, const QStringList &words) {
    if (!conn->cursorFetch) return;
    const bool wanted = !modifiesDataInWith(words);
    if (wanted == conn->cursorFetchOn) return;
    Api *api = loadApi();
    if (ok(api->setConnectAttr(conn->odbcDbc, kAttrDeclareFetch,
                               reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(wanted)), 0)))
        conn->cursorFetchOn = wanted;
}

// Follows the transactions the user's statements open and end, so that the session
// knows when its commit after each statement would end one behind the user's back.
void followTransaction(Connection *conn, const QStringList &words, bool succeeded) {
    switch (transactionEffect(words)) {
    case TransactionEffect::Opens:
        if (succeeded) conn->userTransaction = true;
        break;
    case TransactionEffect::Ends: // a COMMIT that fails ends the transaction too
        conn->userTransaction = false;
        break;
    case TransactionEffect::None:
        if (conn->schemaChangesCommit && commitsImplicitly(words)) conn->userTransaction = false;
        break;
    }
}

bool serverCommitsSchemaChanges(const Connection *conn) {
    QByteArray product;
    if (!info(conn, SQL_DBMS_NAME, product)) return false;
    product = product.toLower();
    return product.contains("mariadb") || product.contains("mysql");
}

// A driver's message in the layer's bracketed form: its own leading "[...]" parts give
// the component, so the text after the third "]" is exactly the driver's message.
QString shapedMessage(const QByteArray &raw) {
    QString text = QString::fromUtf8(raw);
    QString component = QStringLiteral("ODBC");
    static const QRegularExpression prefix(QStringLiteral(R"(^\s*\[([^\]]*)\])"));
    for (auto match = prefix.match(text); match.hasMatch(); match = prefix.match(text)) {
        component = match.captured(1);
        text = text.mid(match.capturedEnd());
    }
    return vendorMessage(component, text.trimmed());
}

} // namespace

bool available() {
    return loadApi() != nullptr;
}

QList<std::pair<QByteArray, QByteArray>> dataSources() {
    QList<std::pair<QByteArray, QByteArray>> list;
    Api *api = loadApi();
    if (!api) return list;
    // A fresh environment each time, so data sources added meanwhile are seen.
    SQLHENV env = newEnvironment(api);
    if (!env) return list;
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 2];
    SQLCHAR description[512];
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (ok(api->dataSources(env, direction, name, sizeof name, &nameLength, description,
                               sizeof description, &descriptionLength))) {
        list.append({QByteArray(reinterpret_cast<char *>(name)),
                     QByteArray(reinterpret_cast<char *>(description))});
        direction = SQL_FETCH_NEXT;
    }
    api->freeHandle(SQL_HANDLE_ENV, env);
    return list;
}

QString findDataSource(const QString &name) {
    for (const auto &[dsn, description] : dataSources()) {
        Q_UNUSED(description);
        const QString candidate = QString::fromUtf8(dsn);
        if (candidate.compare(name.trimmed(), Qt::CaseInsensitive) == 0) return candidate;
    }
    return {};
}

QStringList installedDrivers() {
    QStringList list;
    Api *api = loadApi();
    if (!api) return list;
    SQLHENV env = newEnvironment(api);
    if (!env) return list;
    SQLCHAR name[512];
    SQLCHAR attributes[2048];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (ok(api->drivers(env, direction, name, sizeof name, &nameLength, attributes,
                           sizeof attributes, &attributesLength))) {
        list.append(QString::fromUtf8(reinterpret_cast<char *>(name)));
        direction = SQL_FETCH_NEXT;
    }
    api->freeHandle(SQL_HANDLE_ENV, env);
    return list;
}

int connect(Connection *conn, const QString &connection, const QByteArray &uid,
            const QByteArray &pwd) {
    Api *api = loadApi();
    if (!api) return kError;
    SQLHENV env = newEnvironment(api);
    if (!env) return kError;
    SQLHDBC dbc = nullptr;
    if (!ok(api->allocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        api->freeHandle(SQL_HANDLE_ENV, env);
        return kError;
    }
    // Drivers differ on which of a repeated keyword counts: a user given apart is added
    // only where the string names none.
    QByteArray text = connection.toUtf8();
    if (!text.endsWith(';')) text += ';';
    if (!uid.isEmpty() && attributeOf(connection, QStringLiteral("UID")).isEmpty())
        text += connectionString({{QStringLiteral("UID"), QString::fromUtf8(uid)},
                                  {QStringLiteral("PWD"), QString::fromUtf8(pwd)}});
    const bool cursorFetch = needsCursorFetch(connection);
    // After a failure the driver rolls back only the failed statement (its own cursor's
    // transaction outside the user's), as the embedded engine and MariaDB do: whatever
    // the data source says, a failure neither leaves the session aborted nor takes the
    // user's earlier work in a transaction with it.
    if (cursorFetch) text += "UseDeclareFetch=1;Protocol=7.4-2;";
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = api->driverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR *>(text.data()),
                                            SQL_NTS, nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
    conn->odbcEnv = env;
    conn->odbcDbc = dbc;
    if (!ok(rc)) {
        // Keep the handles until the diagnostic has been read; disconnect frees them.
        conn->backend = Backend::Odbc;
        return kError;
    }
    conn->backend = Backend::Odbc;
    conn->userTransaction = false;
    conn->cursorFetch = conn->cursorFetchOn = cursorFetch;
    conn->schemaChangesCommit = serverCommitsSchemaChanges(conn);
    return result(rc);
}

void disconnect(Connection *conn) {
    Api *api = loadApi();
    if (!api) return;
    if (conn->odbcSpareStmt) api->freeHandle(SQL_HANDLE_STMT, conn->odbcSpareStmt);
    conn->odbcSpareStmt = nullptr;
    if (conn->odbcDbc) {
        api->disconnect(conn->odbcDbc);
        api->freeHandle(SQL_HANDLE_DBC, conn->odbcDbc);
    }
    if (conn->odbcEnv) api->freeHandle(SQL_HANDLE_ENV, conn->odbcEnv);
    conn->odbcDbc = conn->odbcEnv = nullptr;
}

int allocStatement(Statement *st) {
    Api *api = loadApi();
    if (!api || !st->conn->odbcDbc) return kError;
    if (st->conn->odbcSpareStmt) {
        st->odbcStmt = std::exchange(st->conn->odbcSpareStmt, nullptr);
        return kSuccess;
    }
    return result(api->allocHandle(SQL_HANDLE_STMT, st->conn->odbcDbc, &st->odbcStmt));
}

namespace {

// The handle as a new one comes: no cursor, bound columns or parameters, and none of the
// attributes a statement sets for itself (the row limit is set at every execute).
bool clearedForReuse(Api *api, Statement *st) {
    const auto noScanOff = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_NOSCAN_OFF));
    return ok(api->freeStmt(st->odbcStmt, SQL_CLOSE)) &&
           ok(api->freeStmt(st->odbcStmt, SQL_UNBIND)) &&
           ok(api->freeStmt(st->odbcStmt, SQL_RESET_PARAMS)) &&
           (!st->noScan ||
            ok(api->setStmtAttr(st->odbcStmt, SQL_ATTR_NOSCAN, noScanOff, SQL_IS_UINTEGER)));
}

} // namespace

void freeStatement(Statement *st, bool keepForNext) {
    // An embedded database's statement has no driver handle: the driver manager is not
    // loaded for it.
    if (!st->odbcStmt) return;
    Api *api = loadApi();
    if (api) {
        Connection *conn = st->conn;
        const bool keep = keepForNext && conn && conn->odbcDbc && !conn->odbcSpareStmt &&
                          clearedForReuse(api, st);
        if (keep)
            conn->odbcSpareStmt = st->odbcStmt;
        else
            api->freeHandle(SQL_HANDLE_STMT, st->odbcStmt);
    }
    st->odbcStmt = nullptr;
}

int setAttribute(Statement *st, int attr, intptr_t value) {
    Api *api = loadApi();
    if (!api || !st->odbcStmt) return kError;
    SQLINTEGER odbcAttr = 0;
    if (attr == kAttrNoScan) odbcAttr = SQL_ATTR_NOSCAN;
    // The row limit is sent with each query (execute): some drivers put it into the
    // statement's text.
    if (odbcAttr == 0) return kSuccess;
    return result(api->setStmtAttr(st->odbcStmt, odbcAttr, reinterpret_cast<SQLPOINTER>(value),
                                   SQL_IS_UINTEGER));
}

bool info(const Connection *conn, int16_t what, QByteArray &value) {
    Api *api = loadApi();
    if (!api || !conn->odbcDbc) return false;
    SQLCHAR text[512] = {0};
    SQLSMALLINT length = 0;
    if (!ok(api->getInfo(conn->odbcDbc, static_cast<SQLUSMALLINT>(what), text, sizeof text,
                         &length)))
        return false;
    value = QByteArray(reinterpret_cast<char *>(text));
    return true;
}

static void keepInformation(Statement *st) {
    for (int16_t record = 1;; ++record) {
        Diagnostic d;
        if (!driverDiagnostic(st, d.state, d.native, d.message, record)) return;
        d.present = true;
        st->info.push_back(d);
    }
}

int execute(Statement *st, const QByteArray &sql) {
    Api *api = loadApi();
    if (!api || !st->odbcStmt) return kError;
    api->freeStmt(st->odbcStmt, SQL_CLOSE);
    api->freeStmt(st->odbcStmt, SQL_UNBIND);
    st->columns.clear();
    st->bindings.clear();
    st->info.clear();
    for (size_t marker = 1; marker < st->files.size(); ++marker) {
        FileParameter &file = st->files[marker];
        if (file.data.isNull()) continue;
        file.odbcLength = file.data.size();
        const SQLRETURN rc = api->bindParameter(
            st->odbcStmt, static_cast<SQLUSMALLINT>(marker), SQL_PARAM_INPUT, SQL_C_BINARY,
            SQL_LONGVARBINARY, static_cast<SQLULEN>(std::max<qsizetype>(file.data.size(), 1)), 0,
            file.data.data(), file.data.size(), &file.odbcLength);
        if (!ok(rc)) return kError;
    }
    const QStringList words = wordsThatMatter(sql);
    if (const QString refusal = clientStreamRefusal(words); !refusal.isEmpty()) {
        // The driver would wait for the stream for ever, deaf to a cancel.
        st->diag.set("0A000", -20005, vendorMessage(QStringLiteral("CLI"), refusal));
        return kError;
    }
    chooseCursorFetch(st->conn, words);
    const SQLULEN maxRows = driverMayLimit(sql, words) ? static_cast<SQLULEN>(st->maxRows) : 0;
    api->setStmtAttr(st->odbcStmt, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(maxRows),
                     SQL_IS_UINTEGER);
    st->delivered = 0;
    QByteArray text = sql;
    const SQLRETURN rc = api->execDirect(st->odbcStmt, reinterpret_cast<SQLCHAR *>(text.data()),
                                         static_cast<SQLINTEGER>(text.size()));
    followTransaction(st->conn, words, ok(rc) || rc == SQL_NO_DATA);
    if (!ok(rc) && rc != SQL_NO_DATA) return kError;
    if (rc == SQL_NO_DATA) return kNoData;
    // Read now: the next call on the statement clears them.
    if (rc == SQL_SUCCESS_WITH_INFO) keepInformation(st);
    if (describeAll(st) == kError) return kError;
    // Some drivers report a change that touched no row as plain success.
    SQLLEN changed = -1;
    if (st->columns.empty() && touchesRows(sql) && ok(api->rowCount(st->odbcStmt, &changed)) &&
        changed == 0)
        return kNoData;
    return result(rc);
}

int describeAll(Statement *st) {
    Api *api = loadApi();
    SQLSMALLINT count = 0;
    if (!ok(api->numResultCols(st->odbcStmt, &count))) return kError;
    st->columns.assign(count, ColumnInfo{});
    st->bindings.assign(count + 1, Binding{});
    for (SQLSMALLINT c = 1; c <= count; ++c) {
        SQLCHAR name[256];
        SQLSMALLINT nameLength = 0, type = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        if (!ok(api->describeCol(st->odbcStmt, c, name, sizeof name, &nameLength, &type, &size,
                                 &decimals, &nullable)))
            return kError;
        ColumnInfo &info = st->columns[c - 1];
        info.name = QByteArray(reinterpret_cast<char *>(name));
        info.type = programType(type);
        info.size = static_cast<uint32_t>(std::min<SQLULEN>(size, UINT32_MAX));
        // A driver that cannot tell a variable length says 0: leave room for a value.
        if (info.size == 0 && (info.type == kTypeVarchar || info.type == kTypeChar ||
                               info.type == kTypeBlob || info.type == kTypeClob))
            info.size = kUnknownLengthSize;
        info.decimals = decimals;
        info.nullable = nullable == SQL_NO_NULLS ? 0 : 1;
    }
    return kSuccess;
}

int bindColumn(Statement *st, int col) {
    Api *api = loadApi();
    Binding &b = st->bindings[col];
    // Not every driver turns binary data into hexadecimal digits for a character buffer.
    if (st->columns[col - 1].type == kTypeBlob) {
        b.binary.resize(std::max<int32_t>((b.length - 1) / 2, 1));
        return result(api->bindCol(st->odbcStmt, static_cast<SQLUSMALLINT>(col), SQL_C_BINARY,
                                   b.binary.data(), b.binary.size(), &b.odbcIndicator));
    }
    return result(api->bindCol(st->odbcStmt, static_cast<SQLUSMALLINT>(col), SQL_C_CHAR, b.buffer,
                               b.length, &b.odbcIndicator));
}

int fetch(Statement *st) {
    Api *api = loadApi();
    if (!api || !st->odbcStmt) return kError;
    if (st->maxRows > 0 && st->delivered >= st->maxRows) return kNoData;
    const SQLRETURN rc = api->fetch(st->odbcStmt);
    if (ok(rc)) {
        ++st->delivered;
        for (size_t c = 1; c < st->bindings.size(); ++c) {
            Binding &b = st->bindings[c];
            if (!b.buffer) continue;
            if (b.odbcIndicator == SQL_NULL_DATA) {
                b.buffer[0] = '\0';
                if (b.indicator) *b.indicator = kNullData;
            } else if (!b.binary.isEmpty()) {
                const qsizetype bytes = std::clamp<SQLLEN>(b.odbcIndicator, 0, b.binary.size());
                const QByteArray hex = QByteArray::fromRawData(b.binary.constData(), bytes).toHex();
                deliverBytes(b, hex.toUpper().constData(), hex.size());
                if (b.indicator && b.odbcIndicator >= 0)
                    *b.indicator =
                        static_cast<int32_t>(std::min<SQLLEN>(b.odbcIndicator * 2, INT32_MAX));
            } else if (b.indicator) {
                *b.indicator = static_cast<int32_t>(std::min<SQLLEN>(b.odbcIndicator, INT32_MAX));
            }
        }
    }
    return result(rc);
}

void cancel(void *odbcStmt) {
    Api *api = loadApi();
    if (api && api->cancel && odbcStmt) api->cancel(odbcStmt);
}

int endTransaction(Connection *conn, bool commit) {
    Api *api = loadApi();
    if (!api || !conn->odbcDbc) return kError;
    return result(api->endTran(SQL_HANDLE_DBC, conn->odbcDbc, commit ? SQL_COMMIT : SQL_ROLLBACK));
}

bool driverDiagnostic(const Handle *handle, QByteArray &state, int32_t &native, QByteArray &message,
                      int16_t record) {
    Api *api = loadApi();
    if (!api) return false;
    SQLSMALLINT type = 0;
    SQLHANDLE h = nullptr;
    if (handle->kind == HandleKind::Statement) {
        type = SQL_HANDLE_STMT;
        h = static_cast<const Statement *>(handle)->odbcStmt;
    } else if (handle->kind == HandleKind::Connection) {
        type = SQL_HANDLE_DBC;
        h = static_cast<const Connection *>(handle)->odbcDbc;
    }
    if (!h) return false;
    SQLCHAR sqlState[6] = {0};
    SQLINTEGER code = 0;
    SQLCHAR text[1024];
    SQLSMALLINT length = 0;
    if (!ok(api->getDiagRec(type, h, record, sqlState, &code, text, sizeof text, &length)))
        return false;
    state = QByteArray(reinterpret_cast<char *>(sqlState));
    native = code;
    message = shapedMessage(QByteArray(reinterpret_cast<char *>(text))).toUtf8();
    return true;
}

} // namespace cli::odbc
