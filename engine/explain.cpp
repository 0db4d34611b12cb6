#include "engine/explain.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "engine/run_control.h"
#include "engine/runners_process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>

namespace {

constexpr int kWaitSlice = 50;
// An explain that takes longer than this is given up (the tool is stopped).
constexpr int kMaxWaitMs = 10 * 60 * 1000;
const QString kStatementFile = QStringLiteral("NORQSQL.SQL");
const QString kReportFile = QStringLiteral("NORQCMDS.OUT");
const QString kCostMarker = QStringLiteral("Cost =");
const QString kLineEnd = QStringLiteral("\r\n");
const QString kTool = QStringLiteral("norqexpln");

// Runs the explain tool and waits for it, letting window events run; a stop request or
// the time limit ends the wait and the tool's process group. The tool's failure, or "".
QString runExplainTool(const QStringList &arguments) {
    // Kept off the command line, where every user could read them: a URI or connection
    // string may hold a password too.
    QStringList environment{QStringLiteral("PAVONA_DATABASE=") + engine.databaseName};
    if (!engine.userId.isEmpty())
        environment << QStringLiteral("PAVONA_USER=") + engine.userId
                    << QStringLiteral("PAVONA_PASSWORD=") + engine.userPassword;
    const QString tool = resolveProgram(kTool);
    const qint64 pid = startInBackground(tool, arguments, environment);
    if (pid == 0) return QStringLiteral("%1 cannot be started.").arg(kTool);
    engine.ui->setBusyPointer(true);
    run_control::setChildGroup(pid);
    const QDeadlineTimer deadline(kMaxWaitMs);
    ChildEnd end;
    while (!childEnded(pid, &end)) {
        engine.ui->processEvents();
        if (engine.stopRun || deadline.hasExpired()) {
            run_control::terminateGroup(pid);
            while (!childEnded(pid, &end))
                QThread::msleep(kWaitSlice);
            break;
        }
        QThread::msleep(kWaitSlice);
    }
    run_control::setChildGroup(0);
    engine.ui->setBusyPointer(false);
    if (!end.failed()) return {};
    QString failure =
        end.signal != 0
            ? QStringLiteral("%1 was stopped (signal %2).").arg(kTool).arg(end.signal)
            : QStringLiteral("%1 failed (exit status %2).").arg(kTool).arg(end.exitCode);
    if (!end.errorLines.isEmpty()) failure += u'\r' + end.errorLines;
    return failure;
}

} // namespace

// The cost line, then the plan lines between "Plan:" and "===".
void readPlanReport() {
    QFile file(workFilePath(kReportFile));
    if (!file.open(QIODevice::ReadOnly)) return;
    QTextStream in(&file);
    QString costLine;
    while (costLine.isEmpty() && !in.atEnd()) {
        const QString line = in.readLine();
        if (line.contains(kCostMarker)) costLine = line.mid(line.indexOf(kCostMarker));
    }
    if (costLine.isEmpty() || in.atEnd()) return;
    var_add(QStringLiteral("PLANCOST"), costLine.mid(kCostMarker.size()).trimmed());

    bool planFound = false;
    while (!planFound && !in.atEnd())
        planFound = in.readLine().contains(QLatin1String("Plan:"));
    if (!planFound) return;

    QString report = costLine + kLineEnd;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1String("==="))) break;
        if (!line.trimmed().isEmpty()) report += kLineEnd + line;
    }
    engine.resultKind = kResultText;
    engine.outputText = report;
}

void cmd_explain() {
    if (engine.argCount < 1 || engine.args[1].isEmpty()) {
        setMessage(false, -1, 20, QString(), QStringLiteral("cmd_explain"));
        return;
    }
    const QString failure = showPlan(engine.args[1]);
    if (!failure.isEmpty()) {
        setMessage(true, -1, 0, failure, QStringLiteral("cmd_explain"));
        engine.errorFlag = true;
        return;
    }
    setMessage(false, 0, 26, QString(), QStringLiteral("cmd_explain"));
}

QString showPlan(const QString &statement) {
    if (statement.isEmpty()) return {};
    removeWorkFiles({kStatementFile, kReportFile});
    QString error;
    if (!writeWorkFile(kStatementFile, {statement}, &error) ||
        !writeWorkFile(kReportFile, {}, &error))
        return QStringLiteral("Cannot create the work file %1: %2.")
            .arg(workFilePath(kStatementFile), error);
    const QString failure =
        runExplainTool({QStringLiteral("-t"), QStringLiteral("-z"), QStringLiteral(";"),
                        QStringLiteral("-o"), workFilePath(kReportFile), QStringLiteral("-g"),
                        QStringLiteral("-f"), workFilePath(kStatementFile)});
    if (!failure.isEmpty()) {
        // The tool says why in its report.
        const QString report = withCarriageReturns(readWorkFile(kReportFile).trimmed());
        return report.isEmpty() ? failure : failure + u'\r' + report.section(u'\r', 0, 9);
    }
    readPlanReport();
    return {};
}
