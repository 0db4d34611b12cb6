// Loading a 32,000-row, 10-column result from the embedded engine: into a real grid (grid
// mode, every row), as text (text mode, 1,000 rows), and for comparison the sqlite3 shell
// producing the same rows into /dev/null. Prints the times, their ratios to the shell and
// the peak memory of the grid load. Target: grid mode within 2x of the shell.
//
// Usage: bench_bench_database [rows]   (default 32000; QT_QPA_PLATFORM=offscreen without a
// display)

#include "core/engine_state.h"
#include "core/messages.h"
#include "database/catalog.h"
#include "database/cli/cli.h"
#include "database/execution.h"
#include "database/session.h"
#include "document/grid.h"
#include "engine/startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

constexpr int kRuns = 3;

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A table shaped like the sample's employees, with generated rows.
bool createTable(const QString &file, int rows) {
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK) return false;
    sqlite3_exec(db,
                 "CREATE TABLE STAFF (EMP_ID INTEGER, FIRST_NAME VARCHAR(20), LAST_NAME "
                 "VARCHAR(24), DEPT_ID CHAR(3), GRADE SMALLINT, HIRE_DATE DATE, SALARY "
                 "DECIMAL(9,2), BADGE_NO BIGINT, RATING DOUBLE, LAST_LOGIN TIMESTAMP);"
                 "BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO STAFF VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)", -1,
                       &insert, nullptr);
    const char *firsts[] = {"Amara", "Bastian", "Celia", "Dorian", "Elif", "Fabian", "Greta"};
    const char *lasts[] = {"Abend", "Brink", "Corvo", "Dalberg", "Eschen", "Lindqvist", "Morrow"};
    const char *depts[] = {"A01", "B02", "C03", "D04", "E05"};
    for (int i = 0; i < rows; ++i) {
        const QByteArray date = QStringLiteral("20%1-%2-%3")
                                    .arg(10 + i % 15)
                                    .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                    .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                    .toUtf8();
        const QByteArray stamp = date + " 08:" + QByteArray::number(10 + i % 50) + ":00.123456";
        sqlite3_bind_int(insert, 1, 100000 + i);
        sqlite3_bind_text(insert, 2, firsts[i % 7], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, lasts[(i / 7) % 7], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, depts[i % 5], -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 5, 1 + i % 12);
        sqlite3_bind_text(insert, 6, date.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 7, 30000 + (i * 37) % 70000 + 0.25);
        sqlite3_bind_int64(insert, 8, 7700000000LL + i * 37LL);
        sqlite3_bind_double(insert, 9, 1.5 + (i % 35) / 10.0);
        sqlite3_bind_text(insert, 10, stamp.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

double bestOf(const std::function<void()> &work) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

double shellSeconds(const QString &file, const QString &sql) {
    return bestOf([&] {
        QProcess shell;
        shell.setStandardOutputFile(QProcess::nullDevice());
        shell.start(QStringLiteral("sqlite3"), {file, sql});
        shell.waitForFinished(-1);
    });
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 32000;

    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", scratch.path().toUtf8());
    QDir().mkpath(embeddedCatalogFolder());
    const QString file = embeddedCatalogFolder() + QStringLiteral("/BENCH.db");
    if (!createTable(file, rows)) {
        std::fprintf(stderr, "could not create the benchmark table\n");
        return 1;
    }

    set_messages();
    cli::SQLAllocEnv(&engine.envHandle);
    registerSessionHooks();
    QString database = QStringLiteral("BENCH"), user, password;
    if (Norq_connect(engine, database, user, password) != 0) {
        std::fprintf(stderr, "could not connect: %s\n", qPrintable(engine.msgText));
        return 1;
    }
    const QString query = QStringLiteral("SELECT * FROM STAFF");

    const long before = peakKilobytes();
    Grid grid;
    grid.resize(900, 600);
    engine.maxRows = rows;
    engine.gridMode = true;
    QString lastMessage;
    const double gridSeconds = bestOf([&] {
        QString sql = query;
        Norq_sql(sql, true, &grid, true);
        grid.syncView();
        QCoreApplication::processEvents();
        lastMessage = engine.msgText;
    });
    const long gridPeak = peakKilobytes();
    std::printf("grid mode:  %s  grid rows %d\n", qPrintable(lastMessage), grid.rows());

    engine.gridMode = false;
    engine.maxDisplay = 1000;
    const double textSeconds = bestOf([&] {
        QString sql = query;
        Norq_sql(sql, true, nullptr, true);
        lastMessage = engine.msgText;
    });
    std::printf("text mode:  %s  %lld characters\n", qPrintable(lastMessage),
                static_cast<long long>(engine.resultText.size()));

    // The fetch and formatting alone, for locating the cost of the grid load.
    engine.maxDisplay = rows;
    const double textAll = bestOf([&] {
        QString sql = query;
        Norq_sql(sql, true, nullptr, true);
    });
    engine.maxDisplay = 1000;

    const double shellAll = shellSeconds(file, query);
    const double shellThousand = shellSeconds(file, query + QStringLiteral(" LIMIT 1000"));

    std::printf("\n%-42s %9s %9s\n", "", "seconds", "x shell");
    std::printf("%-42s %9.3f %9s\n", "sqlite3 shell, all rows to /dev/null", shellAll, "1.00");
    std::printf("%-42s %9.3f %9.2f\n", "grid mode, all rows into the grid", gridSeconds,
                gridSeconds / shellAll);
    std::printf("%-42s %9.3f %9.2f\n", "text mode, all rows (no grid)", textAll,
                textAll / shellAll);
    std::printf("%-42s %9.3f %9s\n", "sqlite3 shell, 1000 rows to /dev/null", shellThousand,
                "1.00");
    std::printf("%-42s %9.3f %9.2f\n", "text mode, 1000 rows", textSeconds,
                textSeconds / shellThousand);
    std::printf("\nrows %d x 10 columns, best of %d runs\n", rows, kRuns);
    std::printf("peak memory: %.1f MB before the grid load, %.1f MB after (+%.1f MB)\n",
                before / 1024.0, gridPeak / 1024.0, (gridPeak - before) / 1024.0);
    std::printf("target: grid mode within 2x of the shell: %s\n",
                gridSeconds <= 2 * shellAll ? "met" : "NOT met");
    Norq_disconnect(engine);
    return 0;
}
