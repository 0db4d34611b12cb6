#include "engine/explain.h"

#include "engine/engine_state.h"
#include "engine/messages.h"
#include "engine/runners_process.h"
#include "engine/variables.h"
#include "engine/window_interface.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>

namespace {

constexpr int kWaitSlice = 50;
// An explain that takes longer than this is given up (the tool is stopped).
constexpr int kMaxWaitMs = 10 * 60 * 1000;
const QString kStatementFile = QStringLiteral("NORQSQL.SQL");
const QString kReportFile = QStringLiteral("NORQCMDS.OUT");
const QString kCostMarker = QStringLiteral("Cost =");
const QString kLineEnd = QStringLiteral("\r\n");

// Runs the explain tool and waits for it, letting window events run; a stop request or
// the time limit ends the wait.
void runExplainTool(const QString &commandLine) {
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty()) return;
    QProcess tool;
    tool.setProgram(resolveProgram(words.takeFirst()));
    tool.setArguments(words);
    QStringList environment = childEnvironment();
    if (!engine.userId.isEmpty()) // kept off the command line, where every user could read it
        environment << QStringLiteral("PAVONA_USER=") + engine.userId
                    << QStringLiteral("PAVONA_PASSWORD=") + engine.userPassword;
    tool.setEnvironment(environment);
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.setStandardErrorFile(QProcess::nullDevice());
    engine.ui->setBusyPointer(true);
    tool.start();
    if (tool.waitForStarted()) {
        const QDeadlineTimer deadline(kMaxWaitMs);
        while (!tool.waitForFinished(kWaitSlice)) {
            if (tool.state() == QProcess::NotRunning) break;
            engine.ui->processEvents();
            if (engine.stopRun || deadline.hasExpired()) {
                tool.kill();
                tool.waitForFinished(1000);
                break;
            }
        }
    }
    engine.ui->setBusyPointer(false);
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
    showPlan(engine.args[1]);
    setMessage(false, 0, 26, QString(), QStringLiteral("cmd_explain"));
}

void showPlan(const QString &statement) {
    if (statement.isEmpty()) return;
    removeWorkFiles({kStatementFile, kReportFile});
    if (!writeWorkFile(kStatementFile, {statement}) || !writeWorkFile(kReportFile, {})) return;
    runExplainTool(QStringLiteral("norqexpln -t -d ") + engine.databaseName +
                   QStringLiteral("  -z ; -o ") + kReportFile + QStringLiteral(" -g -f ") +
                   kStatementFile);
    readPlanReport();
}
