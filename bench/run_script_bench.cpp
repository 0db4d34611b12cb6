// A script of 1,000 single-row INSERTs run by runScript against the embedded engine, and
// the same file run by the sqlite3 shell on a database of the same shape.
//
// Usage: bench_run_script_bench [statements]   (default 1000)

#include "database/session.h"
#include "engine/dispatcher.h"
#include "engine/engine_state.h"
#include "engine/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char *createTable = "CREATE TABLE BENCH (ID INTEGER, NAME VARCHAR(40), AMOUNT DECIMAL(9,2));";

QString insertScript(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("INSERT INTO BENCH VALUES (%1, 'name %1', %2.50);")
                     .arg(i)
                     .arg(i % 1000);
    return lines.join(QStringLiteral("\n")) + u'\n';
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Milliseconds for runScript on the script text, or -1 when the run failed.
double timeEngine(const QString &catalog, const QString &script, int count) {
    QDir().mkpath(catalog);
    if (!writeFile(catalog + QStringLiteral("/BENCH.db"), {})) return -1;
    engine_startup();
    QString database = QStringLiteral("BENCH"), user, password;
    if (Norq_connect(database, user, password) != 0) {
        std::printf("connect failed: %s\n", qPrintable(engine.msgText));
        return -1;
    }
    runScript(QString::fromLatin1(createTable), nullptr, nullptr);

    QString text = script;
    text.replace(u'\n', u'\r');
    QElapsedTimer timer;
    timer.start();
    runScript(text, nullptr, nullptr);
    const double ms = timer.nsecsElapsed() / 1e6;

    const QString rows = runSilentQuery(QStringLiteral("SELECT COUNT(*) FROM BENCH"));
    Norq_disconnect();
    if (rows.toInt() != count) {
        std::printf("engine run stored %s rows (last message: %s)\n", qPrintable(rows),
                    qPrintable(engine.msgText));
        return -1;
    }
    return ms;
}

// Milliseconds for `sqlite3 db < script`, or -1 when the shell is missing or failed.
double timeShell(const QString &folder, const QString &scriptFile) {
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) return -1;
    const QString db = folder + QStringLiteral("/shell.db");
    QProcess setup;
    setup.start(shell, {db, QString::fromLatin1(createTable)});
    if (!setup.waitForFinished(30000) || setup.exitCode() != 0) return -1;

    QProcess run;
    run.setStandardInputFile(scriptFile);
    QElapsedTimer timer;
    timer.start();
    run.start(shell, {db});
    if (!run.waitForFinished(600000) || run.exitCode() != 0) return -1;
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    const QString script = insertScript(count);
    const QString scriptFile = dir.filePath(QStringLiteral("inserts.sql"));
    if (!writeFile(scriptFile, script.toUtf8())) return 1;

    const double engineMs =
        timeEngine(dir.filePath(QStringLiteral("pavona/databases")), script, count);
    const double shellMs = timeShell(dir.path(), scriptFile);
    std::printf("%d single-row INSERTs\n", count);
    std::printf("runScript, embedded engine: %10.1f ms (%.3f ms per statement)\n", engineMs,
                engineMs / count);
    std::printf("sqlite3 shell:              %10.1f ms (%.3f ms per statement)\n", shellMs,
                shellMs / count);
    if (engineMs > 0 && shellMs > 0) std::printf("ratio engine/shell: %.2f\n", engineMs / shellMs);
    return engineMs > 0 ? 0 : 1;
}
