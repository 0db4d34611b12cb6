// The routines the embedded engine answers CALL with: SQLite has no stored procedures,
// yet the program relies on a server's output module and its administrative command.

#include "database/cli/cli.h"
#include "database/cli/embedded.h"
#include "database/cli/embedded_dialect.h"
#include "database/cli/embedded_types.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace cli::embedded {
namespace {

constexpr auto kMessagesTable =
    "CREATE TABLE IF NOT EXISTS PAVONA.MESSAGES (PRINT_LINE VARCHAR(255))";

int fail(Statement *st, const char *state, int32_t native, const QString &text) {
    st->diag.set(state, native, vendorMessage(QStringLiteral("Embedded"), text));
    return kError;
}

// Evaluates the argument list as SQL expressions.
bool evaluateArguments(Statement *st, const QString &argumentText, QList<Value> &values) {
    if (argumentText.trimmed().isEmpty()) return true;
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = (QStringLiteral("SELECT ") + argumentText).toUtf8();
    if (sqlite3_prepare_v2(st->conn->db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        setSqliteError(st, st->conn->db);
        sqlite3_finalize(stmt);
        return false;
    }
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW) {
        setSqliteError(st, st->conn->db);
        sqlite3_finalize(stmt);
        return false;
    }
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
            values << std::nullopt;
        } else {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, c));
            values << QByteArray(text ? text : "", sqlite3_column_bytes(stmt, c));
        }
    }
    sqlite3_finalize(stmt);
    return true;
}

QString argumentText(const QList<Value> &values, int index) {
    return index < values.size() && values[index] ? QString::fromUtf8(*values[index]) : QString();
}

// schema.table -> the attached schema it names (main when the qualifier is no attached
// database, as the embedded engine keeps every table in one file) and the table.
std::pair<QString, QString> resolveTable(sqlite3 *db, const QString &qualified) {
    QString name = qualified.trimmed();
    name.remove(QLatin1Char('"'));
    QString schema = QStringLiteral("main");
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const QString qualifier = name.left(dot);
        name = name.mid(dot + 1);
        if (sqlite3_db_filename(db, qualifier.toUtf8().constData()) != nullptr) schema = qualifier;
    }
    return {schema, name};
}

QString quoted(const QString &identifier) {
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool tableExists(sqlite3 *db, const QString &schema, const QString &table) {
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = (QStringLiteral("SELECT 1 FROM ") + quoted(schema) +
                            QStringLiteral(".sqlite_master WHERE type IN ('table','view') AND "
                                           "name = ?1 COLLATE NOCASE"))
                               .toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) return false;
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(stmt, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    return found;
}

int undefinedTable(Statement *st, const QString &name) {
    return fail(st, "42704", -204,
                QStringLiteral("\"%1\" is an undefined name.  SQLSTATE=42704").arg(name));
}

ColumnInfo column(const char *name, int16_t type, uint32_t size, int16_t nullable = 0) {
    ColumnInfo info;
    info.name = name;
    info.type = type;
    info.size = size;
    info.nullable = nullable;
    return info;
}

int describeTable(Statement *st, const QString &qualified) {
    sqlite3 *db = st->conn->db;
    const auto [schema, table] = resolveTable(db, qualified);
    if (!tableExists(db, schema, table)) return undefinedTable(st, qualified.trimmed());
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = (QStringLiteral("PRAGMA ") + quoted(schema) +
                            QStringLiteral(".table_info(") + quoted(table) + QStringLiteral(")"))
                               .toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        setSqliteError(st, db);
        return kError;
    }
    st->rows.clear();
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1)));
        const QString declared =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 2)));
        const bool notNull = sqlite3_column_int(stmt, 3) != 0;
        const auto type = parseDeclaredType(declared);
        std::vector<Value> row;
        row.push_back(name.toUtf8());
        row.push_back((type ? type->name : declared.simplified().toUpper()).toUtf8());
        row.push_back(QByteArray::number(type ? type->size : 0));
        row.push_back(QByteArray::number(type ? type->decimals : 0));
        row.push_back(QByteArray(notNull ? "N" : "Y"));
        st->rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    st->columns = {column("COLNAME", kTypeVarchar, 128), column("TYPENAME", kTypeVarchar, 128),
                   column("LENGTH", kTypeInteger, 10), column("SCALE", kTypeSmallint, 5),
                   column("NULLABLE", kTypeChar, 1)};
    st->bindings.assign(st->columns.size() + 1, Binding{});
    st->materialized = true;
    st->nextRow = 0;
    return kSuccess;
}

int adminCommand(Statement *st, const QString &command) {
    sqlite3 *db = st->conn->db;
    static const QRegularExpression runstats(QStringLiteral(R"(^\s*RUNSTATS\s+ON\s+TABLE\s+(\S+))"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression reorg(QStringLiteral(R"(^\s*REORG\s+(?:TABLE\s+)?(\S+))"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression describe(QStringLiteral(R"(^\s*DESCRIBE\s+TABLE\s+(\S+))"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const auto m = describe.match(command); m.hasMatch())
        return describeTable(st, m.captured(1));
    if (const auto m = runstats.match(command); m.hasMatch()) {
        const auto [schema, table] = resolveTable(db, m.captured(1));
        if (!tableExists(db, schema, table)) return undefinedTable(st, m.captured(1));
        return runSql(st, db,
                      QStringLiteral("ANALYZE ") + quoted(schema) + QLatin1Char('.') +
                          quoted(table))
                   ? kSuccess
                   : kError;
    }
    if (const auto m = reorg.match(command); m.hasMatch()) {
        const auto [schema, table] = resolveTable(db, m.captured(1));
        if (!tableExists(db, schema, table)) return undefinedTable(st, m.captured(1));
        // The embedded engine rebuilds a whole database file, not one table.
        return runSql(st, db, QStringLiteral("VACUUM ") + quoted(schema)) ? kSuccess : kError;
    }
    return fail(st, "42601", -104,
                QStringLiteral("The command \"%1\" is not supported by ADMIN_CMD on the embedded "
                               "engine (RUNSTATS, REORG and DESCRIBE TABLE are).  SQLSTATE=42601")
                    .arg(command.trimmed()));
}

int clearBuffer(Statement *st) {
    sqlite3 *db = st->conn->db;
    if (!runSql(st, db, QLatin1String(kMessagesTable)) ||
        !runSql(st, db, QStringLiteral("DELETE FROM PAVONA.MESSAGES")))
        return kError;
    OutputBuffer &out = st->conn->output;
    out.lines.clear();
    out.partial.clear();
    out.enabled = true;
    out.asCleared = true;
    return kSuccess;
}

int flushBuffer(Statement *st) {
    sqlite3 *db = st->conn->db;
    if (!runSql(st, db, QLatin1String(kMessagesTable))) return kError;
    OutputBuffer &out = st->conn->output;
    out.asCleared = false;
    sqlite3_stmt *insert = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO PAVONA.MESSAGES VALUES (?1)", -1, &insert, nullptr) !=
        SQLITE_OK) {
        setSqliteError(st, db);
        return kError;
    }
    int rc = SQLITE_DONE;
    for (const QString &line : std::as_const(out.lines)) {
        const QByteArray bytes = line.toUtf8();
        sqlite3_bind_text(insert, 1, bytes.constData(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        rc = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (rc != SQLITE_DONE) break;
    }
    sqlite3_finalize(insert);
    if (rc != SQLITE_DONE) {
        setSqliteError(st, db);
        return kError;
    }
    out.lines.clear();
    return kSuccess;
}

int wrongArguments(Statement *st, const QString &name, int given) {
    return fail(st, "42884", -440,
                QStringLiteral("No routine named \"%1\" with %2 argument(s) was found.  "
                               "SQLSTATE=42884")
                    .arg(name)
                    .arg(given));
}

int outputRoutine(Statement *st, const QString &routine, const QList<Value> &args) {
    OutputBuffer &out = st->conn->output;
    out.asCleared = false;
    const QString name = QStringLiteral("DBMS_OUTPUT.") + routine;
    if (routine == QLatin1String("ENABLE")) {
        if (args.size() > 1) return wrongArguments(st, name, args.size());
        out.enabled = true;
    } else if (routine == QLatin1String("DISABLE")) {
        if (!args.isEmpty()) return wrongArguments(st, name, args.size());
        out = OutputBuffer{};
    } else if (routine == QLatin1String("PUT") || routine == QLatin1String("PUT_LINE")) {
        if (args.size() != 1) return wrongArguments(st, name, args.size());
        if (!out.enabled) return kSuccess;
        out.partial += argumentText(args, 0);
        if (routine == QLatin1String("PUT_LINE")) {
            out.lines << out.partial;
            out.partial.clear();
        }
    } else if (routine == QLatin1String("NEW_LINE")) {
        if (!args.isEmpty()) return wrongArguments(st, name, args.size());
        if (!out.enabled) return kSuccess;
        out.lines << out.partial;
        out.partial.clear();
    } else {
        return wrongArguments(st, name, args.size());
    }
    return kSuccess;
}

} // namespace

int callBuiltin(Statement *st, const QString &sql) {
    static const QRegularExpression call(
        QStringLiteral(R"(^\s*CALL\s+([A-Za-z0-9_$#@."]+)\s*(?:\((.*)\))?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = call.match(sql);
    if (!match.hasMatch())
        return fail(
            st, "42601", -104,
            QStringLiteral("The CALL statement \"%1\" is not valid.  SQLSTATE=42601").arg(sql));
    QString name = match.captured(1).toUpper();
    name.remove(QLatin1Char('"'));
    if (name.startsWith(QLatin1String("SYSPROC."))) name = name.mid(8);
    QList<Value> args;
    if (!evaluateArguments(st, match.captured(2), args)) return kError;

    if (name.startsWith(QLatin1String("DBMS_OUTPUT.")))
        return outputRoutine(st, name.mid(12), args);
    if (name == QLatin1String("PAVONA.CLEAR_BUFFER"))
        return args.isEmpty() ? clearBuffer(st) : wrongArguments(st, name, args.size());
    if (name == QLatin1String("PAVONA.FLUSH_BUFFER"))
        return args.isEmpty() ? flushBuffer(st) : wrongArguments(st, name, args.size());
    if (name == QLatin1String("ADMIN_CMD")) {
        if (args.size() != 1) return wrongArguments(st, name, args.size());
        return adminCommand(st, argumentText(args, 0));
    }
    return fail(st, "42884", -440,
                QStringLiteral("No procedure named \"%1\" was found. The embedded engine offers "
                               "DBMS_OUTPUT, PAVONA.CLEAR_BUFFER, PAVONA.FLUSH_BUFFER and "
                               "ADMIN_CMD.  SQLSTATE=42884")
                    .arg(name));
}

} // namespace cli::embedded
