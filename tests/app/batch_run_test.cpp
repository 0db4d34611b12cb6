// The program run as a batch job: pavona --run against a scratch SAMPLE database, checked
// by its exit status, its progress lines and the files it writes.

#include "printing.h"
#include "tests/process_groups.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

namespace {

const QString program = QStringLiteral(PAVONA_BIN_DIR "/pavona");

// Statement rows are separated by comments; " " lines separate blocks.
const char *const kScript = "/* {h1} Batch test */\n"
                            " \n"
                            "/*\n"
                            "  A query, a failure, an empty result, a chart and a spool.\n"
                            "*/\n"
                            " \n"
                            "SELECT LAST_NAME FROM EMPLOYEE WHERE DEPT_ID = '&dept'\n"
                            "  ORDER BY LAST_NAME;\n"
                            " \n"
                            "/* {h2} Failure */\n"
                            " \n"
                            "SELECT * FROM NO_SUCH_TABLE;\n"
                            " \n"
                            "/* {h2} Empty */\n"
                            " \n"
                            "SELECT * FROM EMPLOYEE WHERE 1 = 0;\n"
                            " \n"
                            "/* {h2} Chart */\n"
                            " \n"
                            "PLOT TITLE 'Payroll' X1 100 X2 250 L1 'Before' L2 'After';\n"
                            " \n"
                            "/* {h2} Spool */\n"
                            " \n"
                            "SPOOL spooled.txt;\n"
                            "SELECT DEPT_ID FROM DEPARTMENT ORDER BY DEPT_ID;\n"
                            "SPOOL OFF;\n";

struct Outcome {
    int status = -1;
    QStringList errorLines;
    QString output;
};

class BatchRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch = std::make_unique<QTemporaryDir>();
        const QString catalog = scratch->path() + "/data/pavona/databases";
        ASSERT_TRUE(QDir().mkpath(catalog));
        QFile sample(QStringLiteral(PAVONA_SOURCE_DIR "/samples/sample.sql"));
        ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(catalog + "/SAMPLE.db").constData(), &db),
                  SQLITE_OK);
        const int rc = sqlite3_exec(db, sample.readAll().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK);
    }
    static void TearDownTestSuite() { scratch.reset(); }

    void SetUp() override {
        work = scratch->path() + "/work-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(QDir().mkpath(work));
        write("batch.norq", kScript);
    }

    void write(const QString &name, const QByteArray &text) {
        QFile file(work + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QString read(const QString &name) const {
        QFile file(work + "/" + name);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    Outcome run(const QStringList &arguments) const {
        QProcess process;
        start(process, arguments);
        return finish(process);
    }

    void start(QProcess &process, const QStringList &arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", scratch->path() + "/data");
        environment.insert("XDG_CONFIG_HOME", scratch->path() + "/config");
        environment.remove("DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(work);
        process.start(program, arguments);
        process.closeWriteChannel(); // standard input is a pipe, not a terminal
    }

    static Outcome finish(QProcess &process) {
        Outcome outcome;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return outcome;
        }
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        outcome.errorLines =
            QString::fromLocal8Bit(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        outcome.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        return outcome;
    }

    static QStringList progressLines(const Outcome &outcome) {
        return outcome.errorLines.filter(QRegularExpression("^\\[\\d+/\\d+\\] "));
    }

    static inline std::unique_ptr<QTemporaryDir> scratch;
    QString work;
};

// Each text is found after the one before it.
bool inOrder(const QString &text, const QStringList &parts, QString *missing) {
    qsizetype from = 0;
    for (const QString &part : parts) {
        const qsizetype at = text.indexOf(part, from);
        if (at < 0) {
            *missing = part;
            return false;
        }
        from = at + part.size();
    }
    return true;
}

TEST_F(BatchRun, RunsEveryRowReportsEachAndExportsThePageWithOutputsUnderTheirStatements) {
    const Outcome outcome =
        run({"--run", "batch.norq", "--define", "dept=A01", "--export", "report.htm"});
    EXPECT_EQ(outcome.status, 1) << outcome.errorLines.join('\n').toStdString();
    const QStringList progress = progressLines(outcome);
    ASSERT_EQ(progress.size(), 5) << outcome.errorLines.join('\n').toStdString();
    EXPECT_TRUE(progress[0].startsWith("[1/5] SELECT LAST_NAME FROM EMPLOYEE WHERE DEPT_ID = "))
        << progress[0];
    EXPECT_TRUE(progress[0].contains(" ... 7 record(s) selected. (")) << progress[0];
    EXPECT_TRUE(progress[1].startsWith("[2/5] SELECT * FROM NO_SUCH_TABLE; ... FAILED: "))
        << progress[1];
    EXPECT_TRUE(progress[1].contains("NO_SUCH_TABLE")) << progress[1];
    EXPECT_TRUE(progress[2].contains(" ... No records found. (")) << progress[2];
    EXPECT_TRUE(progress[3].startsWith("[4/5] PLOT ")) << progress[3];
    EXPECT_FALSE(progress[3].contains("FAILED")) << progress[3];
    EXPECT_TRUE(progress[4].startsWith("[5/5] SPOOL spooled.txt;")) << progress[4];
    EXPECT_TRUE(outcome.errorLines.contains("pavona: exported to report.htm"));

    // The spooled query wrote its rows to the working folder.
    QString missing;
    EXPECT_TRUE(inOrder(read("spooled.txt"), {"A01", "B02", "E05"}, &missing)) << missing;

    const QString page = read("report.htm");
    EXPECT_TRUE(inOrder(page,
                        {"<html>",
                         "<style",
                         "<h1>Batch test</h1>",
                         "<pre>",
                         "SELECT LAST_NAME FROM EMPLOYEE WHERE DEPT_ID = '&amp;dept'",
                         "<pre class='output'>",
                         "Abend",
                         "Zorn",
                         "7 record(s) selected.",
                         "<h2>Failure</h2>",
                         "SELECT * FROM NO_SUCH_TABLE;",
                         "<pre class='output'>",
                         "no such table: NO_SUCH_TABLE",
                         "<h2>Empty</h2>",
                         "<pre class='output'>",
                         "No records found.",
                         "<h2>Chart</h2>",
                         "PLOT TITLE",
                         "<img src=\"file:report-1.bmp\">",
                         "<h2>Spool</h2>",
                         "SPOOL OFF;",
                         "</html>"},
                        &missing))
        << "missing or out of place: " << missing.toStdString() << "\n"
        << page.toStdString();
    // The chart is a picture file beside the page.
    const QImage chart(work + "/report-1.bmp");
    EXPECT_FALSE(chart.isNull());
    EXPECT_GT(chart.width(), 50);
    int drawn = 0;
    for (int y = 0; y < chart.height(); y += 2)
        for (int x = 0; x < chart.width(); x += 2)
            drawn += chart.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    EXPECT_GT(drawn, 100) << "the chart picture is blank";

    // The same run exported as text, with failures allowed.
    const Outcome tolerant = run({"--run", "batch.norq", "--define", "dept=A01", "--allow-errors",
                                  "--export", "report.txt"});
    EXPECT_EQ(tolerant.status, 0);
    EXPECT_EQ(progressLines(tolerant).size(), 5);
    const QString text = read("report.txt");
    EXPECT_TRUE(inOrder(text,
                        {"Batch test", "SELECT LAST_NAME FROM EMPLOYEE", "Abend", "Zorn",
                         "7 record(s) selected.", "Failure", "SELECT * FROM NO_SUCH_TABLE",
                         "no such table: NO_SUCH_TABLE", "Empty", "No records found.", "Chart",
                         "PLOT TITLE", "Spool", "SPOOL OFF;"},
                        &missing))
        << "missing or out of place: " << missing << "\n"
        << text;
    EXPECT_FALSE(text.contains("<pre")) << "text, not HTML";
}

TEST_F(BatchRun, TextExportAndAVariableNobodyCanBeAskedFor) {
    const Outcome outcome = run({"--run", "batch.norq", "--export", "report", "--format", "text"});
    EXPECT_EQ(outcome.status, 1);
    const QStringList progress = progressLines(outcome);
    ASSERT_EQ(progress.size(), 5) << outcome.errorLines.join('\n').toStdString();
    EXPECT_TRUE(progress[0].contains(
        "FAILED: Variable DEPT has no value and standard input is not a terminal: pass "
        "--define DEPT=VALUE."))
        << progress[0];

    const QString text = read("report");
    QString missing;
    EXPECT_TRUE(inOrder(text,
                        {"Batch test", "SELECT LAST_NAME FROM EMPLOYEE",
                         "Variable DEPT has no value", "Failure", "SELECT * FROM NO_SUCH_TABLE",
                         "no such table", "Empty", "No records found.", "Chart", "Spool"},
                        &missing))
        << "missing or out of place: " << missing.toStdString() << "\n"
        << text.toStdString();
    // The query with the hole never ran: no rows of department A01 anywhere.
    EXPECT_FALSE(text.contains("Abend")) << text.toStdString();
    EXPECT_FALSE(text.contains("<pre")) << "text, not HTML";
}

TEST_F(BatchRun, OnATerminalTheMissingValueIsAskedFor) {
    // script(1) gives the program a terminal and passes our standard input to it.
    const QString terminal = QStandardPaths::findExecutable("script");
    if (terminal.isEmpty()) GTEST_SKIP() << "script(1) is not installed";
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", scratch->path() + "/data");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(work);
    process.start(terminal,
                  {"-qec", program + " --run batch.norq --export asked.txt", "/dev/null"});
    ASSERT_TRUE(process.waitForStarted());
    process.write("A01\n");
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString seen = QString::fromLocal8Bit(process.readAll());
    EXPECT_TRUE(seen.contains("Enter value for dept: ")) << seen;
    EXPECT_TRUE(seen.contains("[1/5] SELECT LAST_NAME") && seen.contains("7 record(s) selected."))
        << seen;
    EXPECT_TRUE(read("asked.txt").contains("Abend"));
}

TEST_F(BatchRun, SucceedsWhenEveryStatementDoesAndEmptyResultsCountAsSuccess) {
    write("fine.norq", "/* {h1} Fine */\n"
                       " \n"
                       "DEFINE who = 'Zorn';\n"
                       " \n"
                       "/* {h2} Found */\n"
                       " \n"
                       "SELECT FIRST_NAME FROM EMPLOYEE WHERE LAST_NAME = '&who';\n"
                       " \n"
                       "/* {h2} None */\n"
                       " \n"
                       "SELECT * FROM EMPLOYEE WHERE LAST_NAME = 'Nobody';\n");
    const Outcome outcome = run({"--run", "fine.norq", "--database", "sample"});
    EXPECT_EQ(outcome.status, 0) << outcome.errorLines.join('\n').toStdString();
    const QStringList progress = progressLines(outcome);
    ASSERT_EQ(progress.size(), 3);
    EXPECT_TRUE(progress[1].contains("1 record(s) selected.")) << progress[1];
    EXPECT_TRUE(progress[2].contains("No records found.")) << progress[2];
    EXPECT_EQ(outcome.errorLines.filter("pavona: 3 statement(s), 0 failed (").size(), 1);

    // An empty script runs nothing and succeeds.
    write("empty.norq", "");
    const Outcome empty = run({"--run", "empty.norq", "--export", "empty.txt"});
    EXPECT_EQ(empty.status, 0) << empty.errorLines.join('\n').toStdString();
    EXPECT_TRUE(progressLines(empty).isEmpty());
    EXPECT_TRUE(QFile::exists(work + "/empty.txt"));
}

TEST_F(BatchRun, WhatStopsARunBeforeItStartsExitsWithTwoAndOneLine) {
    const auto expectStop = [this](const QStringList &arguments, const QString &text) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.status, 2) << arguments.join(' ').toStdString();
        ASSERT_FALSE(outcome.errorLines.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(outcome.errorLines[0].startsWith("pavona: ")) << outcome.errorLines[0];
        EXPECT_TRUE(outcome.errorLines[0].contains(text)) << outcome.errorLines[0];
        EXPECT_TRUE(progressLines(outcome).isEmpty());
    };
    expectStop({"--run", "missing.norq"}, "cannot read script 'missing.norq': no such file");
    expectStop({"--run", "."}, "it is a folder");
    expectStop({"--run", "batch.norq", "--database", "NOPE"}, "cannot connect to NOPE");
    QByteArray longScript;
    for (int i = 0; i <= 10000; ++i)
        longScript += "SELECT " + QByteArray::number(i) + ";\n/**/\n";
    write("long.norq", longScript);
    expectStop({"--run", "long.norq"}, "has more than 10000 lines");
    expectStop({"--run", "batch.norq", "--export", "no-such-folder/report.htm"}, "folder");
    expectStop({"--run", "batch.norq", "--bogus"}, "bogus");
    expectStop({"--run", "batch.norq", "--export", "report.pdf"}, "--format");
    // Nothing ran: the spool file of the last row was never written.
    EXPECT_FALSE(QFile::exists(work + "/spooled.txt"));

    const Outcome usage = run({"--database"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.errorLines.contains("Try 'pavona --help'."));
}

TEST_F(BatchRun, RunsAgainstAnOdbcDataSource) {
    const QString dsn = qEnvironmentVariable("PAVONA_TEST_PG_DSN");
    if (dsn.isEmpty()) GTEST_SKIP() << "PAVONA_TEST_PG_DSN names no PostgreSQL data source";
    write("server.norq", "/* {h1} On the server */\n"
                         " \n"
                         "DROP TABLE IF EXISTS batch_t;\n"
                         "CREATE TABLE batch_t (id INTEGER, name VARCHAR(10));\n"
                         "INSERT INTO batch_t VALUES (1, 'one'), (2, 'two');\n"
                         " \n"
                         "/* {h2} Read back */\n"
                         " \n"
                         "SELECT name FROM batch_t WHERE id >= &low ORDER BY id;\n");
    const Outcome outcome = run({"--run", "server.norq", "--database", dsn, "--user", "postgres",
                                 "--define", "low=1", "--export", "server.txt"});
    EXPECT_EQ(outcome.status, 0) << outcome.errorLines.join('\n');
    const QStringList progress = progressLines(outcome);
    ASSERT_EQ(progress.size(), 2) << outcome.errorLines.join('\n');
    EXPECT_TRUE(progress[1].contains("2 record(s) selected.")) << progress[1];
    QString missing;
    EXPECT_TRUE(inOrder(read("server.txt"), {"Read back", "one", "two"}, &missing)) << missing;

    // The server is asked to cancel a statement that outlives the limit.
    write("sleepy.norq", "/* {h1} Sleepy */\n"
                         " \n"
                         "SELECT pg_sleep(30);\n"
                         " \n"
                         "/* {h2} After */\n"
                         " \n"
                         "SELECT name FROM batch_t WHERE id = 2;\n");
    const Outcome slow =
        run({"--run", "sleepy.norq", "--database", dsn, "--user", "postgres", "--timeout", "1"});
    EXPECT_EQ(slow.status, 1) << slow.errorLines.join('\n');
    const QStringList lines = progressLines(slow);
    ASSERT_EQ(lines.size(), 2) << slow.errorLines.join('\n');
    EXPECT_TRUE(lines[0].contains("FAILED: Stopped: the statement ran longer than the limit of 1"))
        << lines[0];
    EXPECT_TRUE(lines[1].contains("1 record(s) selected.")) << lines[1];
}

TEST_F(BatchRun, HelpAndVersionGoToStandardOutput) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char *option :
         {"--run SCRIPT", "--database NAME", "--define NAME=VALUE", "--export FILE",
          "--format FORMAT", "--allow-errors", "--timeout SECONDS", "-SQL"})
        EXPECT_TRUE(help.output.contains(option)) << option;
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.output.startsWith("pavona " PAVONA_VERSION)) << version.output;
}

} // namespace

TEST_F(BatchRun, EveryKindOfFailureCountsAndTheRunExitsWithOne) {
    QStringList many;
    for (int i = 1; i <= 1001; ++i)
        many << QStringLiteral("VALUES %1;").arg(i);
    write("failing.norq", "/* {h1} Failures */\n"
                          " \n"
                          "VALUES 1;\n"
                          "SELECT * FROM NO_SUCH_TABLE;\n"
                          " \n"
                          "/* {h2} Two in one line */\n"
                          " \n"
                          "VALUES 1; VALUES 2;\n"
                          " \n"
                          "/* {h2} A child */\n"
                          " \n"
                          "HOST exit 3;\n"
                          " \n"
                          "/* {h2} Too many */\n"
                          " \n" +
                              many.join("\n").toUtf8() +
                              "\n \n"
                              "/* {h2} No database */\n"
                              " \n"
                              "CONNECT TO NO_SUCH_DATABASE;\n"
                              " \n"
                              "/* {h2} No connection */\n"
                              " \n"
                              "VALUES 2;\n");
    const Outcome outcome = run({"--run", "failing.norq"});
    EXPECT_EQ(outcome.status, 1) << outcome.errorLines.join('\n').toStdString();
    const QStringList progress = progressLines(outcome);
    ASSERT_EQ(progress.size(), 6) << outcome.errorLines.join('\n').toStdString();
    for (const QString &line : progress)
        EXPECT_TRUE(line.contains("FAILED: ")) << line;
    EXPECT_TRUE(progress[0].contains("Statement 2 of 2 failed:")) << progress[0];
    EXPECT_TRUE(progress[2].contains("Cmd: Command failed. (exit status 3)")) << progress[2];
    EXPECT_TRUE(progress[3].contains("more than 1000 statements")) << progress[3];
    EXPECT_TRUE(progress[5].contains("No connection exists.")) << progress[5];
    EXPECT_EQ(outcome.errorLines.filter("pavona: 6 statement(s), 6 failed (").size(), 1);

    EXPECT_EQ(run({"--run", "failing.norq", "--allow-errors"}).status, 0);
}

TEST_F(BatchRun, ATimeoutEndsWhatRunsTooLongAndTheRunGoesOn) {
    write("slow.norq", "/* {h1} Slow */\n"
                       " \n"
                       "HOST echo $$ > shell.pid\n"
                       "sleep 30;\n"
                       " \n"
                       "/* {h2} Runaway */\n"
                       " \n"
                       "WITH RECURSIVE C(X) AS (VALUES (1) UNION ALL SELECT X + 1 FROM C)\n"
                       "  SELECT COUNT(*) FROM C;\n"
                       " \n"
                       "/* {h2} Quick */\n"
                       " \n"
                       "VALUES 1;\n");
    const Outcome outcome = run({"--run", "slow.norq", "--timeout", "1"});
    EXPECT_EQ(outcome.status, 1) << outcome.errorLines.join('\n').toStdString();
    const QStringList progress = progressLines(outcome);
    ASSERT_EQ(progress.size(), 3) << outcome.errorLines.join('\n').toStdString();
    const QString limit =
        "FAILED: Stopped: the statement ran longer than the limit of 1 second(s).";
    EXPECT_TRUE(progress[0].contains(limit)) << progress[0];
    EXPECT_TRUE(progress[1].contains(limit)) << progress[1];
    EXPECT_TRUE(progress[2].contains("1 record(s) selected.")) << progress[2];
    const qint64 group = read("shell.pid").trimmed().toLongLong();
    ASSERT_GT(group, 0);
    EXPECT_FALSE(groupHasLiveProcess(group));

    EXPECT_EQ(run({"--run", "slow.norq", "--timeout", "soon"}).status, 2);
}

TEST_F(BatchRun, SigtermStopsTheRunAndItsChildAndPrintsTheTally) {
    write("long.norq", "/* {h1} Long */\n"
                       " \n"
                       "HOST echo $$ > shell.pid\n"
                       "sleep 30;\n"
                       " \n"
                       "/* {h2} Never */\n"
                       " \n"
                       "VALUES 1;\n");
    QProcess process;
    start(process, {"--run", "long.norq"});
    for (int i = 0; i < 400 && read("shell.pid").trimmed().isEmpty(); ++i)
        QThread::msleep(50);
    const qint64 group = read("shell.pid").trimmed().toLongLong();
    ASSERT_GT(group, 0);
    process.terminate(); // SIGTERM
    const Outcome outcome = finish(process);
    EXPECT_EQ(outcome.status, 143) << outcome.errorLines.join('\n').toStdString();
    const QStringList progress = progressLines(outcome);
    ASSERT_EQ(progress.size(), 1) << outcome.errorLines.join('\n').toStdString();
    EXPECT_TRUE(progress[0].contains("FAILED: Stopped: the run was ended by SIGTERM."))
        << progress[0];
    EXPECT_EQ(outcome.errorLines.filter("pavona: 1 statement(s), 1 failed (").size(), 1);
    EXPECT_EQ(outcome.errorLines.filter("pavona: the run was stopped by SIGTERM").size(), 1);
    EXPECT_FALSE(groupHasLiveProcess(group));
}
