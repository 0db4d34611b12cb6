#include "app/batch_options.h"

#include "core/engine_state.h"
#include "core/shown_text.h"
#include "export/export.h"
#include "export/shared_exports.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool asksForOptions(const QStringList &arguments) {
    for (const QString &argument : arguments)
        if (argument.startsWith(QLatin1String("--")) || argument == QLatin1String("-h") ||
            argument == QLatin1String("-q"))
            return true;
    return false;
}

CommandLine usageError(const QString &error) {
    CommandLine line;
    line.mode = StartMode::usageError;
    // It quotes what was given: one line still, and nothing a terminal would act on.
    line.error = withControlsEscaped(error);
    return line;
}

bool isVariableName(const QString &name) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_]+$"));
    return pattern.match(name).hasMatch();
}

// "NAME=VALUE"; the value may be empty or hold further "=".
bool splitDefinition(const QString &text, std::pair<QString, QString> *definition) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals <= 0) return false;
    const QString name = text.left(equals).trimmed();
    if (!isVariableName(name)) return false;
    *definition = {name.toUpper(), text.mid(equals + 1)};
    return true;
}

struct Options {
    QCommandLineOption run{QStringLiteral("run"), QString(), QStringLiteral("SCRIPT")};
    QCommandLineOption database{QStringLiteral("database"), QString(), QStringLiteral("NAME")};
    QCommandLineOption user{QStringLiteral("user"), QString(), QStringLiteral("USER")};
    QCommandLineOption password{QStringLiteral("password"), QString(), QStringLiteral("PASSWORD")};
    QCommandLineOption define{QStringLiteral("define"), QString(), QStringLiteral("NAME=VALUE")};
    QCommandLineOption defineFile{QStringLiteral("define-file"), QString(), QStringLiteral("FILE")};
    QCommandLineOption exportTo{QStringLiteral("export"), QString(), QStringLiteral("FILE")};
    QCommandLineOption format{QStringLiteral("format"), QString(), QStringLiteral("FORMAT")};
    QCommandLineOption csv{QStringLiteral("csv"), QString(), QStringLiteral("DIR")};
    QCommandLineOption allowErrors{QStringLiteral("allow-errors")};
    QCommandLineOption noSubstitution{QStringLiteral("no-substitution")};
    QCommandLineOption createSample{QStringLiteral("create-sample")};
    QCommandLineOption timeout{QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS")};
    QCommandLineOption maxDisplay{QStringLiteral("max-display"), QString(), QStringLiteral("N")};
    QCommandLineOption maxRows{QStringLiteral("max-rows"), QString(), QStringLiteral("N")};
    QCommandLineOption noTimings{QStringLiteral("no-timings")};
    QCommandLineOption stopOnError{QStringLiteral("stop-on-error")};
    QCommandLineOption noChildPrograms{QStringLiteral("no-child-programs")};
    QCommandLineOption snapshot{QStringLiteral("snapshot")};
    QCommandLineOption check{QStringLiteral("check")};
    QCommandLineOption update{QStringLiteral("update")};
    QCommandLineOption tolerance{QStringLiteral("tolerance"), QString(), QStringLiteral("X")};
    QCommandLineOption snapshotFile{QStringLiteral("snapshot-file"), QString(),
                                    QStringLiteral("FILE")};
    QCommandLineOption watch{QStringLiteral("watch")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")}};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringLiteral("version")};

    QList<QCommandLineOption> all() const {
        return {run,        database,        user,      password,    define,         defineFile,
                exportTo,   format,          csv,       allowErrors, noSubstitution, timeout,
                maxDisplay, maxRows,         noTimings, stopOnError, snapshot,       check,
                update,     tolerance,       help,      version,     createSample,   snapshotFile,
                watch,      noChildPrograms, quiet};
    }
};

// A word with one dash is a mistyped option (-run for --run), which would otherwise open
// the window on a script named "run"; only -SQL, -h and -q are the program's own. The
// value of an option that takes one may start with a dash (--run -). Empty, or the error.
QString singleDashMistake(const QStringList &arguments, const Options &options) {
    QStringList takingValues;
    for (const QCommandLineOption &option : options.all())
        if (!option.valueName().isEmpty()) takingValues << option.names();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument.startsWith(QLatin1String("--"))) {
            if (!argument.contains(u'=') && takingValues.contains(argument.mid(2))) ++i;
            continue;
        }
        if (argument.size() < 2 || !argument.startsWith(u'-')) continue;
        if (argument.compare(QLatin1String("-SQL"), Qt::CaseInsensitive) == 0 ||
            argument == QLatin1String("-h") || argument == QLatin1String("-q"))
            continue;
        const QString name = argument.mid(1);
        for (const QCommandLineOption &option : options.all())
            if (option.names().contains(name))
                return QStringLiteral("Unknown option '%1': did you mean --%2?")
                    .arg(argument, name);
        return QStringLiteral("Unknown option '%1'.").arg(argument);
    }
    return {};
}

QString readExport(const QCommandLineParser &parser, const Options &options, BatchOptions *batch) {
    if (!parser.isSet(options.exportTo)) {
        if (parser.isSet(options.format)) return QStringLiteral("--format needs --export FILE.");
        return {};
    }
    batch->exportPath = parser.value(options.exportTo);
    if (batch->exportPath.isEmpty()) return QStringLiteral("--export needs a file name.");
    const bool toStdout = batch->exportPath == QLatin1String("-");
    if (toStdout) batch->exportPath = QStringLiteral("/dev/stdout");
    if (parser.isSet(options.format)) {
        batch->exportType = exportTypeFromFormat(parser.value(options.format));
        if (batch->exportType == 0)
            return QStringLiteral("Unknown export format '%1': use html, html-plain, text, "
                                  "markdown, ipynb, html-standalone or json.")
                .arg(parser.value(options.format));
        return {};
    }
    if (toStdout) {
        batch->exportType = ExportType::text;
        return {};
    }
    batch->exportType = exportTypeFromExtension(batch->exportPath);
    if (batch->exportType == 0)
        return QStringLiteral(
                   "Cannot tell the export format of '%1' from its extension: add "
                   "--format html, html-plain, text, markdown, ipynb, html-standalone or json.")
            .arg(batch->exportPath);
    return {};
}

// NAME=VALUE lines of a file into defines, in order; "#" starts a comment line. Empty, or
// the usage error naming the file and line.
QString readDefineFile(const QString &path, QList<std::pair<QString, QString>> *defines) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("--define-file cannot read '%1'%2.")
            .arg(path, QFileInfo(path).isDir()   ? QStringLiteral(": it is a folder")
                       : QFileInfo::exists(path) ? QString()
                                                 : QStringLiteral(": no such file"));
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).remove(u'\n');
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#')) continue;
        std::pair<QString, QString> definition;
        if (!splitDefinition(line, &definition))
            return QStringLiteral("%1:%2: a definition is NAME=VALUE (NAME of letters, digits "
                                  "and _), not '%3'.")
                .arg(path)
                .arg(number)
                .arg(trimmed);
        // Blanks around a file's value are invisible, so they are not part of it.
        definition.second = definition.second.trimmed();
        defines->append(definition);
    }
    return {};
}

// The whole number an option gives, which must lie in least..most as OPTION keeps it;
// empty, or the usage error.
QString readRowCount(const QCommandLineParser &parser, const QCommandLineOption &option, int least,
                     int most, int *count) {
    if (!parser.isSet(option)) return {};
    const QString text = parser.value(option);
    bool number = false;
    *count = text.trimmed().toInt(&number);
    if (number && *count >= least && *count <= most) return {};
    return QStringLiteral("--%1 takes a whole number of rows from %2 to %3, not '%4'.")
        .arg(option.names().constFirst())
        .arg(least)
        .arg(most)
        .arg(text);
}

// The folder may be missing (the run creates it) but not be something else.
QString readCsvFolder(const QCommandLineParser &parser, const Options &options,
                      BatchOptions *batch) {
    if (!parser.isSet(options.csv)) return {};
    batch->csvFolder = parser.value(options.csv);
    if (batch->csvFolder.isEmpty()) return QStringLiteral("--csv needs a folder name.");
    const QFileInfo folder(batch->csvFolder);
    if (folder.exists() && !folder.isDir())
        return QStringLiteral("--csv needs a folder: '%1' is not one.").arg(batch->csvFolder);
    return {};
}

QString readSnapshot(const QCommandLineParser &parser, const Options &options,
                     BatchOptions *batch) {
    const bool write = parser.isSet(options.snapshot);
    const bool check = parser.isSet(options.check);
    if (write && check)
        return QStringLiteral("--snapshot writes the snapshot and --check compares with it: "
                              "give one of them (--check --update rewrites it).");
    if (parser.isSet(options.update) && !check)
        return QStringLiteral("--update rewrites the snapshot after --check: give --check too.");
    if (parser.isSet(options.tolerance) && !check)
        return QStringLiteral("--tolerance applies to --check: give --check too.");
    if (parser.isSet(options.snapshotFile)) {
        if (!write && !check)
            return QStringLiteral("--snapshot-file names the snapshot of --snapshot or --check: "
                                  "give one of them too.");
        batch->snapshotFile = parser.value(options.snapshotFile);
        if (batch->snapshotFile.isEmpty())
            return QStringLiteral("--snapshot-file needs a file name.");
    }
    batch->snapshot = write   ? BatchOptions::Snapshot::write
                      : check ? BatchOptions::Snapshot::check
                              : BatchOptions::Snapshot::none;
    batch->update = parser.isSet(options.update);
    if (parser.isSet(options.tolerance)) {
        bool number = false;
        batch->tolerance = parser.value(options.tolerance).trimmed().toDouble(&number);
        if (!number || !(batch->tolerance >= 0 && batch->tolerance < 1))
            return QStringLiteral("--tolerance takes a relative difference from 0 to below 1, "
                                  "such as 1e-6, not '%1'.")
                .arg(parser.value(options.tolerance));
    }
    return {};
}

} // namespace

int exportTypeFromFormat(const QString &format) {
    const QString name = format.trimmed().toLower();
    if (name == QLatin1String("html")) return ExportType::htmlPage;
    if (name == QLatin1String("html-plain")) return ExportType::htmlPlain;
    if (name == QLatin1String("text")) return ExportType::text;
    return sharedExportTypeNamed(name);
}

int exportTypeFromExtension(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("htm") || suffix == QLatin1String("html"))
        return ExportType::htmlPage;
    if (suffix == QLatin1String("txt")) return ExportType::text;
    return sharedExportTypeForSuffix(suffix);
}

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine line;
    const Options options;
    if (const QString mistake = singleDashMistake(arguments, options); !mistake.isEmpty())
        return usageError(mistake);
    if (!asksForOptions(arguments)) {
        // "-SQL" keeps its meaning; any other word names a script to open (the desktop
        // entry passes the files it was given).
        for (const QString &argument : arguments)
            if (!argument.startsWith(u'-')) {
                line.openFile = argument;
                break;
            }
        return line;
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options.all());
    if (!parser.parse(QStringList{QStringLiteral("pavona")} + arguments))
        return usageError(parser.errorText());
    if (parser.isSet(options.help)) {
        line.mode = StartMode::help;
        return line;
    }
    if (parser.isSet(options.version)) {
        line.mode = StartMode::version;
        return line;
    }
    if (parser.isSet(options.createSample)) {
        line.mode = StartMode::createSample;
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("Unexpected argument '%1'.")
                              .arg(parser.positionalArguments().constFirst()));
    if (!parser.isSet(options.run))
        return usageError(QStringLiteral("Options other than --help and --version need --run "
                                         "SCRIPT."));

    BatchOptions &batch = line.batch;
    batch.script = parser.value(options.run);
    if (batch.script.isEmpty()) return usageError(QStringLiteral("--run needs a script file."));
    batch.scriptFromStdin = batch.script == QLatin1String("-");
    if (parser.isSet(options.database)) batch.database = parser.value(options.database).trimmed();
    if (batch.database.isEmpty()) return usageError(QStringLiteral("--database needs a name."));
    batch.user = parser.value(options.user).trimmed();
    batch.passwordGiven = parser.isSet(options.password);
    batch.password = parser.value(options.password);
    // A file's values are the defaults; --define on the command line has the last word.
    for (const QString &path : parser.values(options.defineFile))
        if (QString error = readDefineFile(path, &batch.defines); !error.isEmpty())
            return usageError(error);
    for (const QString &text : parser.values(options.define)) {
        std::pair<QString, QString> definition;
        if (!splitDefinition(text, &definition))
            return usageError(
                QStringLiteral("--define takes NAME=VALUE (NAME of letters, digits and _), not "
                               "'%1'.")
                    .arg(text));
        batch.defines.append(definition);
    }
    if (const QString error = readExport(parser, options, &batch); !error.isEmpty())
        return usageError(error);
    if (const QString error = readCsvFolder(parser, options, &batch); !error.isEmpty())
        return usageError(error);
    if (const QString error = readSnapshot(parser, options, &batch); !error.isEmpty())
        return usageError(error);
    batch.allowErrors = parser.isSet(options.allowErrors);
    batch.substitution = !parser.isSet(options.noSubstitution);
    if (parser.isSet(options.timeout)) {
        bool number = false;
        batch.timeoutSeconds = parser.value(options.timeout).trimmed().toInt(&number);
        if (!number || batch.timeoutSeconds <= 0)
            return usageError(QStringLiteral("--timeout takes a whole number of seconds above 0, "
                                             "not '%1'.")
                                  .arg(parser.value(options.timeout)));
    }
    if (QString error = readRowCount(parser, options.maxDisplay, kMaxDisplayLeast, kMaxDisplayMost,
                                     &batch.maxDisplay);
        !error.isEmpty())
        return usageError(error);
    if (QString error =
            readRowCount(parser, options.maxRows, kMaxRowsLeast, kMaxRowsMost, &batch.maxRows);
        !error.isEmpty())
        return usageError(error);
    batch.noTimings = parser.isSet(options.noTimings);
    batch.stopOnError = parser.isSet(options.stopOnError);
    batch.watch = parser.isSet(options.watch);
    batch.defineFiles = parser.values(options.defineFile);
    batch.arguments = arguments;
    batch.noChildPrograms = parser.isSet(options.noChildPrograms);
    batch.quiet = parser.isSet(options.quiet);
    // Standard input is read once, and beside it there is no folder for a snapshot.
    if (batch.scriptFromStdin && (batch.watch || batch.snapshot != BatchOptions::Snapshot::none))
        return usageError(QStringLiteral("--run - reads the script from standard input, once: "
                                         "--watch, --snapshot and --check need a script file."));
    line.mode = StartMode::batch;
    return line;
}

QString commandLineHelp() {
    return QStringLiteral(
        "Usage: pavona [-SQL | FILE]\n"
        "       pavona --run SCRIPT|- [OPTION]...\n"
        "       pavona --create-sample\n"
        "\n"
        "Without options Pavona opens its main window on the library index pavona.sql of\n"
        "the working folder, or on the sample library when there is none; a script FILE\n"
        "opens in the main window after the connect dialog. -SQL opens only the\n"
        "interactive SQL window. Without a display (no DISPLAY or WAYLAND_DISPLAY) it\n"
        "says so and exits with status 2.\n"
        "\n"
        "--create-sample creates the sample database SAMPLE in the embedded catalog from\n"
        "the installed sample script, unless it exists, and says where.\n"
        "\n"
        "--run SCRIPT runs every statement of the script library SCRIPT as Run all does,\n"
        "without a window, each output placed under its statement, and prints a line per\n"
        "statement on standard error:\n"
        "  [3/17] SELECT * FROM EMPLOYEE ... 42 record(s) selected. (0.004s)\n"
        "\n"
        "--run - reads the script from standard input; its &curdir is then the working\n"
        "folder.\n"
        "\n"
        "Options of --run:\n"
        "  --database NAME      database to connect to (default SAMPLE): an embedded\n"
        "                       database, an ODBC data source, a path to an SQLite file\n"
        "                       (./shop.db; it must exist), a URI postgresql://USER@HOST:\n"
        "                       PORT/DB (postgres://, mariadb://, mysql:// too) or an\n"
        "                       ODBC connection string DRIVER={...};SERVER=...; a\n"
        "                       password in it shows as ********\n"
        "  --user USER          userid\n"
        "  --password PASSWORD  password; PAVONA_PASSWORD in the environment is used when\n"
        "                       this option is not given, and is safer: other users can\n"
        "                       read a command line in the process list\n"
        "  --define-file FILE   defines the variables of FILE's NAME=VALUE lines (# starts\n"
        "                       a comment; later lines win; --define wins over them)\n"
        "  --define NAME=VALUE  defines the variable NAME before the run (repeatable); a\n"
        "                       variable without a value is asked for when standard input\n"
        "                       is a terminal, otherwise its statement fails; inside a\n"
        "                       quoted literal ('R&B') a reference is filled in only when\n"
        "                       its variable is defined or the literal holds nothing else\n"
        "                       ('&dept')\n"
        "  --export FILE        writes the document with its outputs to FILE as File >\n"
        "                       Export does, pictures beside it; a FILE that is not a\n"
        "                       regular file (a pipe, a terminal, /dev/stdout) is\n"
        "                       written as it is, a regular one replaced only once the\n"
        "                       export is whole\n"
        "  --export -           writes the export to standard output (text unless\n"
        "                       --format says otherwise); an export whose pictures go\n"
        "                       to files beside it (html, html-plain or markdown with\n"
        "                       a chart or picture) cannot, and ends the run with\n"
        "                       status 2: use html-standalone or a file\n"
        "  --format FORMAT      html (a page), html-plain (a fragment), text, markdown,\n"
        "                       ipynb (a Jupyter notebook), html-standalone (one page\n"
        "                       with its pictures inside) or json (the document as\n"
        "                       data, every result with its columns and whole values);\n"
        "                       by default from FILE's extension: .htm or .html a page,\n"
        "                       .txt text, .md Markdown, .ipynb a notebook, .json JSON\n"
        "  --csv DIR            writes every result of the run to DIR (created when\n"
        "                       missing) as a CSV file of its own, named after its\n"
        "                       statement's number in the run: statement-007.csv is the\n"
        "                       result of [7/N]; with --export or without it\n"
        "  --allow-errors       exit with status 0 even when statements failed\n"
        "  --stop-on-error      stop at the first statement that fails (one marked\n"
        "                       '-- expect: error' and failing is no failure); the rows\n"
        "                       after it are not run, and the run exits with status 1\n"
        "  --no-child-programs  fails every statement that would start another program\n"
        "                       (HOST, CMD, !, NORQ, CLP, NORQSET, JSON), hidden or not,\n"
        "                       without starting it: for running scripts nobody checked\n"
        "  --no-substitution    runs the text as written: \"&name\" is not a variable (as\n"
        "                       OPTION SUBSTITUTION OFF does in a script)\n"
        "  --timeout SECONDS    no statement may run longer: one that does is cancelled\n"
        "                       (a child process with everything it started) and fails;\n"
        "                       one that has not ended 5 seconds later ends the run\n"
        "  --max-display N      shows up to N rows of each result (5 to 1000, default 10)\n"
        "                       as OPTION MAXDISPLAY N does; an OPTION in the script\n"
        "                       still changes it for the statements after it\n"
        "  --max-rows N         a result grid loads up to N rows (1 to 32000, default\n"
        "                       1000, never fewer than --max-display) as OPTION MAXROWS N\n"
        "                       does\n"
        "  --no-timings         leaves elapsed times out of messages, progress lines and\n"
        "                       the last line, so that two runs on the same data write the\n"
        "                       same export and the same lines\n"
        "  --snapshot           also writes the outcome of every statement that ran to\n"
        "                       SCRIPT.out.md beside the script (lib.norq.out.md for\n"
        "                       lib.norq), as a Markdown text to review and keep with the\n"
        "                       script: results as tab-separated values, messages without\n"
        "                       times, failures by their code; the script is not changed\n"
        "  --check              runs the script and compares every outcome with its\n"
        "                       SCRIPT.out.md: prints each statement whose outcome\n"
        "                       changed, with a diff (- expected, + got), each one added\n"
        "                       or removed since, and a summary line on standard output;\n"
        "                       exits 0 when all match, 1 when not, 2 when the snapshot is\n"
        "                       missing or cannot be read\n"
        "  --update             with --check: rewrites SCRIPT.out.md from this run\n"
        "  --tolerance X        with --check: approximate numbers (float, double) match\n"
        "                       within a relative difference X (default 1e-9)\n"
        "  --snapshot-file FILE with --snapshot or --check: the snapshot is FILE instead\n"
        "                       of SCRIPT.out.md (one per database, or outside the\n"
        "                       script's folder)\n"
        "  --watch              runs the script, then again each time it, a script it\n"
        "                       RUNs or a --define-file is saved, until interrupted\n"
        "                       (Ctrl+C: exit status 130); after each run it prints the\n"
        "                       statements whose outcome changed since the run before,\n"
        "                       or with --check since the snapshot\n"
        "\n"
        "  -q, --quiet          prints no line for a statement that succeeded, nor the\n"
        "                       last line or the export's when nothing failed; failing\n"
        "                       statements, the last line after a failure and every\n"
        "                       error still go to standard error\n"
        "\n"
        "  -h, --help           shows this text\n"
        "  --version            shows the version\n"
        "\n"
        "The script's own folder is &curdir, where it finds its companion files; work\n"
        "files go to the working folder. Options start with two dashes: a word with one\n"
        "(-run) is a usage error, -SQL, -h and -q excepted.\n"
        "\n"
        "Exit status of --run: 0 when every statement succeeded (\"No records found.\"\n"
        "counts as success), 1 when any failed (0 with --allow-errors) or, with --check,\n"
        "when an outcome differs from the snapshot, 2 for a usage error, a script that\n"
        "cannot be read, a failed connection, a snapshot that cannot be read or an export\n"
        "that cannot be written, 130 or 143 when SIGINT or SIGTERM stopped the run (a\n"
        "second one, or a statement that has not ended 5 seconds after the first, ends it\n"
        "at once). A run that ends inside a transaction rolls it back and says so.\n");
}
