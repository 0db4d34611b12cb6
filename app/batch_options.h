#pragma once
// The program's command line. Without a "--" option it is the interactive program's
// own ("-SQL", or a script file to open); with one it asks for help, the version, the
// sample database (--create-sample), or a window-less run:
//   pavona --run SCRIPT|- [--database NAME] [--user U] [--password P]
//          [--define NAME=VALUE]... [--export FILE] [--format FORMAT] [--csv DIR]
//          [--allow-errors] [--no-substitution] [--timeout SECONDS]
//          [--max-display N] [--max-rows N] [--no-timings] [--no-child-programs] [-q]
//          [--snapshot | --check [--update] [--tolerance X]] [--snapshot-file FILE]
//          [--watch]

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

struct BatchOptions {
    QString script;
    bool scriptFromStdin = false; // --run -: read into a temporary file named by script
    QString database = QStringLiteral("SAMPLE");
    QString user;
    QString password;
    bool passwordGiven = false;
    QList<std::pair<QString, QString>> defines; // in the order given, names upper-cased
    QString exportPath;                         // empty: no export; --export -: /dev/stdout
    int exportType = 0;                         // an ExportType value when exporting
    QString csvFolder;                          // empty: no CSV files of the results
    bool allowErrors = false;
    bool substitution = true;     // false: --no-substitution
    int timeoutSeconds = 0;       // 0: statements run as long as they take
    int maxDisplay = 0;           // OPTION MAXDISPLAY before the run; 0: the engine's own
    int maxRows = 0;              // OPTION MAXROWS before the run; 0: the engine's own
    bool stopOnError = false;     // --stop-on-error: the first unexpected failure ends the run
    bool noTimings = false;       // messages and progress lines without elapsed times
    bool noChildPrograms = false; // a statement that would start a child program fails
    bool quiet = false;           // -q: only failures and what went wrong on standard error
    // --snapshot writes the outcomes beside the script; --check compares them with it.
    enum class Snapshot { none, write, check };
    Snapshot snapshot = Snapshot::none;
    bool update = false;     // --check --update: rewrites the snapshot
    double tolerance = 1e-9; // relative, for approximate numbers under --check
    QString snapshotFile;    // empty: SCRIPT.out.md beside the script
    bool watch = false;      // runs again whenever the script or a file it reads is saved
    QStringList defineFiles; // --define-file, in order (read into defines already)
    QStringList arguments;   // the command line as given, for the runs --watch starts
};

enum class StartMode { interactive, batch, help, version, createSample, usageError };

struct CommandLine {
    StartMode mode = StartMode::interactive;
    BatchOptions batch;
    QString openFile; // interactive: the script named on the command line, if any
    QString error;    // one line, for usageError
};

// Exit statuses of a window-less run.
namespace BatchExit {
inline constexpr int ok = 0;
inline constexpr int statementFailed = 1;
inline constexpr int checkChanged = 1; // --check: an outcome differs from the snapshot
inline constexpr int cannotStart =
    2; // usage error, missing script, failed connection, bad snapshot
// A run ended by a signal exits as a shell reports a program the signal ended.
inline constexpr int stoppedBySignal = 128;
} // namespace BatchExit

// arguments: as the program got them, without the program's own name.
CommandLine parseCommandLine(const QStringList &arguments);
QString commandLineHelp();
// The export that a format name (html, html-plain, text, markdown, ipynb,
// html-standalone, json) or a file name's extension (.htm, .html, .txt, .md, .ipynb,
// .json) stands for; 0 when it stands for none.
int exportTypeFromFormat(const QString &format);
int exportTypeFromExtension(const QString &path);
