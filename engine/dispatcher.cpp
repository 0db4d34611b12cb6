#include "engine/dispatcher.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/run_outcome.h"
#include "core/shown_text.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "database/cli/cli.h"
#include "database/session.h"
#include "engine/dispatch_table.h"
#include "engine/expectations.h"
#include "engine/output.h"
#include "engine/run_control.h"
#include "engine/runners.h"
#include "engine/statements.h"

#include <QColor>
#include <QThread>
#include <new>

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
    engine.lastResult.reset();
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
    engine.ui->historyAppend(number, summarize(withPasswordsMasked(statement)).trimmed(),
                             QStringLiteral("Running..."));
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

// The failures among the statements of one run text, so that a later success cannot
// hide one.
struct RunFailure {
    QString line; // "Statement 2 of 5 failed: ..."
    int32_t code = 0;
};

// A stopped statement fails with the reason, whatever it managed to report itself.
void reportCancel(const run_control::StatementWatch &watch) {
    const QString reason = watch.cancelReason();
    if (reason.isEmpty()) return;
    // A cancel that reaches the server late can leave the session's own transaction
    // failed, and every later statement with it; outside the user's transaction nothing
    // of the stopped work is wanted.
    if (engine.connected && !transactionOpen(engine))
        runSilentQuery(engine, engine, QStringLiteral("ROLLBACK"));
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

QString notRunLine(int first, int total) {
    return first == total
               ? QStringLiteral("Statement %1 of %2 was not run.").arg(first).arg(total)
               : QStringLiteral("Statements %1 to %2 of %2 were not run.").arg(first).arg(total);
}

// Makes the run's outcome the failures of its statements, shown under whatever output
// the run left; the first failure's code is the run's.
void keepFailures(const QList<RunFailure> &failures, int total) {
    if (failures.isEmpty()) return;
    engine.msgCode = failures.first().code;
    if (total <= 1) return;
    QStringList lines;
    for (const RunFailure &failure : failures)
        lines << failure.line;
    const QString text = lines.join(u'\r');
    engine.errorFlag = true;
    setOutcomeMessage(text);
}

void runStatement(const QString &statement, const CommandContext &context) {
    const run_control::StatementWatch watch;
    engine.currentStatement = var_sub(statement, true);
    if (depth == 1) engine.ranStatements.append({statement, engine.currentStatement});
    const QString refusal = takeVariableRefusal();
    const QString overflow = takeSubstitutionOverflow();
    const int historyRow = engine.traceOn ? appendHistoryRow(engine.currentStatement) : 0;
    if (!overflow.isEmpty()) {
        setMessage(true, -1, 0, overflow, QStringLiteral("runStatement"));
        if (historyRow) finishHistoryRow(historyRow);
        return;
    }
    if (!refusal.isEmpty()) {
        // A statement with a hole where a value belongs must not reach the database; what
        // follows in the same run most likely needs the value too.
        setMessage(true, -1, 0, refusal, QStringLiteral("runStatement"));
        engine.stopRun = true;
        if (historyRow) finishHistoryRow(historyRow);
        return;
    }
    if (isShellCommand(engine.currentStatement.section(u' ', 0, 0))) {
        setMessage(true, -1, 0,
                   QStringLiteral("%1 is a command of another SQL shell, not SQL: it was not run.")
                       .arg(engine.currentStatement.section(u' ', 0, 0)),
                   QStringLiteral("runStatement"));
        if (historyRow) finishHistoryRow(historyRow);
        return;
    }
    const QString keyword = parseCommand(engine.currentStatement).toUpper();
    if (!childProgramsAllowed() && startsChildProgram(keyword)) {
        setMessage(true, -1, 0,
                   QStringLiteral("%1 would start another program, which this run does not "
                                  "allow (--no-child-programs): it was not run.")
                       .arg(keyword),
                   QStringLiteral("runStatement"));
        if (historyRow) finishHistoryRow(historyRow);
        return;
    }
    try {
        dispatch(keyword, context);
    } catch (const std::bad_alloc &) {
        // The statement is lost, not the run or the window.
        setMessage(true, -1, 0,
                   QStringLiteral("Out of memory: the statement needed more memory than the "
                                  "system could give; it was stopped."),
                   QStringLiteral("runStatement"));
    }
    // A child's outcome is known only once it has ended.
    waitWhileBusy();
    reportCancel(watch);
    if (historyRow) finishHistoryRow(historyRow);
}

} // namespace

void setOutcomeMessage(const QString &text) {
    engine.msgText = text;
    if (QString *shown = shownText(engine))
        *shown += u'\r' + text;
    else if (engine.resultKind == kResultRows && !engine.resultText.isEmpty())
        engine.resultText += QStringLiteral("\r\r") + text;
    else
        engine.resultKind = kResultMessage;
}

int runDepth() {
    return depth;
}

RunOutcome runScript(const QString &text, ResultGrid *grid, QObject *chart) {
    const ExpectedFailure expected = expectedFailure(text);
    // Text from Linux editors and files separates lines with LF.
    runStatements(assembleStatements(withCarriageReturns(text.trimmed())), grid, chart);
    // Only the user's own run text is judged by its mark, not what a RUN inside it reads.
    if (depth == 0) settleExpectedFailure(expected);
    return engine;
}

void runStatements(const QStringList &statements, ResultGrid *grid, QObject *chart) {
    // Window events let in while a statement runs must not start another on its session.
    if (cli::executing()) return;
    resetRunState();
    if (statements.isEmpty()) return;
    RunLevel level;
    if (depth == 1) run_control::clearStop(); // a new run from the user

    engine.stopRun = false;
    engine.errorFlag = false;
    engine.busy = false;
    engine.msgText.clear();
    startHistory();
    // A nested run adds to the lines of the run that started it: a PROMPT before a RUN
    // in the same row keeps its line.
    if (depth == 1) serverOutputClear();
    engine.msgCode = 0;

    const CommandContext context{grid, chart};
    if (depth == 1) {
        engine.runStatements = engine.runFailures = 0;
        engine.ranStatements.clear();
    }
    QList<RunFailure> failures;
    const int total = static_cast<int>(statements.size());
    int number = 0;
    for (const QString &statement : statements) {
        if (engine.stopRun || run_control::stopRequested()) break;
        ++number;
        engine.msgCode = 0;
        runStatement(statement, context);
        if (depth == 1) ++engine.runStatements;
        if (engine.msgCode == 0) continue;
        if (depth == 1) ++engine.runFailures;
        failures.append({QStringLiteral("Statement %1 of %2 failed: %3")
                             .arg(number)
                             .arg(total)
                             .arg(engine.msgText),
                         engine.msgCode});
    }

    if (number < total && !failures.isEmpty())
        failures.append({notRunLine(number + 1, total), failures.last().code});
    if (engine.msgText.isEmpty()) engine.msgText = QStringLiteral("Command completed.");
    serverOutputCollect();
    keepFailures(failures, total);
}
