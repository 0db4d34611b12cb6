// Whole runs against the embedded engine, on a database in a temporary catalog.

#include "core/variables.h"
#include "database/session.h"
#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "fake_windows.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QString CR = QStringLiteral("\r");

class EmbeddedRun : public EngineTest {
protected:
    QTemporaryDir dir;

    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        const QString catalog = dir.filePath("data/pavona/databases");
        ASSERT_TRUE(QDir().mkpath(catalog));
        QFile db(catalog + "/RUNTEST.db");
        ASSERT_TRUE(db.open(QIODevice::WriteOnly));
        db.close();
        QString name = "RUNTEST", user, password;
        ASSERT_EQ(Norq_connect(engine, name, user, password), 0) << engine.msgText.toStdString();
        ASSERT_TRUE(engine.connected);
        engine.gridMode = false;
    }
    void TearDown() override {
        run("SPOOL OFF");
        Norq_disconnect(engine);
        EngineTest::TearDown();
    }

    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray read(const QString &name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void run(const QString &text) { runScript(text, nullptr, nullptr); }
    static QString valueOf(const QString &name) {
        const int slot = var_find(name);
        return slot ? engine.vars[slot].value : QStringLiteral("<none>");
    }
    // Width of the dashes under the column names.
    static qsizetype firstLineWidth() {
        return engine.resultText.section(u'\r', 1, 1).trimmed().size();
    }
};

TEST_F(EmbeddedRun, SpoolWritesQueriesAsCommaLines) {
    run("CREATE TABLE T (A INTEGER, B VARCHAR(10));" + CR +
        "INSERT INTO T VALUES (1, 'x'), (2, 'y z');");
    const QString out = path("out.txt");
    run("SPOOL " + out + ";" + CR + "SELECT A, B FROM T ORDER BY A;" + CR + "-- kept as a line" +
        CR + "VALUES ('v');" + CR + "SPOOL OFF;");
    EXPECT_EQ(read("out.txt"), "1,x\r\n2,y z\r\nv\r\n");
    EXPECT_EQ(engine.msgText, "Command completed.");

    run("SPOOL " + out + ";" + CR + "SELECT A FROM T WHERE A > 5;");
    EXPECT_EQ(engine.msgText, "No records found.");
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_TRUE(engine.spoolOpen);
    run("SPOOL OFF");
    EXPECT_EQ(read("out.txt"), "");
}

// The rows of a CSV file as Python's csv module reads them: a reader the writer shares
// nothing with.
QList<QStringList> csvRowsOf(const QString &file) {
    QProcess reader;
    reader.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
                 {"-c",
                  "import csv, json, sys\n"
                  "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                  "    print(json.dumps(list(csv.reader(f))))\n",
                  file});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0) return {{"<reader failed>"}};
    QList<QStringList> rows;
    for (const QJsonValue row : QJsonDocument::fromJson(reader.readAllStandardOutput()).array())
        rows << row.toVariant().toStringList();
    return rows;
}

TEST_F(EmbeddedRun, SpooledValuesWithCommasQuotesAndLineBreaksReadBackWhole) {
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    run("CREATE TABLE Q (N INTEGER, V VARCHAR(40));" + CR +
        "INSERT INTO Q VALUES (1, 'Smith, John'), (2, 'say \"hi\"'), (3, '\"'), "
        "(4, 'two' || CHAR(10) || 'lines'), (5, 'a' || CHAR(13) || CHAR(10) || 'b,' || "
        "CHAR(13)), (6, '  padded  '), (7, NULL);");
    const QString out = path("q.csv");
    run("SPOOL " + out + ";" + CR + "SELECT N, V FROM Q ORDER BY N;" + CR + "SPOOL OFF;");
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();
    const QList<QStringList> expected = {
        {"1", "Smith, John"}, {"2", "say \"hi\""}, {"3", "\""}, {"4", "two\nlines"},
        {"5", "a\r\nb,\r"},   {"6", "  padded  "}, {"7", ""}};
    EXPECT_EQ(csvRowsOf(out), expected) << read("q.csv").toStdString();
}

TEST_F(EmbeddedRun, SpoolRefusesRowsWiderThanTheBuffer) {
    QStringList columns;
    for (int i = 1; i <= 8; ++i)
        columns << QStringLiteral("C%1 VARCHAR(4000)").arg(i);
    run("CREATE TABLE W (" + columns.join(", ") + ");" + CR + "INSERT INTO W (C1) VALUES ('a');");
    run("SPOOL " + path("wide.txt") + ";" + CR + "SELECT * FROM W;");
    EXPECT_EQ(engine.msgText,
              "Maximum output record length exceeded - reduce the number of columns.");
    run("SELECT C1, C2 FROM W;" + CR + "SPOOL OFF;");
    EXPECT_EQ(read("wide.txt"), "a,\r\n");
}

TEST_F(EmbeddedRun, PromptBecomesTheRunsServerOutput) {
    // The apostrophe leaves the line's ";" quoted, so a "/" line ends the statement.
    run("PROMPT It's done" + CR + "/" + CR + "DEFINE x 1;" + CR + "PROMPT second line;");
    EXPECT_EQ(engine.serverOutput, "It`s done\rsecond line");
    EXPECT_EQ(engine.resultKind, 3);
    run("DEFINE y 2");
    EXPECT_EQ(engine.serverOutput, "");
    EXPECT_EQ(engine.resultKind, 0);
    // Output switched off by one run is on again for the next.
    run("CALL DBMS_OUTPUT.DISABLE");
    run("PROMPT third line;");
    EXPECT_EQ(engine.serverOutput, "third line");
    // A run that ends with a query shows its rows, the lines under them.
    run("PROMPT counted;" + CR + "SELECT 7 AS N;");
    EXPECT_EQ(engine.resultKind, 1);
    EXPECT_TRUE(engine.resultText.contains("7")) << engine.resultText.toStdString();
    EXPECT_TRUE(engine.resultText.endsWith("\r\rcounted")) << engine.resultText.toStdString();
}

TEST_F(EmbeddedRun, TracingShowsTheDatabasesMessage) {
    engine.traceOn = true;
    run("SELECT * FROM NO_SUCH_TABLE;" + CR + "DEFINE x 1;");
    ASSERT_EQ(windows.history.size(), 2u);
    EXPECT_EQ(windows.history[1].colour, QColor(255, 0, 0));
    EXPECT_TRUE(windows.history[1].status.contains("NO_SUCH_TABLE", Qt::CaseInsensitive))
        << windows.history[1].status.toStdString();
    EXPECT_EQ(windows.history[2].colour, QColor(0, 255, 0));
    EXPECT_EQ(windows.history[2].status, "Command completed.");
}

TEST_F(EmbeddedRun, ColumnFormatsChangeTheTextWidth) {
    run("CREATE TABLE P (NAME VARCHAR(60));" + CR + "INSERT INTO P VALUES ('short');");
    run("SELECT NAME FROM P");
    const qsizetype plain = firstLineWidth();
    run("COLUMN name FORMAT A40;" + CR + "SELECT NAME FROM P;");
    EXPECT_EQ(firstLineWidth(), plain + 20) << engine.resultText.toStdString();
    run("COLUMN CLEAR;" + CR + "SELECT NAME FROM P;");
    EXPECT_EQ(firstLineWidth(), plain);
}

TEST_F(EmbeddedRun, ExecuteAndTheVariableListing) {
    run("EXECUTE VALUES 6*7");
    EXPECT_EQ(valueOf("RESULT"), "42");
    run("EXECUTE");
    EXPECT_EQ(valueOf("RESULT"), "");
    run("OPTION MAXDISPLAY 100;" + CR + "DEFINE quoted \"it's\";" + CR + "DEFINE;");
    EXPECT_TRUE(engine.resultText.contains("QUOTED")) << engine.resultText.toStdString();
    EXPECT_TRUE(engine.resultText.contains("it's"));
    EXPECT_TRUE(engine.resultText.contains("9.7.0"));
}

} // namespace

TEST_F(EmbeddedRun, FailuresTheDatabaseGaveNoCodeForStillFail) {
    Norq_disconnect(engine);
    run("VALUES 1;");
    EXPECT_EQ(engine.msgText, "No connection exists.");
    EXPECT_EQ(engine.msgCode, -1);
    run("CONNECT TO NO_SUCH_DATABASE;");
    EXPECT_TRUE(engine.msgText.startsWith("Connection to NO_SUCH_DATABASE failed."))
        << engine.msgText.toStdString();
    EXPECT_EQ(engine.msgCode, -1);
}

TEST_F(EmbeddedRun, AQueryThatFailsAfterItsFirstRowsShowsThemAndFails) {
    run("CREATE TABLE J (ID INTEGER, V VARCHAR(20));" + CR +
        "INSERT INTO J VALUES (1, '{\"a\":10}'), (2, '{\"a\":20}'), (3, 'not json');");
    run("SELECT ID, json_extract(V, '$.a') FROM J;");
    EXPECT_NE(engine.msgCode, 0);
    EXPECT_TRUE(engine.errorFlag);
    ASSERT_EQ(engine.resultKind, kResultRows);
    const QStringList lines = engine.resultText.split(u'\r');
    ASSERT_GE(lines.size(), 6) << engine.resultText.toStdString();
    EXPECT_TRUE(lines[2].contains("10") && lines[3].contains("20"))
        << engine.resultText.toStdString();
    EXPECT_TRUE(engine.resultText.contains("malformed JSON")) << engine.resultText.toStdString();
    EXPECT_FALSE(engine.resultText.contains("record(s) selected"));
}

TEST_F(EmbeddedRun, AFailureAmongTheStatementsOfOneTextIsItsOutcome) {
    run("VALUES 1;" + CR + "SELECT * FROM NOSUCH;");
    EXPECT_EQ(engine.msgCode, -204);
    EXPECT_TRUE(engine.msgText.startsWith("Statement 2 of 2 failed: "))
        << engine.msgText.toStdString();
    EXPECT_TRUE(engine.msgText.contains("NOSUCH"));
    EXPECT_EQ(engine.resultKind, kResultMessage);

    // A later success does not hide it; the rows stay, the failure under them.
    run("SELECT * FROM NOSUCH;" + CR + "VALUES 2;");
    EXPECT_EQ(engine.msgCode, -204);
    ASSERT_EQ(engine.resultKind, kResultRows);
    EXPECT_TRUE(engine.resultText.contains("\r\rStatement 1 of 2 failed: "))
        << engine.resultText.toStdString();

    // Every failure is reported, each with its number, and every statement is counted.
    run("SELECT * FROM NOSUCH;" + CR + "VALUES 2;" + CR + "SELECT * FROM NOSUCH_EITHER;");
    EXPECT_TRUE(engine.msgText.contains("Statement 1 of 3 failed: "))
        << engine.msgText.toStdString();
    EXPECT_TRUE(engine.msgText.contains("\rStatement 3 of 3 failed: "))
        << engine.msgText.toStdString();
    EXPECT_EQ(engine.runStatements, 3);
    EXPECT_EQ(engine.runFailures, 2);

    // Two statements on one line are two statements; an empty one is nothing.
    run("CREATE TABLE X (A INTEGER);");
    run("INSERT INTO X VALUES (1); INSERT INTO X VALUES (2);");
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();
    run("INSERT INTO X VALUES (3);;");
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();
    run("SELECT COUNT(*) FROM X;");
    EXPECT_EQ(valueOf("RESULT"), "3");
}

TEST_F(EmbeddedRun, TextsOfAnyLengthRunWholeAndTheVariableTableSaysWhenFull) {
    QStringList lines{"CREATE TABLE MANY (N INTEGER);"};
    for (int i = 1; i <= 1500; ++i)
        lines << QStringLiteral("INSERT INTO MANY VALUES (%1);").arg(i);
    run(lines.join(CR));
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();
    run("SELECT COUNT(*) FROM MANY;");
    EXPECT_EQ(valueOf("RESULT"), "1500");

    for (int i = 0; var_add(QStringLiteral("FILL%1").arg(i), "x") != 0; ++i) {
    }
    run("DEFINE ONE_TOO_MANY = 1;");
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_TRUE(engine.msgText.startsWith("The variable table is full (1024 variables)"))
        << engine.msgText.toStdString();
    EXPECT_EQ(var_find("ONE_TOO_MANY"), 0);
}

TEST_F(EmbeddedRun, ATimeLimitCancelsARunawayQueryAndTheNextStatementRuns) {
    run_control::setStatementLimit(1);
    run("WITH RECURSIVE C(X) AS (VALUES (1) UNION ALL SELECT X + 1 FROM C) SELECT COUNT(*) FROM "
        "C;");
    run_control::setStatementLimit(0);
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(engine.msgText, "Stopped: the statement ran longer than the limit of 1 second(s).");
    run("VALUES 7;");
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();
    EXPECT_EQ(valueOf("RESULT"), "7");
}

namespace {

TEST_F(EmbeddedRun, APromptBeforeANestedRunKeepsItsLine) {
    QFile nested(path("nested.sql"));
    ASSERT_TRUE(nested.open(QIODevice::WriteOnly));
    nested.write("PROMPT inside;\n");
    nested.close();
    run("PROMPT before;" + CR + "RUN " + path("nested.sql") + ";" + CR + "PROMPT after;");
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();
    EXPECT_EQ(engine.serverOutput, "before\rinside\rafter");
}

} // namespace

TEST_F(EmbeddedRun, AStatementMarkedToFailCountsAsASuccessOnlyWhenItFailsAsSaid) {
    run("-- expect: error" + CR + "SELECT * FROM NO_SUCH_TABLE;");
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_EQ(engine.runFailures, 0);
    EXPECT_TRUE(engine.msgText.startsWith("Failed as expected: ")) << engine.msgText.toStdString();
    EXPECT_TRUE(engine.msgText.contains("NO_SUCH_TABLE"));

    run("SELECT * FROM NO_SUCH_TABLE;" + CR + "  --  EXPECT: error 42704");
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();
    run("SELECT * FROM NO_SUCH_TABLE;  -- expect: error");
    EXPECT_EQ(engine.msgCode, 0) << engine.msgText.toStdString();

    run("-- expect: error 23505" + CR + "SELECT * FROM NO_SUCH_TABLE;");
    EXPECT_NE(engine.msgCode, 0);
    EXPECT_EQ(engine.runFailures, 1);
    EXPECT_TRUE(engine.msgText.startsWith("Expected failure 23505, got: "))
        << engine.msgText.toStdString();

    run("-- expect: error" + CR + "VALUES 1;");
    EXPECT_NE(engine.msgCode, 0);
    EXPECT_EQ(engine.runFailures, 1);
    EXPECT_TRUE(engine.resultText.contains("Expected a failure, but the statement succeeded."))
        << engine.resultText.toStdString();

    // A remark that only mentions the mark is no mark.
    run("-- we expect: errors are rare" + CR + "VALUES 2;");
    EXPECT_EQ(engine.msgCode, 0);
}
