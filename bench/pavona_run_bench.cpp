// pavona --run on a script library of 1,000 statement rows (one-row queries, each output
// placed under its statement), against the sqlite3 shell running the same statements on
// a copy of the same database; and the start-up time of pavona --run on an empty script.
//
// Usage: bench_pavona_run_bench [statements] [start-up runs]   (default 1000 and 10)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString program = QStringLiteral(PAVONA_BIN_DIR "/pavona");

QString tableScript(int rows) {
    QString sql = QStringLiteral("CREATE TABLE BENCH (ID INTEGER PRIMARY KEY, NAME VARCHAR(40), "
                                 "AMOUNT DECIMAL(9,2));\nBEGIN;\n");
    for (int i = 1; i <= rows; ++i)
        sql +=
            QStringLiteral("INSERT INTO BENCH VALUES (%1, 'name %1', %2.50);\n").arg(i).arg(i % 97);
    return sql + QStringLiteral("COMMIT;\n");
}

QString query(int i) {
    return QStringLiteral("SELECT ID, NAME, AMOUNT FROM BENCH WHERE ID = %1;").arg(i);
}

// Statement rows are separated by an empty comment, as in the help pages.
QString libraryScript(int count) {
    QString text = QStringLiteral("/* {h1} Benchmark */\n \n");
    for (int i = 1; i <= count; ++i)
        text += query(i) + QStringLiteral("\n/**/\n");
    return text;
}

QString shellScript(int count) {
    QString text;
    for (int i = 1; i <= count; ++i)
        text += query(i) + u'\n';
    return text;
}

bool writeFile(const QString &path, const QString &text) {
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Milliseconds of one run of a program, or -1 when it failed.
double timeRun(const QString &executable, const QStringList &arguments, const QString &input,
               const QString &folder, const QString &dataHome, int expectedStatus = 0) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!input.isEmpty()) process.setStandardInputFile(input);
    QElapsedTimer timer;
    timer.start();
    process.start(executable, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != expectedStatus) {
        std::printf("%s %s failed (status %d)\n", qPrintable(executable),
                    qPrintable(arguments.join(u' ')), process.exitCode());
        return -1;
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const int startRuns = argc > 2 ? std::max(1, atoi(argv[2])) : 10;
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    QTemporaryDir dir;
    if (!dir.isValid() || shell.isEmpty()) {
        std::printf("needs a scratch folder and the sqlite3 shell\n");
        return 1;
    }
    const QString dataHome = dir.filePath(QStringLiteral("data"));
    const QString catalog = dataHome + QStringLiteral("/pavona/databases");
    QDir().mkpath(catalog);
    const QString tableFile = dir.filePath(QStringLiteral("table.sql"));
    const QString shellFile = dir.filePath(QStringLiteral("queries.sql"));
    const QString libraryFile = dir.filePath(QStringLiteral("queries.norq"));
    const QString emptyFile = dir.filePath(QStringLiteral("empty.norq"));
    if (!writeFile(tableFile, tableScript(count)) || !writeFile(shellFile, shellScript(count)) ||
        !writeFile(libraryFile, libraryScript(count)) || !writeFile(emptyFile, QString()))
        return 1;
    const QString database = catalog + QStringLiteral("/BENCH.db");
    if (timeRun(shell, {database}, tableFile, dir.path(), dataHome) < 0) return 1;
    QFile::copy(database, dir.filePath(QStringLiteral("shell.db")));

    std::vector<double> starts;
    for (int i = 0; i < startRuns; ++i)
        starts.push_back(timeRun(program,
                                 {QStringLiteral("--run"), emptyFile, QStringLiteral("--database"),
                                  QStringLiteral("BENCH")},
                                 QString(), dir.path(), dataHome));
    const double runMs = timeRun(program,
                                 {QStringLiteral("--run"), libraryFile,
                                  QStringLiteral("--database"), QStringLiteral("BENCH")},
                                 QString(), dir.path(), dataHome);
    const double exportMs =
        timeRun(program,
                {QStringLiteral("--run"), libraryFile, QStringLiteral("--database"),
                 QStringLiteral("BENCH"), QStringLiteral("--export"),
                 dir.filePath(QStringLiteral("queries.htm"))},
                QString(), dir.path(), dataHome);
    const double shellMs =
        timeRun(shell, {dir.filePath(QStringLiteral("shell.db"))}, shellFile, dir.path(), dataHome);

    std::printf("%d statement rows, one-row queries on a %d-row table\n", count, count);
    std::printf("pavona --run:               %10.1f ms (%.3f ms per statement)\n", runMs,
                runMs / count);
    std::printf("pavona --run --export .htm: %10.1f ms\n", exportMs);
    std::printf("sqlite3 shell:              %10.1f ms (%.3f ms per statement)\n", shellMs,
                shellMs / count);
    if (runMs > 0 && shellMs > 0) std::printf("ratio pavona/shell: %.1f\n", runMs / shellMs);
    std::printf("start-up of pavona --run on an empty script: median %.1f ms of %d runs\n",
                median(starts), startRuns);
    return runMs > 0 && shellMs > 0 ? 0 : 1;
}
