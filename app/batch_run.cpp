#include "app/batch_run.h"

#include "app/batch_stream.h"
#include "app/batch_window_interface.h"
#include "check/compare.h"
#include "check/script_snapshot.h"
#include "check/snapshot.h"
#include "core/engine_state.h"
#include "core/file_writer.h"
#include "core/shown_text.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "database/session.h"
#include "document/document_run.h"
#include "document/row_model.h"
#include "document/script_lines.h"
#include "engine/builtin_commands.h"
#include "engine/run_control.h"
#include "engine/runners.h"
#include "engine/startup.h"
#include "export/export.h"
#include "export/export_csv.h"
#include "mainwindow/start_library.h"
#include "windows/plot.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

void say(const QString &line) {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

namespace {

constexpr int kSummaryLength = 72;

int fail(const QString &message) {
    say(QStringLiteral("pavona: ") + message);
    return BatchExit::cannotStart;
}

// Nothing to tidy or escape: no line break, mark, control, other blank or run of spaces.
bool alreadyOneLine(QStringView text, QChar mark) {
    if (text.isEmpty()) return true;
    if (text.front() == u' ' || text.back() == u' ') return false;
    char16_t previous = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || (c >= 0x7f && c < 0xa0) || ch == mark) return false;
        if ((c == u' ' && previous == u' ') || (c >= 0xa0 && ch.isSpace())) return false;
        previous = c;
    }
    return true;
}

// Line breaks and line marks as spaces, runs of blanks as one. Every statement's progress
// line asks twice, so one pass where the mark is one character, as it always is.
QString oneLine(QString text) {
    if (engine.lineMark.size() > 1) {
        text.replace(engine.lineMark, QStringLiteral(" "));
        return withControlsEscaped(text.simplified());
    }
    const QChar mark = engine.lineMark.isEmpty() ? QChar(u'\n') : engine.lineMark[0];
    if (alreadyOneLine(text, mark)) return text;
    QString line(text.size(), Qt::Uninitialized);
    QChar *out = line.data();
    qsizetype size = 0;
    bool blank = false;
    for (const QChar ch : std::as_const(text)) {
        if (ch == mark || ch.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && size > 0) out[size++] = u' ';
        blank = false;
        out[size++] = ch;
    }
    line.truncate(size);
    return withControlsEscaped(line);
}

QString shortSummary(const QString &summary) {
    // A row can hold a whole dump: tidy only its start when that is long enough to fill the
    // line twice over, so that whatever is cut at its end lies far past what is shown.
    constexpr qsizetype kHead = 16 * kSummaryLength;
    QString line;
    if (summary.size() > kHead) line = oneLine(withPasswordsMasked(summary.left(kHead)));
    if (line.size() < 2 * kSummaryLength) line = oneLine(withPasswordsMasked(summary));
    if (line.size() <= kSummaryLength) return line;
    return line.left(kSummaryLength - 1).trimmed() + QChar(0x2026); // an ellipsis
}

// "(12s)" or "(0.004s)" at the end.
bool endsWithTime(const QString &message) {
    if (!message.endsWith(QLatin1String("s)"))) return false;
    const qsizetype open = message.lastIndexOf(u'(');
    if (open < 0) return false;
    const QStringView figure = QStringView(message).sliced(open + 1, message.size() - open - 3);
    const qsizetype point = figure.indexOf(u'.');
    const auto digits = [](QStringView part) {
        return !part.isEmpty() && std::all_of(part.begin(), part.end(),
                                              [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
    };
    return point < 0 ? digits(figure)
                     : digits(figure.first(point)) && digits(figure.sliced(point + 1));
}

// Why the script cannot be run, or empty. longScript says why it holds more than a
// document can, empty when it does not: it then runs statement by statement as it is read.
QString scriptProblem(const QString &path, QString *longScript) {
    const QFileInfo script(path);
    if (!script.exists()) return QStringLiteral("cannot read script '%1': no such file").arg(path);
    if (script.isDir()) return QStringLiteral("cannot read script '%1': it is a folder").arg(path);
    if (!script.isReadable())
        return QStringLiteral("cannot read script '%1': permission denied").arg(path);
    ScriptLines lines;
    if (!lines.readFile(path)) {
        const QString special = notRegularFile(path);
        return QStringLiteral("cannot read script '%1'").arg(path) +
               (special.isEmpty() ? QString() : QStringLiteral(": ") + special);
    }
    *longScript = lines.cutReason();
    return {};
}

// Standard output, a pipe or a terminal: written as it is, and with nothing beside it.
bool isStream(const QString &path) {
    const QFileInfo target(path);
    return openDescriptorNamed(path) >= 0 || (target.exists() && !target.isFile());
}

// Checked before anything runs, so that a run's work is not lost to a typing mistake. An
// export the user names may be a stream; a snapshot, read back later, may not.
QString exportProblem(const QString &path, const QString &script,
                      const QString &what = QStringLiteral("export"), bool streamAllowed = true) {
    if (path.isEmpty()) return {};
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (target.isDir())
        return QStringLiteral("cannot write %2 '%1': it is a folder").arg(path, what);
    if (streamAllowed && isStream(path))
        return target.isWritable() || openDescriptorNamed(path) >= 0
                   ? QString()
                   : QStringLiteral("cannot write %2 '%1': permission denied").arg(path, what);
    if (target.exists() && !target.isFile())
        return QStringLiteral("cannot write %2 '%1': it is not a regular file (a device, a pipe "
                              "or a socket)")
            .arg(path, what);
    if (target.exists() && target.canonicalFilePath() == QFileInfo(script).canonicalFilePath())
        return QStringLiteral("cannot write %2 '%1': it is the script being run").arg(path, what);
    if (!folder.isDir())
        return QStringLiteral("cannot write %3 '%1': folder '%2' does not exist")
            .arg(path, folder.filePath(), what);
    // A file that exists is written in place where its folder is not writable.
    if (target.exists() ? !target.isWritable() : !folder.isWritable())
        return QStringLiteral("cannot write %2 '%1': permission denied").arg(path, what);
    return {};
}

QHash<QString, QString> definesByName(const BatchOptions &options) {
    QHash<QString, QString> defines;
    for (const auto &[name, value] : options.defines)
        defines.insert(name, value);
    return defines;
}

// The script's folder is where it finds its companion files (the working folder for one
// from standard input); --define can say otherwise.
void defineVariables(const BatchOptions &options) {
    var_add(
        QStringLiteral("curdir"),
        (options.scriptFromStdin ? QDir::currentPath() : QFileInfo(options.script).absolutePath()) +
            u'/');
    for (const auto &[name, value] : options.defines)
        var_add(name, value);
}

bool connectDatabase(SessionState &session, const BatchOptions &options) {
    session.databaseName = options.database;
    session.userId = options.user;
    session.userPassword =
        options.passwordGiven ? options.password : qEnvironmentVariable("PAVONA_PASSWORD");
    return Norq_connect(session, session.databaseName, session.userId, session.userPassword) == 0;
}

// The options that shape every statement of the run. A snapshot holds what two runs on the
// same data share: no times.
void applySettings(Settings &settings, const BatchOptions &options, bool snapshots) {
    settings.substitution = options.substitution;
    settings.noTimings = options.noTimings || snapshots;
    settings.stopOnError = options.stopOnError;
}

// The script as the Script View renders it, without a window: the rows a run fills and
// the exports read.
DocumentModel openScript(const QString &path) {
    engine.viewMode = ViewMode::script;
    ScriptLines lines;
    lines.readFile(path);
    return documentFromLines(lines);
}

// A check's report line; its tabs part the values of a result line.
void print(const QString &line) {
    QStringList parts = line.split(u'\t');
    for (QString &part : parts)
        part = withControlsEscaped(part);
    std::fprintf(stdout, "%s\n", parts.join(u'\t').toUtf8().constData());
}

QString snapshotPathOf(const BatchOptions &options) {
    return options.snapshotFile.isEmpty() ? snapshot::pathFor(options.script)
                                          : options.snapshotFile;
}

// The snapshot --check compares with, read before anything runs so that a missing or
// broken one costs no run. Empty, or why it cannot be used.
QString readSnapshot(const BatchOptions &options, snapshot::Snapshot *expected, bool *found) {
    const QString path = snapshotPathOf(options);
    const QFileInfo info(path);
    *found = false;
    if (!info.exists())
        return QStringLiteral("no snapshot '%1' to check against: write one with --run %2 "
                              "--snapshot%3")
            .arg(path, options.script,
                 options.snapshotFile.isEmpty() ? QString()
                                                : QStringLiteral(" --snapshot-file ") + path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read snapshot '%1'%2")
            .arg(path, info.isDir() ? QStringLiteral(": it is a folder") : QString());
    QString error;
    if (!snapshot::fromText(file.readAll(), expected, &error))
        return QStringLiteral("snapshot '%1' cannot be read: %2; --check --update rewrites it")
            .arg(path, error);
    const QString scriptName = QFileInfo(options.script).fileName();
    if (expected->script != scriptName)
        return QStringLiteral("snapshot '%1' is of script '%2', not '%3'; --check --update "
                              "rewrites it")
            .arg(path, expected->script, scriptName);
    *found = true;
    return {};
}

class RunTally {
public:
    explicit RunTally(bool quiet) : quiet_(quiet) {}
    void record(const StatementRun &run) {
        const bool failed = engine.msgCode != 0;
        // A row holds one statement or several; a failure before any ran is one too.
        statements_ += std::max(run.statements, 1);
        const int failures = std::max(run.failures, failed ? 1 : 0);
        failures_ += failures;
        if (!quiet_ || failures > 0) say(progressLine(run, engine.msgText, failed));
    }
    int statements() const { return statements_; }
    int failures() const { return failures_; }

private:
    bool quiet_;
    int statements_ = 0;
    int failures_ = 0;
};

// A stream has no folder for the picture files of an HTML page or of Markdown; empty, or
// why the export cannot be written.
QString picturesProblem(const BatchOptions &options, const DocumentModel &document) {
    if (options.exportPath.isEmpty() || !isStream(options.exportPath)) return {};
    const int pictures = separatePictureCount(document, options.exportType);
    if (pictures == 0) return {};
    return QStringLiteral("cannot write export '%1': this format keeps its %2 picture(s) in "
                          "files beside the export, and a stream has no such place; use "
                          "--format html-standalone or export to a file")
        .arg(options.exportPath)
        .arg(pictures);
}

// Restores the window layer in place when the run began, however it ends.
class WindowLayer {
public:
    explicit WindowLayer(WindowInterface *layer) : previous_(engine.ui) { engine.ui = layer; }
    ~WindowLayer() { engine.ui = previous_; }
    WindowLayer(const WindowLayer &) = delete;
    WindowLayer &operator=(const WindowLayer &) = delete;

private:
    WindowInterface *previous_;
};

} // namespace

QString progressLine(const StatementRun &run, const QString &message, bool failed) {
    QString line = QStringLiteral("[%1/%2] %3 ... ")
                       .arg(run.number)
                       .arg(run.total)
                       .arg(shortSummary(run.summary));
    const QString text = oneLine(message);
    if (failed) line += QStringLiteral("FAILED: ");
    line += text.isEmpty() ? QStringLiteral("Command completed.") : text;
    if (!engine.noTimings && !endsWithTime(text))
        line += QStringLiteral(" (%1s)").arg(run.seconds, 0, 'f', 3);
    return line;
}

namespace {

bool isAsciiWordChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           c == u'_';
}

// The word PLOT, RUN or START in any case, or "&" or "@" after nothing but blanks on a
// line: whatever might draw. A whole dump is read, so this is one pass without a pattern.
bool mentionsDrawing(QStringView text) {
    bool onlyBlanks = true;
    qsizetype wordStart = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const char16_t c = i < text.size() ? text[i].unicode() : u' ';
        if (isAsciiWordChar(c)) {
            if (wordStart < 0) wordStart = i;
            onlyBlanks = false;
            continue;
        }
        if (wordStart >= 0) {
            const QStringView word = text.sliced(wordStart, i - wordStart);
            const char16_t lead = word[0].unicode() & ~0x20; // upper case
            if (word.size() >= 3 && word.size() <= 5 &&
                (lead == u'P' || lead == u'R' || lead == u'S'))
                for (const char16_t *drawing : {u"PLOT", u"RUN", u"START"})
                    if (word.compare(QStringView(drawing), Qt::CaseInsensitive) == 0) return true;
            wordStart = -1;
        }
        if (c == u'\n' || c == u'\r')
            onlyBlanks = true;
        else if ((c == u'&' || c == u'@') && onlyBlanks)
            return true;
        else if (!QChar(c).isSpace())
            onlyBlanks = false;
    }
    return false;
}

} // namespace

bool scriptMayDraw(const QString &path) {
    QFile file(path);
    // A special file is refused before anything runs; reading it here would consume it.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    // Read in pieces that overlap by a line's worth, so a word is never cut in two.
    constexpr qint64 kPiece = 1 << 20;
    QString tail;
    while (!file.atEnd()) {
        const QString piece = tail + QString::fromUtf8(file.read(kPiece));
        if (mentionsDrawing(piece)) return true;
        tail = piece.right(64);
        if (file.error() != QFile::NoError) return false;
    }
    return false;
}

namespace {

// Writes or checks the snapshot after the run; returns the run's exit status. A run
// stopped at a failure keeps, in a snapshot it writes, the earlier outcomes of the
// statements it did not reach.
int finishSnapshot(const BatchOptions &options, const DocumentModel &document,
                   const snapshot::Snapshot &expected, bool expectedFound, int status,
                   bool stoppedEarly) {
    const QString path = snapshotPathOf(options);
    const QString scriptName = QFileInfo(options.script).fileName();
    snapshot::Snapshot got =
        snapshot::fromDocument(document, scriptName, snapshot::machineFolders());
    const QStringList notRun = stoppedEarly ? snapshot::statementsNotRun(document) : QStringList();
    if (options.snapshot == BatchOptions::Snapshot::check) {
        const int runStatus = status;
        status = BatchExit::ok;
        if (expectedFound) {
            const snapshot::CheckReport report =
                snapshot::compare(expected, got, options.tolerance, notRun);
            for (const QString &line : report.lines)
                print(line);
            print(report.summary());
            std::fflush(stdout);
            if (!report.matches()) status = BatchExit::checkChanged;
        }
        if (!options.update) return status;
        status = stoppedEarly ? runStatus : BatchExit::ok;
    }
    if (stoppedEarly) {
        snapshot::Snapshot previous = expected;
        bool found = expectedFound;
        if (!found) readSnapshot(options, &previous, &found);
        snapshot::ScriptSnapshot merging;
        if (found) merging.hold(previous);
        got = merging.merged(document, scriptName);
    }
    if (const QString error = writeWholeFile(path, snapshot::toText(got)); !error.isEmpty())
        return fail(QStringLiteral("cannot write snapshot '%1': %2").arg(path, error));
    if (!options.quiet)
        say(QStringLiteral("pavona: snapshot %1 to %2")
                .arg(options.update ? QStringLiteral("updated") : QStringLiteral("written"), path));
    return status;
}

} // namespace

int runBatch(const BatchOptions &options) {
    QString longScript;
    if (const QString problem = scriptProblem(options.script, &longScript); !problem.isEmpty())
        return fail(problem);
    // An export is the document with its outputs, and a document holds a limited number of
    // lines: a longer script can run, but not be exported whole.
    if (!longScript.isEmpty() && (!options.exportPath.isEmpty() || !options.csvFolder.isEmpty()))
        return fail(QStringLiteral("script '%1' %2, more than a document can hold, so it "
                                   "cannot be exported; run it without %3")
                        .arg(options.script, longScript,
                             options.exportPath.isEmpty() ? QStringLiteral("--csv")
                                                          : QStringLiteral("--export")));
    if (const QString problem = exportProblem(options.exportPath, options.script);
        !problem.isEmpty())
        return fail(problem);
    const bool snapshots = options.snapshot != BatchOptions::Snapshot::none;
    const QString snapshotPath = snapshotPathOf(options);
    if (snapshots && !longScript.isEmpty())
        return fail(QStringLiteral("script '%1' %2, more than a document can hold, so it has "
                                   "no snapshot")
                        .arg(options.script, longScript));
    const bool writesSnapshot = options.snapshot == BatchOptions::Snapshot::write || options.update;
    if (writesSnapshot)
        if (const QString problem =
                exportProblem(snapshotPath, options.script, QStringLiteral("snapshot"), false);
            !problem.isEmpty())
            return fail(problem);
    snapshot::Snapshot expected;
    bool snapshotFound = false;
    if (options.snapshot == BatchOptions::Snapshot::check)
        if (const QString problem = readSnapshot(options, &expected, &snapshotFound);
            !problem.isEmpty() && !options.update)
            return fail(problem);

    engine_startup();
    if (engine.lastRc != 0 || !engine.envHandle)
        return fail(QStringLiteral("the database client environment cannot be set up"));
    registerPlotCommand();
    // A script read from standard input leaves none to answer questions from.
    BatchWindowInterface batchWindows(definesByName(options),
                                      !options.scriptFromStdin && isatty(STDIN_FILENO) != 0);
    WindowLayer layer(&batchWindows);
    locateHelpFolder();
    defineVariables(options);
    applySettings(engine, options, snapshots);
    setChildProgramsAllowed(!options.noChildPrograms);
    if (options.maxDisplay > 0) setMaxDisplay(options.maxDisplay);
    if (options.maxRows > 0) setMaxRows(options.maxRows);

    if (!connectDatabase(engine, options))
        return fail(QStringLiteral("cannot connect to %1: %2")
                        .arg(shownDatabaseName(options.database), oneLine(engine.msgText)));

    run_control::setStatementLimit(options.timeoutSeconds);
    run_control::stopOnSignals();
    QElapsedTimer clock;
    clock.start();
    RunTally tally(options.quiet);
    const auto record = [&tally](const StatementRun &run) { tally.record(run); };
    DocumentModel document;
    RunAllOutcome ended;
    if (!longScript.isEmpty()) {
        QString error;
        if (!runScriptStatements(options.script, record, &error, &ended))
            return fail(QStringLiteral("cannot read script '%1': %2").arg(options.script, error));
    } else {
        document = openScript(options.script);
        // The pictures a script shows are known before it runs; its charts only after.
        if (const QString problem = picturesProblem(options, document); !problem.isEmpty())
            return fail(problem);
        runDocument(document, record, &ended);
    }

    // As an interactive client does when it exits, the run gives up what it left uncommitted.
    if (QString failure; rollbackOpenTransaction(engine, &failure))
        say(failure.isEmpty()
                ? QStringLiteral("pavona: the run ended inside a transaction: it was rolled back")
                : QStringLiteral("pavona: the run ended inside a transaction; rolling it back "
                                 "failed: ") +
                      oneLine(failure));
    // A run stopped at a failure did not do its work, whatever --allow-errors says.
    const bool stoppedAtFailure = options.stopOnError && tally.failures() > 0;
    int status = tally.failures() > 0 && (!options.allowErrors || stoppedAtFailure)
                     ? BatchExit::statementFailed
                     : BatchExit::ok;
    QString tallyLine = QStringLiteral("pavona: %1 statement(s), %2 failed")
                            .arg(tally.statements())
                            .arg(tally.failures());
    if (ended.rowsNotRun > 0)
        tallyLine += QStringLiteral(", %1 not run after the failure").arg(ended.rowsNotRun);
    if (!engine.noTimings)
        tallyLine +=
            QStringLiteral(" (%1s)").arg(static_cast<double>(clock.elapsed()) / 1000.0, 0, 'f', 3);
    if (!options.quiet || tally.failures() > 0) say(tallyLine);
    if (const int signal = run_control::caughtSignal()) {
        say(QStringLiteral("pavona: the run was stopped by %1 before its end")
                .arg(signal == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM")));
        status = BatchExit::stoppedBySignal + signal;
    }
    if (!options.exportPath.isEmpty()) {
        QString error;
        if (const QString problem = picturesProblem(options, document); !problem.isEmpty())
            status = fail(problem);
        else if (exportDocument(document, options.exportType, options.exportPath, &error)) {
            if (!options.quiet) say(QStringLiteral("pavona: exported to ") + options.exportPath);
        } else
            status =
                fail(QStringLiteral("cannot write export '%1': %2").arg(options.exportPath, error));
    }
    if (!options.csvFolder.isEmpty()) {
        QString error;
        QStringList written;
        if (exportCsvFiles(document, options.csvFolder, &written, &error)) {
            if (!options.quiet)
                say(QStringLiteral("pavona: %1 result(s) written to %2 as CSV")
                        .arg(written.size())
                        .arg(options.csvFolder));
        } else
            status = fail(
                QStringLiteral("cannot write CSV files to '%1': %2").arg(options.csvFolder, error));
    }
    if (snapshots)
        status = finishSnapshot(options, document, expected, snapshotFound, status,
                                ended.rowsNotRun > 0);
    Norq_disconnect(engine);
    return status;
}
