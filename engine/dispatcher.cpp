#include "engine/dispatcher.h"

#include "engine/dispatch_table.h"
#include "engine/engine_state.h"
#include "engine/messages.h"
#include "engine/output.h"
#include "engine/statements.h"
#include "engine/variables.h"
#include "engine/window_interface.h"

#include <QColor>
#include <QThread>

namespace {

int depth = 0;

// Keeps the depth right however a run ends.
struct RunLevel {
    RunLevel() { ++depth; }
    ~RunLevel() { --depth; }
};

void resetRunState() {
    engine.busy = false;
    engine.resultKind = kResultMessage;
    engine.silentRowCount = 0;
    engine.columnWidthLimit = 0;
}

// A nested run keeps adding to the history of the run that started it, so every row
// keeps its own outcome.
void startHistory() {
    if (!engine.traceOn || depth > 1) return;
    engine.historyCount = 0;
    engine.ui->historyClear();
}

int appendHistoryRow(const QString &statement) {
    engine.errorFlag = false;
    engine.msgText.clear();
    // Each row shows its own statement's outcome, so an earlier failure's code goes too.
    engine.msgCode = 0;
    const int number = ++engine.historyCount;
    engine.ui->historyAppend(number, summarize(statement).trimmed(), QStringLiteral("Running..."));
    return number;
}

void finishHistoryRow(int number) {
    const QColor colour = engine.msgCode != 0 ? QColor(255, 0, 0) : QColor(0, 255, 0);
    const QString text =
        engine.msgText.isEmpty() ? QStringLiteral("Command completed.") : engine.msgText;
    engine.ui->historySetStatus(number, colour, text);
}

void dispatch(const QString &keyword, const CommandContext &context) {
    if (const CommandHandler *handler = findCommand(keyword)) (*handler)(context);
}

// An external command runs on; its timer clears busy.
void waitWhileBusy() {
    while (engine.busy) {
        engine.ui->processEvents();
        if (engine.busy) QThread::msleep(2);
    }
}

void runStatement(const QString &statement, const CommandContext &context) {
    engine.currentStatement = var_sub(statement, true);
    const QString refusal = takeVariableRefusal();
    const int historyRow = engine.traceOn ? appendHistoryRow(engine.currentStatement) : 0;
    if (!refusal.isEmpty()) {
        // A statement with a hole where a value belongs must not reach the database; what
        // follows in the same run most likely needs the value too.
        setMessage(true, -1, 0, refusal, QStringLiteral("runStatement"));
        engine.stopRun = true;
        if (historyRow) finishHistoryRow(historyRow);
        return;
    }
    const QString keyword = parseCommand(engine.currentStatement).toUpper();
    dispatch(keyword, context);
    if (historyRow) finishHistoryRow(historyRow);
    waitWhileBusy();
}

} // namespace

int runDepth() {
    return depth;
}

void runScript(const QString &text, ResultGrid *grid, QObject *chart) {
    resetRunState();
    QString script = text.trimmed();
    if (script.isEmpty()) return;
    RunLevel level;
    script.replace(u'\t', engine.tabMark);
    // Text from Linux editors and files separates lines with LF.
    script.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');

    engine.blockMode = false;
    const QStringList statements = assembleStatements(script);

    engine.stopRun = false;
    engine.errorFlag = false;
    engine.busy = false;
    engine.msgText.clear();
    startHistory();
    serverOutputClear();
    engine.msgCode = 0;

    const CommandContext context{grid, chart};
    for (const QString &statement : statements) {
        if (engine.stopRun) break;
        runStatement(statement, context);
    }

    if (engine.msgText.isEmpty()) engine.msgText = QStringLiteral("Command completed.");
    serverOutputCollect();
}
