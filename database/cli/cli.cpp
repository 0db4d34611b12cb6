// The call-level interface: checks handles, clears their diagnostics and hands each call
// to the backend of its connection.

#include "database/cli/cli.h"

#include "core/shown_text.h"
#include "core/text_files.h"
#include "database/catalog.h"
#include "database/cli/cancel.h"
#include "database/cli/connection_forms.h"
#include "database/cli/embedded.h"
#include "database/cli/handles.h"
#include "database/cli/odbc.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <unordered_set>

namespace cli {
namespace {

std::unordered_set<void *> &liveHandles() {
    static std::unordered_set<void *> handles;
    return handles;
}

template <typename T> T *as(void *handle, HandleKind kind) {
    Handle *h = lookup(handle);
    return h && h->kind == kind ? static_cast<T *>(h) : nullptr;
}

QString text(const char *bytes, int length) {
    if (!bytes) return {};
    if (length == kNullTerminated || length < 0) return QString::fromUtf8(bytes);
    return QString::fromUtf8(bytes, length);
}

// Copies text into a caller's buffer, NUL-terminated and cut to fit.
void copyOut(const QByteArray &value, char *buffer, int capacity, int16_t *length) {
    if (length) *length = static_cast<int16_t>(std::min<qsizetype>(value.size(), INT16_MAX));
    if (!buffer || capacity <= 0) return;
    const qsizetype n = std::min<qsizetype>(value.size(), capacity - 1);
    std::memcpy(buffer, value.constData(), n);
    buffer[n] = '\0';
}

int setError(Handle *handle, const char *state, int32_t native, const QString &message) {
    handle->diag.set(state, native, vendorMessage(QStringLiteral("CLI"), message));
    return kError;
}

// Where libodbc is missing, only the embedded catalog and SQLite files are reachable.
int noDriverManager(Connection *c, const QString &target) {
    const QString what = targetForm(target) == TargetForm::Name
                             ? QStringLiteral("The database \"%1\" is not in the embedded "
                                              "catalog (%2), and ODBC data sources cannot be "
                                              "looked up")
                                   .arg(target, embeddedCatalogFolder())
                             : QStringLiteral("This connection needs ODBC");
    return setError(c, "08001", -1013,
                    what + QStringLiteral(": the ODBC driver manager (libodbc.so.2) cannot be "
                                          "loaded. Install the package libodbc2 (unixodbc)."));
}

int connectFile(Connection *c, const QString &target, const QString &user) {
    const QString path = sqliteFilePath(target);
    const QFileInfo file(path);
    QString problem;
    if (!file.exists())
        problem = QStringLiteral("it does not exist (a path opens an existing SQLite file; "
                                 "sqlite3 FILE \"VACUUM\" makes an empty one)");
    else if (!file.isFile())
        problem = notRegularFile(path);
    if (!problem.isEmpty())
        return setError(
            c, "08001", -1031,
            QStringLiteral("The database file \"%1\" cannot be opened: %2").arg(path, problem));
    c->name = target.trimmed();
    return embedded::connect(c, path, user, false);
}

// The driver's own message when it gave one, else a word on which data source refused.
int connectOdbc(Connection *c, const QString &connection, const QString &user,
                const QString &password) {
    c->user = user; // server roles may be case-sensitive
    const int rc = odbc::connect(c, connection, user.toUtf8(), password.toUtf8());
    if (rc != kError || c->diag.present) return rc;
    QByteArray state, message;
    int32_t native = 0;
    if (!odbc::driverDiagnostic(c, state, native, message))
        setError(c, "08001", -30081,
                 QStringLiteral("The ODBC data source \"%1\" refused the connection.")
                     .arg(withPasswordsMasked(c->name)));
    odbc::disconnect(c);
    if (!c->diag.present)
        c->diag.set(state.constData(), native, withPasswordsMasked(QString::fromUtf8(message)));
    c->backend = Backend::None;
    return rc;
}

// The installed driver for the server's family, as the driver manager lists them; a
// Unicode one where there is a choice.
QString driverFor(ServerFamily family) {
    const QStringList names = family == ServerFamily::PostgreSql
                                  ? QStringList{QStringLiteral("postgres")}
                                  : QStringList{QStringLiteral("mariadb"), QStringLiteral("mysql")};
    const QStringList installed = odbc::installedDrivers();
    for (const QString &name : names) {
        QString found;
        for (const QString &driver : installed) {
            if (!driver.contains(name, Qt::CaseInsensitive)) continue;
            if (found.isEmpty() || driver.contains(QLatin1String("Unicode"), Qt::CaseInsensitive))
                found = driver;
        }
        if (!found.isEmpty()) return found;
    }
    return {};
}

int connectUri(Connection *c, const QString &uri, const QString &user, const QString &password) {
    const QString shown = withPasswordsMasked(uri.trimmed());
    QString problem;
    const ServerUri server = parseServerUri(uri, &problem);
    if (!problem.isEmpty())
        return setError(c, "08001", -1013,
                        QStringLiteral("The URI \"%1\" cannot be used: %2").arg(shown, problem));
    if (!odbc::available()) return noDriverManager(c, uri);
    const QString driver = driverFor(server.family);
    if (driver.isEmpty()) {
        const bool postgres = server.family == ServerFamily::PostgreSql;
        return setError(
            c, "08001", -1013,
            QStringLiteral("No ODBC driver for %1 is installed (odbcinst -q -d lists "
                           "none): install the package %2.")
                .arg(postgres ? QStringLiteral("PostgreSQL") : QStringLiteral("MariaDB"),
                     postgres ? QStringLiteral("odbc-postgresql")
                              : QStringLiteral("odbc-mariadb")));
    }
    c->name = uri.trimmed();
    Attributes attributes{{QStringLiteral("DRIVER"), driver}};
    attributes.append(server.attributes);
    return connectOdbc(c, QString::fromUtf8(connectionString(attributes)), user, password);
}

} // namespace

Handle *lookup(void *handle) {
    if (!handle || !liveHandles().count(handle)) return nullptr;
    return static_cast<Handle *>(handle);
}

void registerHandle(Handle *handle) {
    liveHandles().insert(handle);
}

void releaseHandle(Handle *handle) {
    liveHandles().erase(handle);
    delete handle;
}

QString vendorMessage(const QString &component, const QString &text) {
    return QStringLiteral("[Pavona][CLI Driver][") + component + QStringLiteral("] ") + text;
}

void deliverBytes(const Binding &binding, const char *data, qsizetype size) {
    if (!binding.buffer || binding.length <= 0) return;
    if (!data) {
        binding.buffer[0] = '\0';
        if (binding.indicator) *binding.indicator = kNullData;
        return;
    }
    qsizetype n = std::min<qsizetype>(size, binding.length - 1);
    // Never end inside a UTF-8 sequence.
    if (n < size)
        while (n > 0 && (static_cast<unsigned char>(data[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(binding.buffer, data, n);
    binding.buffer[n] = '\0';
    if (binding.indicator)
        *binding.indicator = static_cast<int32_t>(std::min<qsizetype>(size, INT32_MAX));
}

void deliverValue(const Binding &binding, const Value &value) {
    if (value)
        deliverBytes(binding, value->constData(), value->size());
    else
        deliverBytes(binding, nullptr, 0);
}

int SQLAllocEnv(CliHandle *env) {
    if (!env) return kError;
    auto *e = new Env;
    registerHandle(e);
    *env = e;
    return kSuccess;
}

int SQLAllocConnect(CliHandle env, CliHandle *dbc) {
    Env *e = as<Env>(env, HandleKind::Env);
    if (!e || !dbc) return kInvalidHandle;
    e->diag.clear();
    auto *c = new Connection;
    c->env = e;
    registerHandle(c);
    *dbc = c;
    return kSuccess;
}

int SQLConnect(CliHandle dbc, const char *db, int dbLen, const char *uid, int uidLen,
               const char *pwd, int pwdLen) {
    Connection *c = as<Connection>(dbc, HandleKind::Connection);
    if (!c) return kInvalidHandle;
    c->diag.clear();
    if (c->backend != Backend::None && (c->db || c->odbcDbc))
        return setError(c, "08002", -1022, QStringLiteral("The connection is already open."));
    const QString name = text(db, dbLen).trimmed();
    const QString user = text(uid, uidLen);
    const QString password = text(pwd, pwdLen);
    if (name.isEmpty())
        return setError(c, "08001", -1013, QStringLiteral("No database name was given."));

    switch (targetForm(name)) {
    case TargetForm::File:
        return connectFile(c, name, user);
    case TargetForm::Uri:
        return connectUri(c, name, user, password);
    case TargetForm::ConnectionString:
        if (!odbc::available()) return noDriverManager(c, name);
        c->name = name;
        return connectOdbc(c, name, user, password);
    case TargetForm::Name:
        break;
    }
    const QString file = embeddedDatabaseFile(name);
    if (!file.isEmpty()) {
        c->name = name.toUpper();
        return embedded::connect(c, file, user, true);
    }
    const QString dsn = odbc::findDataSource(name);
    if (!dsn.isEmpty()) {
        c->name = dsn;
        return connectOdbc(c, QStringLiteral("DSN=") + dsn, user, password);
    }
    if (hasSqliteSuffix(name)) return connectFile(c, name, user);
    if (!odbc::available()) return noDriverManager(c, name);
    return setError(c, "08001", -1013,
                    QStringLiteral("The database \"%1\" was not found: it is neither in the "
                                   "embedded catalog (%2) nor an ODBC data source.")
                        .arg(name, embeddedCatalogFolder()));
}

int SQLDisconnect(CliHandle dbc) {
    Connection *c = as<Connection>(dbc, HandleKind::Connection);
    if (!c) return kInvalidHandle;
    c->diag.clear();
    // The driver frees a connection's statements with it; ours must forget theirs first.
    for (void *handle : liveHandles()) {
        auto *h = static_cast<Handle *>(handle);
        if (h->kind != HandleKind::Statement) continue;
        auto *st = static_cast<Statement *>(h);
        if (st->conn != c) continue;
        if (c->backend == Backend::Embedded) embedded::closeCursor(st);
        odbc::freeStatement(st);
    }
    if (c->backend == Backend::Embedded) embedded::disconnect(c);
    if (c->backend == Backend::Odbc) odbc::disconnect(c);
    c->backend = Backend::None;
    c->userTransaction = false;
    return kSuccess;
}

int SQLFreeConnect(CliHandle dbc) {
    Connection *c = as<Connection>(dbc, HandleKind::Connection);
    if (!c) return kInvalidHandle;
    SQLDisconnect(c);
    releaseHandle(c);
    return kSuccess;
}

int SQLFreeEnv(CliHandle env) {
    Env *e = as<Env>(env, HandleKind::Env);
    if (!e) return kInvalidHandle;
    releaseHandle(e);
    return kSuccess;
}

int SQLAllocStmt(CliHandle dbc, CliHandle *stmt) {
    Connection *c = as<Connection>(dbc, HandleKind::Connection);
    if (!c || !stmt) return kInvalidHandle;
    c->diag.clear();
    if (c->backend == Backend::None)
        return setError(c, "08003", -1024, QStringLiteral("There is no database connection."));
    auto *s = new Statement;
    s->conn = c;
    if (c->backend == Backend::Odbc && odbc::allocStatement(s) == kError) {
        QByteArray state, message;
        int32_t native = 0;
        if (odbc::driverDiagnostic(c, state, native, message))
            c->diag.set(state.constData(), native, QString::fromUtf8(message));
        else
            setError(c, "HY001", -1, QStringLiteral("A statement could not be allocated."));
        delete s;
        return kError;
    }
    registerHandle(s);
    *stmt = s;
    return kSuccess;
}

int SQLSetStmtAttr(CliHandle stmt, int attr, intptr_t value, int) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    if (attr == kAttrNoScan) s->noScan = value != 0;
    if (attr == kAttrMaxRows) s->maxRows = std::max<intptr_t>(value, 0);
    if (lookup(s->conn) && s->conn->backend == Backend::Odbc)
        return odbc::setAttribute(s, attr, value);
    return kSuccess;
}

int SQLExecDirect(CliHandle stmt, const char *sql, int len) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    if (!lookup(s->conn) || s->conn->backend == Backend::None)
        return setError(s, "08003", -1024, QStringLiteral("The connection has been closed."));
    const ExecutionScope scope(s);
    if (scope.refused()) return scope.refusal(s);
    if (s->conn->backend == Backend::Embedded) return embedded::execute(s, text(sql, len));
    const QByteArray bytes = len < 0 ? QByteArray(sql ? sql : "") : QByteArray(sql, len);
    return odbc::execute(s, bytes);
}

int SQLNumResultCols(CliHandle stmt, int16_t *count) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    if (count) *count = static_cast<int16_t>(std::min<size_t>(s->columns.size(), INT16_MAX));
    return kSuccess;
}

int SQLDescribeCol(CliHandle stmt, int16_t col, char *name, int16_t bufLen, int16_t *nameLen,
                   int16_t *type, uint32_t *size, int16_t *decimals, int16_t *nullable) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    if (col < 1 || col > static_cast<int>(s->columns.size()))
        return setError(s, "07009", -1, QStringLiteral("Column %1 does not exist.").arg(col));
    const ColumnInfo &info = s->columns[col - 1];
    copyOut(info.name, name, bufLen, nameLen);
    if (type) *type = info.type;
    if (size) *size = info.size;
    if (decimals) *decimals = info.decimals;
    if (nullable) *nullable = info.nullable;
    return info.name.size() >= bufLen && name ? kSuccessWithInfo : kSuccess;
}

int SQLBindCol(CliHandle stmt, int16_t col, int16_t cType, void *buf, int32_t bufLen,
               int32_t *len) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    if (col < 1 || col > static_cast<int>(s->columns.size()))
        return setError(s, "07009", -1, QStringLiteral("Column %1 does not exist.").arg(col));
    if (cType != kCChar)
        return setError(s, "HYC00", -1,
                        QStringLiteral("Columns are bound as character data only."));
    if (buf && bufLen <= 0)
        return setError(s, "HY090", -1,
                        QStringLiteral("The buffer length %1 is not valid.").arg(bufLen));
    Binding &b = s->bindings[col];
    b.buffer = static_cast<char *>(buf);
    b.length = bufLen;
    b.indicator = len;
    if (s->conn->backend == Backend::Odbc && b.buffer) return odbc::bindColumn(s, col);
    return kSuccess;
}

int SQLFetch(CliHandle stmt) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    if (!lookup(s->conn) || s->conn->backend == Backend::None)
        return setError(s, "08003", -1024, QStringLiteral("The connection has been closed."));
    const ExecutionScope scope(s);
    if (scope.refused()) return scope.refusal(s);
    if (s->conn->backend == Backend::Embedded) return embedded::fetch(s);
    return odbc::fetch(s);
}

int SQLFreeStmt(CliHandle stmt, int16_t option) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    const bool embeddedBackend = lookup(s->conn) && s->conn->backend == Backend::Embedded;
    if (option == kDrop) {
        if (embeddedBackend) embedded::closeCursor(s);
        odbc::freeStatement(s, lookup(s->conn) && s->conn->backend == Backend::Odbc);
        releaseHandle(s);
        return kSuccess;
    }
    if (embeddedBackend) embedded::closeCursor(s);
    return kSuccess;
}

bool serverOutputAsCleared(CliHandle dbc) {
    const Connection *c = as<Connection>(dbc, HandleKind::Connection);
    return c && c->backend == Backend::Embedded && c->output.asCleared;
}

int SQLEndTran(int16_t handleType, CliHandle handle, int16_t completion) {
    if (handleType != kHandleDbc) return kSuccess;
    Connection *c = as<Connection>(handle, HandleKind::Connection);
    if (!c) return kInvalidHandle;
    c->diag.clear();
    const bool commit = completion == kCommit;
    if (c->backend == Backend::Embedded) return embedded::endTransaction(c, commit);
    if (c->backend != Backend::Odbc) return kSuccess;
    const int rc = odbc::endTransaction(c, commit);
    if (rc != kError) c->userTransaction = false;
    return rc;
}

bool transactionOpen(CliHandle dbc) {
    const Connection *c = as<Connection>(dbc, HandleKind::Connection);
    if (!c) return false;
    if (c->backend == Backend::Embedded) return embedded::transactionOpen(c);
    return c->backend == Backend::Odbc && c->userTransaction;
}

int SQLError(CliHandle env, CliHandle dbc, CliHandle stmt, char *state, int32_t *native, char *msg,
             int16_t msgMax, int16_t *msgLen) {
    for (void *candidate : {stmt, dbc, env}) {
        Handle *h = lookup(candidate);
        if (!h) continue;
        QByteArray sqlState, message;
        int32_t code = 0;
        if (h->diag.present) {
            sqlState = h->diag.state;
            code = h->diag.native;
            message = h->diag.message;
        } else if (!odbc::driverDiagnostic(h, sqlState, code, message)) {
            continue;
        }
        copyOut(sqlState.left(5), state, 6, nullptr);
        if (native) *native = code;
        copyOut(message, msg, msgMax, msgLen);
        return kSuccess;
    }
    copyOut("00000", state, 6, nullptr);
    if (native) *native = 0;
    copyOut(QByteArray(), msg, msgMax, msgLen);
    return kNoData;
}

int SQLGetDiagRec(int16_t handleType, CliHandle handle, int16_t record, char *state,
                  int32_t *native, char *msg, int16_t msgMax, int16_t *msgLen) {
    Handle *h = lookup(handle);
    const HandleKind kind =
        handleType == kHandleStmt ? HandleKind::Statement : HandleKind::Connection;
    if (!h || h->kind != kind || record < 1) return kInvalidHandle;
    QByteArray sqlState, message;
    int32_t code = 0;
    const auto *st = h->kind == HandleKind::Statement ? static_cast<Statement *>(h) : nullptr;
    if (h->diag.present) {
        if (record > 1) return kNoData;
        sqlState = h->diag.state;
        code = h->diag.native;
        message = h->diag.message;
    } else if (st && !st->info.empty()) {
        if (record > static_cast<int>(st->info.size())) return kNoData;
        const Diagnostic &d = st->info[record - 1];
        sqlState = d.state;
        code = d.native;
        message = d.message;
    } else if (!odbc::driverDiagnostic(h, sqlState, code, message, record)) {
        return kNoData;
    }
    copyOut(sqlState.left(5), state, 6, nullptr);
    if (native) *native = code;
    copyOut(message, msg, msgMax, msgLen);
    return kSuccess;
}

int SQLGetInfo(CliHandle dbc, int16_t info, char *value, int16_t valueMax, int16_t *valueLen) {
    Connection *c = as<Connection>(dbc, HandleKind::Connection);
    if (!c) return kInvalidHandle;
    c->diag.clear();
    QByteArray text;
    if (c->backend == Backend::Embedded && info == kInfoUserName) {
        text = c->user.toUtf8();
    } else if (c->backend == Backend::Embedded && info == kInfoDbmsName) {
        text = "Pavona embedded engine (SQLite)";
    } else if (c->backend != Backend::Odbc || !odbc::info(c, info, text)) {
        return setError(c, "HY096", -1,
                        QStringLiteral("Information type %1 is not available.").arg(info));
    }
    copyOut(text, value, valueMax, valueLen);
    return kSuccess;
}

int SQLDataSources(CliHandle env, int16_t direction, char *name, int16_t nameMax, int16_t *nameLen,
                   char *desc, int16_t descMax, int16_t *descLen) {
    Env *e = as<Env>(env, HandleKind::Env);
    if (!e) return kInvalidHandle;
    e->diag.clear();
    if (direction == kFetchFirst) {
        e->sources.clear();
        for (const QString &db : embeddedDatabaseNames())
            e->sources.append({db.toUtf8(), QByteArrayLiteral("Pavona embedded database")});
        e->sources.append(odbc::dataSources());
        e->nextSource = 0;
    } else if (direction != kFetchNext) {
        return setError(e, "HY103", -1,
                        QStringLiteral("Direction %1 is not valid.").arg(direction));
    }
    if (e->nextSource >= e->sources.size()) return kNoData;
    const auto &[dsn, description] = e->sources[e->nextSource++];
    copyOut(dsn, name, nameMax, nameLen);
    copyOut(description, desc, descMax, descLen);
    return kSuccess;
}

int SQLBindFileToParam(CliHandle stmt, int16_t marker, int16_t, const char *fileName,
                       int16_t *nameLen, uint32_t *, int16_t maxNameLen, int32_t *indicator) {
    Statement *s = as<Statement>(stmt, HandleKind::Statement);
    if (!s) return kInvalidHandle;
    s->diag.clear();
    if (marker < 1)
        return setError(s, "07009", -1,
                        QStringLiteral("Parameter marker %1 does not exist.").arg(marker));
    if (indicator && *indicator == kNullData) {
        if (static_cast<int>(s->files.size()) <= marker) s->files.resize(marker + 1);
        s->files[marker].data = QByteArray();
        return kSuccess;
    }
    int length = nameLen && *nameLen > 0 ? *nameLen : -1;
    if (fileName && maxNameLen > 0) {
        const int terminated = static_cast<int>(strnlen(fileName, maxNameLen));
        length = length < 0 ? terminated : std::min(length, terminated);
    }
    const QString path = fileName ? QString::fromUtf8(fileName, std::max(length, 0)) : QString();
    QFile file(path);
    QString problem = path.isEmpty() ? QStringLiteral("no file name") : notRegularFile(path);
    if (problem.isEmpty() && file.size() > kMaxLargeObjectBytes)
        problem = QStringLiteral("larger than the %1 a large object may hold")
                      .arg(byteLimitText(kMaxLargeObjectBytes));
    if (problem.isEmpty() && !file.open(QIODevice::ReadOnly)) problem = file.errorString();
    if (!problem.isEmpty())
        return setError(s, "428A1", -2100,
                        QStringLiteral("The file \"%1\" of parameter marker %2 cannot be read: %3")
                            .arg(path)
                            .arg(marker)
                            .arg(problem));
    if (static_cast<int>(s->files.size()) <= marker) s->files.resize(marker + 1);
    QByteArray data = file.readAll();
    if (data.isNull()) data = QByteArray("", 0); // an empty file is an empty value, not NULL
    s->files[marker].data = data;
    return kSuccess;
}

int sqlepstart_api(void *, void *) {
    return kSuccess;
}

} // namespace cli
