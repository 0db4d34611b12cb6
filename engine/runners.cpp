#include "engine/runners.h"

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/quoting.h"
#include "core/shown_text.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "engine/dispatch_table.h"
#include "engine/run_control.h"
#include "engine/runners_process.h"
#include "engine/statements.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <utility>

namespace {

constexpr int kPollInterval = 100;
const QString kBatchFile = QStringLiteral("NORQCMDS.BAT");
const QString kScriptFile = QStringLiteral("NORQCMDS.NORQ");
const QString kOutputFile = QStringLiteral("NORQCMDS.OUT");
const QString kJsonBatch = QStringLiteral("JSON.BAT");
const QString kJsonScript = QStringLiteral("JSON.JS");
const QString kJsonOutput = QStringLiteral("JSON.OUT");
const QString kCompleted = QStringLiteral("Command completed.");

using PollCallback = void (*)();

QPointer<QTimer> pollTimer;
PollCallback pollTarget = nullptr;
// The command processor's output file of the command being waited for.
QString pendingOutputFile = kOutputFile;
bool allowChildPrograms = true; // off: --no-child-programs

bool hasArgument() {
    return engine.argCount >= 1 && !engine.args[1].isEmpty();
}

QStringList linesOf(const QString &text) {
    return text.split(u'\n');
}

void killPollTimer() {
    if (pollTimer) pollTimer->stop();
    engine.timerId = 0;
}

// Without an event loop nothing would ever deliver the timer, so the wait is done here.
void pollWithoutEventLoop(PollCallback callback) {
    static bool waiting = false;
    if (waiting) return;
    waiting = true;
    while (engine.busy) {
        QThread::msleep(kPollInterval);
        callback();
    }
    waiting = false;
}

void armPollTimer(PollCallback callback) {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        pollWithoutEventLoop(callback);
        return;
    }
    if (!pollTimer) {
        pollTimer = new QTimer(app);
        pollTimer->setSingleShot(true);
        QObject::connect(pollTimer, &QTimer::timeout, [] {
            if (pollTarget) pollTarget();
        });
    }
    pollTarget = callback;
    pollTimer->start(kPollInterval);
    engine.timerId = pollTimer->timerId();
}

// How the child being waited for ended (or that it could not be started), until reported.
ChildEnd lastEnd;

// The process id of a child just started; one that could not be started fails its
// statement once the wait for it ends.
qint64 started(qint64 pid) {
    lastEnd = ChildEnd{};
    if (pid == 0) {
        lastEnd.known = true;
        lastEnd.exitCode = -1;
        lastEnd.errorLines = QStringLiteral("/bin/sh cannot be started.");
    }
    run_control::setChildGroup(pid);
    return pid;
}

// Steps shared by both polls: false while the child still runs (the timer is re-armed).
// A stop request ends the wait too, and the child's process group with it.
bool childHasEnded(PollCallback self) {
    killPollTimer();
    if (!engine.busy) return false;
    ChildEnd end;
    if (!childEnded(engine.processId, &end)) {
        if (!engine.stopRun) {
            armPollTimer(self);
            return false;
        }
        run_control::terminateGroup(engine.processId);
        childEnded(engine.processId, &end);
    }
    if (end.known) lastEnd = end;
    run_control::setChildGroup(0);
    engine.busy = false;
    return true;
}

// Message 34 for a child that failed, with its exit status and the first lines it wrote
// on standard error; empty when it succeeded.
QString childFailure(const ChildEnd &end) {
    if (!end.failed()) return {};
    QString text = engine.messages[34];
    if (end.signal != 0)
        text += QStringLiteral(" (ended by signal %1)").arg(end.signal);
    else if (end.exitCode > 0)
        text += QStringLiteral(" (exit status %1)").arg(end.exitCode);
    if (!end.errorLines.isEmpty()) text += u'\r' + end.errorLines;
    return text;
}

// A failed child fails its statement; output it wrote stays, the failure under it.
void reportChildEnd() {
    const QString failure = childFailure(std::exchange(lastEnd, ChildEnd{}));
    if (failure.isEmpty()) return;
    setMessage(true, -1, 0, failure, QStringLiteral("runners"));
    engine.errorFlag = true;
    if (engine.resultKind == kResultText && !engine.outputText.trimmed().isEmpty())
        engine.outputText += u'\r' + failure;
    else
        engine.resultKind = kResultMessage;
}

void startAndWait(qint64 pid, bool capture) {
    engine.processId = static_cast<int32_t>(pid);
    engine.captureOutput = capture;
    engine.busy = true;
    armPollTimer(pollCommand);
}

void reportWorkFileFailure(const QString &name, const QString &reason) {
    setMessage(
        true, -1, 0,
        QStringLiteral("Cannot create the work file %1: %2.").arg(workFilePath(name), reason),
        QStringLiteral("runners"));
}

// A suffix names work files; only letters, digits, "_" and "-" can do so safely.
QString fileNameSafe(const QString &suffix) {
    QString safe;
    for (const QChar ch : suffix)
        if (ch.isLetterOrNumber() || ch == u'_' || ch == u'-') safe += ch;
    return safe;
}

struct ClpOptions {
    QString file = QStringLiteral("NORQCMDS");
    QString delimiter = QStringLiteral(";");
    QString options;
    QString suffix;
};

QString argumentAfter(int position) {
    return position + 1 <= engine.argCount ? engine.args[position + 1] : QString();
}

ClpOptions readClpOptions() {
    ClpOptions clp;
    int position = 1;
    while (position <= engine.argCount) {
        const QString word = engine.args[position].toUpper();
        int step = 2;
        if (word == QLatin1String("FILE"))
            clp.file = argumentAfter(position);
        else if (word == QLatin1String("DELIM"))
            clp.delimiter = argumentAfter(position);
        else if (word == QLatin1String("OPTIONS"))
            clp.options = argumentAfter(position);
        else if (word == QLatin1String("SEQ"))
            clp.suffix = fileNameSafe(argumentAfter(position).trimmed().toUpper());
        else {
            step = 1;
            if (word == QLatin1String("NOWAIT")) engine.busy = false;
            if (word == QLatin1String("QUIET")) engine.captureOutput = false;
        }
        position += step;
    }
    return clp;
}

// Children run in the user's working folder, so work files are named by their full path.
QString workFileArgument(const QString &name) {
    return shellQuoted(workFilePath(name));
}

// The lines of JSON.JS from the JSON script lines: "database(name)" lines name the
// database, the other lines are joined into commands that end at a ";". Empty when no
// command was seen.
QStringList jsonCommands(const QStringList &lines) {
    QString pending;
    QStringList commands;
    auto writeLine = [&commands](const QString &line) { commands.append(line); };
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        const qsizetype open = line.indexOf(QLatin1String("database("));
        if (open >= 0) {
            const qsizetype start = open + 9;
            const qsizetype close = line.indexOf(u')', start);
            var_add(QStringLiteral("jsondb"),
                    (close < 0 ? line.mid(start) : line.mid(start, close - start)).trimmed());
            continue;
        }
        if (line.isEmpty()) continue;
        if (!pending.isEmpty()) pending += u' ';
        pending += line;
        if (line.contains(u';')) {
            writeLine(pending.remove(u';'));
            pending.clear();
        }
    }
    if (!pending.isEmpty()) writeLine(pending);
    return commands;
}

// A name placed inside the double quotes of a documented command line: as it is when
// plain, otherwise leaving the double quotes for a single-quoted piece.
QString insideDoubleQuotes(const QString &name) {
    const QString quoted = shellQuoted(name);
    return quoted == name ? name : u'"' + quoted + u'"';
}

// The JSON tool's banner (up to "sensitive."), prompts, farewell and acknowledgements
// are not part of the answer.
QString cleanJsonOutput(QString text) {
    static const QRegularExpression acknowledgement(QStringLiteral("\\bOK\\b"));
    const QString bannerEnd = QStringLiteral("sensitive.");
    const qsizetype banner = text.indexOf(bannerEnd);
    if (banner >= 0) text = text.mid(banner + bannerEnd.size());
    text.remove(QStringLiteral("Bye."));
    text.remove(QStringLiteral("nosql>"));
    text.remove(acknowledgement);
    return text;
}

} // namespace

void setChildProgramsAllowed(bool allowed) {
    allowChildPrograms = allowed;
}

bool childProgramsAllowed() {
    return allowChildPrograms;
}

bool startsChildProgram(const QString &keyword) {
    static const QStringList keywords{QStringLiteral("CMD"),     QStringLiteral("HOST"),
                                      QStringLiteral("NORQ"),    QStringLiteral("CLP"),
                                      QStringLiteral("NORQSET"), QStringLiteral("JSON")};
    return keywords.contains(keyword);
}

QStringList childProgramStatements(const QString &runText) {
    QStringList found;
    for (const QString &statement : assembleStatements(withCarriageReturns(runText))) {
        const QString keyword = commandKeyword(statement);
        if (startsChildProgram(keyword))
            found << (statement.trimmed().startsWith(u'!') ? QStringLiteral("!") : keyword);
    }
    return found;
}

void cmd_dos() {
    if (!hasArgument()) return;
    QString error;
    if (!writeWorkFile(kBatchFile, linesOf(engine.args[1]), &error)) {
        reportWorkFileFailure(kBatchFile, error);
        return;
    }
    startAndWait(started(startShellFile(workFilePath(kBatchFile))), false);
}

void cmd_norqset() {
    if (!hasArgument()) return;
    QString error;
    if (!writeWorkFile(kBatchFile, {QStringLiteral("NORQSET ") + shellWords(engine.args[1])},
                       &error)) {
        reportWorkFileFailure(kBatchFile, error);
        return;
    }
    startAndWait(started(startShellFile(workFilePath(kBatchFile))), false);
}

void cmd_norq() {
    if (!hasArgument()) return;
    engine.busy = true;
    engine.captureOutput = true;
    removeWorkFiles({kOutputFile, kBatchFile, kScriptFile});
    const QString commandLine = QStringLiteral("norq -tvf ") + workFileArgument(kScriptFile) +
                                QStringLiteral(" -o- -z ") + workFileArgument(kOutputFile);
    QString error;
    // The output echoes the script, passwords included: it is made private before the
    // processor writes into it.
    const QString failed = !writeWorkFile(kBatchFile, {commandLine}, &error) ? kBatchFile
                           : !writeWorkFile(kScriptFile, linesOf(engine.args[1]), &error)
                               ? kScriptFile
                           : !writeWorkFile(kOutputFile, {}, &error) ? kOutputFile
                                                                     : QString();
    if (!failed.isEmpty()) {
        engine.busy = false;
        reportWorkFileFailure(failed, error);
        return;
    }
    pendingOutputFile = kOutputFile;
    const QString starter =
        var_sub(QStringLiteral("norqcmd /i /c /w "), true) + workFileArgument(kBatchFile);
    engine.processId = static_cast<int32_t>(started(startShellCommand(starter)));
    if (engine.busy) armPollTimer(pollCommand);
}

void cmd_clp() {
    if (!hasArgument()) return;
    engine.busy = true;
    engine.captureOutput = true;
    const ClpOptions clp = readClpOptions();
    if (clp.file.isEmpty()) {
        engine.busy = false;
        return;
    }
    const QString batchFile = QStringLiteral("NORQCMDS") + clp.suffix + QStringLiteral(".BAT");
    const QString outputFile = QStringLiteral("NORQCMDS") + clp.suffix + QStringLiteral(".OUT");
    removeWorkFiles({batchFile, outputFile});
    const QString commandLine = QStringLiteral("norq -td") + shellQuoted(clp.delimiter) +
                                QStringLiteral(" -vf ") + shellQuoted(clp.file) +
                                QStringLiteral(" -o- ") + shellWords(clp.options) +
                                QStringLiteral(" -z ") + workFileArgument(outputFile);
    QString error;
    const QString failed = !writeWorkFile(batchFile, {commandLine}, &error) ? batchFile
                           : !writeWorkFile(outputFile, {}, &error)         ? outputFile
                                                                            : QString();
    if (!failed.isEmpty()) {
        engine.busy = false;
        reportWorkFileFailure(failed, error);
        return;
    }
    const QString starter =
        var_sub(QStringLiteral("norqcmd /i /c /w "), true) + workFileArgument(batchFile);
    engine.processId = static_cast<int32_t>(started(startShellCommand(starter)));
    if (engine.busy) {
        pendingOutputFile = outputFile;
        armPollTimer(pollCommand);
    }
}

void cmd_json() {
    if (!hasArgument()) return;
    var_add(QStringLiteral("jsonpath"), var_sub(QStringLiteral("&norqpath/json"), false));
    var_add(QStringLiteral("quote"), QStringLiteral("\""));
    removeWorkFiles({kJsonBatch, kJsonOutput, kJsonScript});

    const QStringList commands = jsonCommands(linesOf(engine.args[1]));
    if (!writeWorkFile(kJsonScript, commands)) {
        setMessage(true, -1, 0,
                   QStringLiteral("Cannot open %1 to execute commands. Check "
                                  "Administrator rights.")
                       .arg(workFilePath(kJsonScript)),
                   QStringLiteral("cmd_json"));
        return;
    }
    if (commands.isEmpty()) {
        setMessage(true, 0, 0, kCompleted, QStringLiteral("cmd_json"));
        return;
    }
    // $CLASSPATH is for the shell to expand; the folder and database names are not.
    const QString jars = QStringLiteral("%1/lib/quaddoc.jar:%1/lib/js.jar:%1/lib/mongo-2.8.0.jar")
                             .arg(insideDoubleQuotes(var_sub(QStringLiteral("&jsonpath"), false)));
    const QString toolLine = QStringLiteral("java -cp \"") + jars +
                             QStringLiteral(":$CLASSPATH\" com.velmora.quaddoc.cmd.QuaddocCmdLine "
                                            "--file ") +
                             workFileArgument(kJsonScript) + QStringLiteral(" --url \"jdbc:norq:") +
                             insideDoubleQuotes(var_sub(QStringLiteral("&jsondb"), false)) +
                             QStringLiteral("\" >") + workFileArgument(kJsonOutput);
    if (!writeWorkFile(kJsonBatch, {toolLine}) || !writeWorkFile(kJsonOutput, {})) {
        setMessage(true, -1, 0,
                   QStringLiteral("Cannot open %1 to execute commands. Check "
                                  "Administrator rights.")
                       .arg(workFilePath(kJsonBatch)),
                   QStringLiteral("cmd_json"));
        return;
    }
    engine.processId = static_cast<int32_t>(started(startShellFile(workFilePath(kJsonBatch))));
    engine.busy = true;
    engine.captureOutput = true;
    armPollTimer(pollJson);
}

void pollCommand() {
    if (!childHasEnded(pollCommand)) return;
    if (engine.captureOutput) {
        // The processor echoes its script, a CONNECT's password included.
        engine.outputText =
            withPasswordsMasked(withCarriageReturns(readWorkFile(pendingOutputFile)));
        engine.resultKind = kResultText;
    }
    reportChildEnd();
}

void pollJson() {
    if (!childHasEnded(pollJson)) return;
    if (!engine.captureOutput) {
        reportChildEnd();
        return;
    }
    const QString text = withCarriageReturns(cleanJsonOutput(readWorkFile(kJsonOutput)));
    if (!text.trimmed().isEmpty()) {
        engine.outputText = text;
        engine.resultKind = kResultText;
    } else {
        engine.outputText.clear();
        setMessage(true, 0, 0, kCompleted, QStringLiteral("pollJson"));
        engine.resultKind = kResultMessage;
    }
    reportChildEnd();
}

void registerRunnerCommands() {
    registerCommand(QStringLiteral("NORQ"), [](const CommandContext &) { cmd_norq(); });
    registerCommand(QStringLiteral("CLP"), [](const CommandContext &) { cmd_clp(); });
    registerCommand(QStringLiteral("JSON"), [](const CommandContext &) { cmd_json(); });
    registerCommand(QStringLiteral("NORQSET"), [](const CommandContext &) { cmd_norqset(); });
    registerCommand(QStringLiteral("CMD"), [](const CommandContext &) { cmd_dos(); });
    registerCommand(QStringLiteral("HOST"), [](const CommandContext &) { cmd_dos(); });
    registerCommand(QStringLiteral("SHOWPLAN"), [](const CommandContext &) { cmd_explain(); });
}
