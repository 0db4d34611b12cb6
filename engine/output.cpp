#include "engine/output.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "database/cli/cli.h"
#include "database/execution.h"
#include "database/session.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const QString CRLF = QStringLiteral("\r\n");

void notDefined(const char *procName) {
    setMessage(false, -1, 50, QStringLiteral("Not defined"), QString::fromLatin1(procName));
}

bool writeToSpool(const QString &text) {
    QFile *file = engine.spoolUnit.get();
    if (!file) return false;
    const QByteArray bytes = text.toUtf8();
    // Flushed at once, so the file is complete whenever the program stops.
    if (file->write(bytes) != bytes.size() || !file->flush()) {
        setMessage(false, -1, 50, engine.spoolFile + QStringLiteral(": ") + file->errorString(),
                   QStringLiteral("output_write"));
        return false;
    }
    return true;
}

// One result column bound into the shared fetch buffer.
struct BoundColumn {
    int offset = 0;
    int length = 0;
    int32_t indicator = 0;
};

int boundSize(int16_t type, uint32_t size) {
    if (type == cli::kTypeXml || size > 4000) return 4000;
    return int(size);
}

// Binds up to 255 columns into fetchBuffer; false when they do not fit.
bool bindColumns(CliHandle stmt, int16_t count, std::vector<BoundColumn> &columns) {
    columns.assign(std::min<int>(count, kMaxResultColumns), {});
    int offset = 1;
    for (int16_t col = 1; col <= int16_t(columns.size()); ++col) {
        char name[33] = {};
        int16_t nameLen = 0, type = 0, decimals = 0, nullable = 0;
        uint32_t size = 0;
        cli::SQLDescribeCol(stmt, col, name, sizeof name, &nameLen, &type, &size, &decimals,
                            &nullable);
        BoundColumn &column = columns[col - 1];
        column.offset = offset;
        column.length = boundSize(type, size) + 16;
        offset += column.length;
        if (offset >= kFetchBufferSize) return false;
        cli::SQLBindCol(stmt, col, cli::kCChar, &engine.fetchBuffer[column.offset], column.length,
                        &column.indicator);
    }
    return true;
}

QString rowLine(const std::vector<BoundColumn> &columns) {
    QStringList values;
    for (const BoundColumn &column : columns)
        values << bytesToText(engine, column.offset, column.length);
    return values.join(u',');
}

void clearFetchBuffer() {
    engine.fetchBuffer.fill(0);
}

// The value as the server sent it, line breaks included.
QString columnValue(const BoundColumn &column) {
    const char *first = &engine.fetchBuffer[column.offset];
    const int available = std::min(column.length, kFetchBufferSize + 1 - column.offset);
    return QString::fromUtf8(first, qsizetype(strnlen(first, size_t(available))));
}

// A value holding a comma, a quote or a line break is quoted, its quotes doubled, so that
// a CSV reader gets it back whole; any other value keeps its bytes.
QString csvField(const QString &value) {
    const bool plain = std::none_of(value.begin(), value.end(), [](QChar ch) {
        return ch == u',' || ch == u'"' || ch == u'\r' || ch == u'\n';
    });
    if (plain) return value;
    return u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString csvLine(const std::vector<BoundColumn> &columns) {
    QStringList fields;
    for (const BoundColumn &column : columns)
        fields << csvField(columnValue(column));
    return fields.join(u',');
}

bool succeeded(int rc) {
    return rc == cli::kSuccess || rc == cli::kSuccessWithInfo;
}

// Allocates engine.stmtHandle and executes sql without escape scanning.
int executeDirect(const QString &sql) {
    engine.lastRc = cli::SQLAllocStmt(engine.connHandle, &engine.stmtHandle);
    if (!succeeded(engine.lastRc)) return engine.lastRc;
    cli::SQLSetStmtAttr(engine.stmtHandle, cli::kAttrNoScan, 1, 0);
    const QByteArray text = sql.toUtf8();
    engine.lastRc = cli::SQLExecDirect(engine.stmtHandle, text.constData(), int(text.size()));
    return engine.lastRc;
}

void writeQueryRows(const std::vector<BoundColumn> &columns) {
    int rc = cli::SQLFetch(engine.stmtHandle);
    if (rc == cli::kNoData) {
        engine.errorFlag = true;
        setMessage(false, 0, 12, QString(), QStringLiteral("output_query"));
        Norq_close(engine);
        return;
    }
    if (!succeeded(rc)) {
        reportCliError(engine);
        return;
    }
    while (succeeded(rc)) {
        if (!writeToSpool(csvLine(columns) + CRLF)) break;
        clearFetchBuffer();
        rc = cli::SQLFetch(engine.stmtHandle);
    }
    Norq_close(engine);
}

// Whether the connected server holds PAVONA.MESSAGES and its procedures; without them
// the engine keeps the run's lines itself (PROMPT's, and the server's notices).
bool serverObjects = false;
QStringList engineLines;

} // namespace

void output_close() {
    if (engine.spoolUnit) engine.spoolUnit->close();
    engine.spoolUnit.reset();
    engine.spoolOpen = false;
}

void output_open() {
    const QString name = engine.argCount >= 1 ? engine.args[1] : QString();
    if (name.trimmed().isEmpty()) {
        setMessage(false, -1, 20, QString(), QStringLiteral("output_open"));
        return;
    }
    output_close();
    if (name.trimmed().toUpper() == u"OFF") return;
    engine.spoolFile = name;
    auto file = std::make_shared<QFile>(name);
    // Unbuffered: a failed write keeps the system's reason ("No space left on device").
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        setMessage(false, -1, 50, name + QStringLiteral(": ") + file->errorString(),
                   QStringLiteral("output_open"));
        return;
    }
    engine.spoolUnit = file;
    engine.spoolOpen = true;
}

void output_write(const QString &text) {
    if (!engine.spoolOpen) {
        notDefined("output_write");
        return;
    }
    writeToSpool(QString(text).replace(u'\n', CRLF) + CRLF);
}

void output_query() {
    if (!engine.spoolOpen) {
        notDefined("output_query");
        return;
    }
    const QString sql = engine.argCount >= 1 ? engine.args[1].trimmed() : QString();
    if (sql.isEmpty()) return;
    if (!engine.connected) {
        engine.stopRun = true;
        setMessage(false, -1, 13, QString(), QStringLiteral("output_query"));
        return;
    }
    if (!succeeded(executeDirect(sql))) {
        reportCliError(engine);
        return;
    }
    int16_t count = 0;
    cli::SQLNumResultCols(engine.stmtHandle, &count);
    if (count <= 0) {
        Norq_close(engine);
        return;
    }
    clearFetchBuffer();
    std::vector<BoundColumn> columns;
    if (!bindColumns(engine.stmtHandle, count, columns)) {
        setMessage(false, 0, 28, QString(), QStringLiteral("output_query"));
        Norq_close(engine);
        return;
    }
    writeQueryRows(columns);
}

void cmd_prompt() {
    const QString text =
        QString(engine.argCount >= 1 ? engine.args[1] : QString()).replace(u'\'', u'`');
    if (!serverObjects || !engine.connected) {
        engineLines << text;
        return;
    }
    runSilentQuery(engine, engine,
                   QStringLiteral("CALL DBMS_OUTPUT.PUT_LINE('") + text + QStringLiteral("')"));
}

void serverOutputNotice(const QString &line) {
    engineLines << line;
}

void serverOutputSetup() {
    engineLines.clear();
    // A server of another dialect cannot hold them: it is not asked at all.
    serverObjects = connectedToNativeDialect(engine);
    if (!serverObjects) return;
    runSilentQuery(engine, engine, QStringLiteral("DROP TABLE PAVONA.MESSAGES"));
    serverObjects = succeeded(
        executeDirect(QStringLiteral("CREATE TABLE PAVONA.MESSAGES ( PRINT_LINE VARCHAR(255) )")));
    Norq_close(engine);
    if (!serverObjects) return;
    runSilentQuery(engine, engine,
                   QStringLiteral("CREATE OR REPLACE PROCEDURE PAVONA.CLEAR_BUFFER() "
                                  "BEGIN "
                                  "  TRUNCATE TABLE PAVONA.MESSAGES; "
                                  "  CALL DBMS_OUTPUT.ENABLE( NULL ); "
                                  "END "));
    runSilentQuery(engine, engine,
                   QStringLiteral("CREATE OR REPLACE PROCEDURE PAVONA.FLUSH_BUFFER() "
                                  "BEGIN "
                                  "  DECLARE LINE VARCHAR(255); "
                                  "  DECLARE STATUS INTEGER; "
                                  " "
                                  "  CALL DBMS_OUTPUT.GET_LINE( LINE, STATUS ); "
                                  "  WHILE STATUS = 0 DO "
                                  "    INSERT INTO PAVONA.MESSAGES VALUES ( LINE ); "
                                  "    CALL DBMS_OUTPUT.GET_LINE( LINE, STATUS ); "
                                  "  END WHILE; "
                                  "END "));
}

// Where the engine can tell that nothing was printed since the last clear, the buffer
// needs no clearing and there is nothing to collect: the statements would cost more than
// a user's own.
void serverOutputClear() {
    if (serverObjects && !cli::serverOutputAsCleared(engine.connHandle))
        runSilentQuery(engine, engine, QStringLiteral("CALL PAVONA.CLEAR_BUFFER"));
    engine.serverOutput.clear();
    engineLines.clear();
}

// The lines since the buffer was last cleared replace what a nested run collected
// instead of repeating it; the engine's own lines follow those the server printed.
// A result or a command's text the run ends with stays, the lines under it: shown instead
// of it, a query's rows would be lost behind a notice or a PROMPT line.
void showServerOutput(QStringList lines) {
    lines << engineLines;
    if (lines.isEmpty()) return;
    engine.serverOutput = lines.join(u'\r');
    if (engine.resultKind == kResultRows && !engine.resultText.isEmpty())
        engine.resultText += QStringLiteral("\r\r") + engine.serverOutput;
    else if (engine.resultKind == kResultText && !engine.outputText.isEmpty())
        engine.outputText += u'\r' + engine.serverOutput;
    else
        engine.resultKind = kResultServerOutput;
}

void serverOutputCollect() {
    if (!serverObjects || !engine.connected || cli::serverOutputAsCleared(engine.connHandle)) {
        showServerOutput({});
        return;
    }
    runSilentQuery(engine, engine, QStringLiteral("CALL PAVONA.FLUSH_BUFFER"));
    const int rc = executeDirect(QStringLiteral("SELECT PRINT_LINE FROM PAVONA.MESSAGES"));
    if (!succeeded(rc) || !engine.stmtHandle) {
        Norq_close(engine);
        showServerOutput({});
        return;
    }
    int16_t count = 0;
    cli::SQLNumResultCols(engine.stmtHandle, &count);
    if (count <= 0) {
        Norq_close(engine);
        showServerOutput({});
        return;
    }
    clearFetchBuffer();
    std::vector<BoundColumn> columns;
    bindColumns(engine.stmtHandle, 1, columns);
    QStringList lines;
    while (succeeded(cli::SQLFetch(engine.stmtHandle))) {
        lines << rowLine(columns);
        clearFetchBuffer();
    }
    Norq_close(engine);
    showServerOutput(lines);
}
