#include "engine/dispatcher.h"

#include "database/cli/cli.h"
#include "engine/dispatch_table.h"
#include "engine/engine_state.h"
#include "engine/messages.h"
#include "engine/output.h"
#include "engine/run_control.h"
#include "engine/statements.h"
#include "engine/text_files.h"
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

// The first failure among the statements of one run text, so that a later success
// cannot hide it.
struct RunFailure {
    int number = 0; // from 1; 0 when none failed
    QString text;
    int32_t code = 0;
};

// A stopped statement fails with the reason, whatever it managed to report itself.
void reportCancel(const run_control::StatementWatch &watch) {
    const QString reason = watch.cancelReason();
    if (reason.isEmpty()) return;
    setMessage(true, -1, 0, reason, QStringLiteral("runStatement"));
    engine.errorFlag = true;
    if (run_control::stopRequested()) engine.stopRun = true;
    if (engine.resultKind == kResultText && !engine.outputText.trimmed().isEmpty())
        engine.outputText += u'\r' + reason;
    else if (engine.resultKind == kResultRows && !engine.resultText.isEmpty())
        engine.resultText += QStringLiteral("\r\r") + reason;
    else
        engine.resultKind = kResultMessage;
}

// Makes the run's outcome the failure of one of its statements, shown under whatever
// output the run left.
void keepFailure(const RunFailure &failure, int total) {
    if (failure.number == 0) return;
    engine.msgCode = failure.code;
    if (total <= 1) return;
    const QString text = QStringLiteral("Statement %1 of %2 failed: %3")
                             .arg(failure.number)
                             .arg(total)
                             .arg(failure.text);
    engine.msgText = text;
    engine.errorFlag = true;
    switch (engine.resultKind) {
    case kResultRows:
        if (engine.resultText.isEmpty())
            engine.resultKind = kResultMessage;
        else
            engine.resultText += QStringLiteral("\r\r") + text;
        break;
    case kResultText:
        engine.outputText += u'\r' + text;
        break;
    case kResultServerOutput:
        engine.serverOutput += u'\r' + text;
        break;
    default:
        engine.resultKind = kResultMessage;
        break;
    }
}

void runStatement(const QString &statement, const CommandContext &context) {
    const run_control::StatementWatch watch;
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
    // A child's outcome is known only once it has ended.
    waitWhileBusy();
    reportCancel(watch);
    if (historyRow) finishHistoryRow(historyRow);
}

} // namespace

int runDepth() {
    return depth;
}

void runScript(const QString &text, ResultGrid *grid, QObject *chart) {
    // Window events let in while a statement runs must not start another on its session.
    if (cli::executing()) return;
    resetRunState();
    QString script = text.trimmed();
    if (script.isEmpty()) return;
    RunLevel level;
    if (depth == 1) run_control::clearStop(); // a new run from the user
    script.replace(u'\t', engine.tabMark);
    // Text from Linux editors and files separates lines with LF.
    script = withCarriageReturns(script);

    engine.blockMode = false;
    const QStringList statements = assembleStatements(script);
    if (statements.size() > kMaxStatements) {
        // Running only the first ones would report a partial run as a whole one.
        setMessage(true, -1, 0,
                   QStringLiteral("The text holds more than %1 statements, more than a run "
                                  "takes; nothing was run.")
                       .arg(kMaxStatements),
                   QStringLiteral("runScript"));
        engine.errorFlag = true;
        return;
    }

    engine.stopRun = false;
    engine.errorFlag = false;
    engine.busy = false;
    engine.msgText.clear();
    startHistory();
    serverOutputClear();
    engine.msgCode = 0;

    const CommandContext context{grid, chart};
    RunFailure failure;
    int number = 0;
    for (const QString &statement : statements) {
        if (engine.stopRun || run_control::stopRequested()) break;
        ++number;
        engine.msgCode = 0;
        runStatement(statement, context);
        if (engine.msgCode != 0 && failure.number == 0)
            failure = {number, engine.msgText, engine.msgCode};
    }

    if (engine.msgText.isEmpty()) engine.msgText = QStringLiteral("Command completed.");
    serverOutputCollect();
    keepFailure(failure, static_cast<int>(statements.size()));
}
