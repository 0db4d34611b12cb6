#include "core/variables.h"
#include "engine/explain.h"
#include "runners_fixture.h"

#include <QFileInfo>
#include <QProcess>

namespace {

std::string text(const QString &value) {
    return value.toStdString();
}

QString variable(const char *name) {
    const int slot = var_find(QString::fromLatin1(name));
    return slot ? engine.vars[slot].value : QStringLiteral("<undefined>");
}

// A scratch catalog with a SAMPLE database holding a small staff table, made by the
// command processor itself.
class RunnersDatabaseTest : public RunnersTest {
protected:
    void SetUp() override {
        RunnersTest::SetUp();
        previousData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QDir(work.path()).filePath(QStringLiteral("data")).toUtf8());
        run(QStringLiteral("NORQ CREATE DATABASE SAMPLE;\nCONNECT TO SAMPLE;\n"
                           "CREATE TABLE staff (id INTEGER PRIMARY KEY, name VARCHAR(12));\n"
                           "INSERT INTO staff VALUES (7, 'Smith'), (12, 'Jones');"));
        ASSERT_TRUE(waitWhileBusy());
        ASSERT_TRUE(engine.outputText.contains(QStringLiteral("CREATE DATABASE command completed")))
            << text(engine.outputText);
        engine.databaseName = QStringLiteral("SAMPLE");
        engine.outputText.clear();
        engine.resultKind = kResultMessage;
    }
    void TearDown() override {
        RunnersTest::TearDown();
        if (previousData.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", previousData);
    }

    QByteArray previousData;
};

} // namespace

TEST_F(RunnersDatabaseTest, NorqRunsItsScriptAndReadsTheOutputBack) {
    run(QStringLiteral("NORQ CONNECT TO SAMPLE;\nSELECT name FROM staff ORDER BY id;"));
    EXPECT_TRUE(engine.busy);
    EXPECT_NE(engine.timerId, 0);
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(workBytes("NORQCMDS.NORQ"),
              "CONNECT TO SAMPLE;\r\nSELECT name FROM staff ORDER BY id;\r\n");
    EXPECT_EQ(workBytes("NORQCMDS.BAT"), "norq -tvf " + inWork("NORQCMDS.NORQ") + " -o- -z " +
                                             inWork("NORQCMDS.OUT") + "\r\n");
    EXPECT_EQ(engine.resultKind, kResultText);
    EXPECT_TRUE(engine.outputText.contains(
        QStringLiteral("SELECT name FROM staff ORDER BY id\r\rname\r-----\rSmith\rJones\r\r"
                       "  2 record(s) selected.\r")))
        << text(engine.outputText);
    EXPECT_FALSE(engine.outputText.contains(u'\n'));
}

TEST_F(RunnersDatabaseTest, ClpRunsAScriptFileWithItsDelimiter) {
    writeFile("report.sql", "CONNECT TO SAMPLE#\r\nSELECT id FROM staff WHERE name = 'Jones'#\r\n");
    run(QStringLiteral("CLP FILE report.sql DELIM #"));
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(engine.resultKind, kResultText);
    EXPECT_TRUE(engine.outputText.contains(QStringLiteral("id\r--\r12\r")))
        << text(engine.outputText);
}

TEST_F(RunnersDatabaseTest, ShowplanShowsTheCostLineAndTheEmbeddedPlan) {
    run(QStringLiteral("SHOWPLAN SELECT name FROM staff WHERE id = 7;"));
    EXPECT_FALSE(engine.busy);
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_EQ(text(engine.msgText), "Command completed.");
    EXPECT_TRUE(workBytes("NORQSQL.SQL").startsWith("SELECT name FROM staff WHERE id = 7"));
    ASSERT_EQ(engine.resultKind, kResultText);
    const QStringList lines = engine.outputText.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 3) << text(engine.outputText);
    EXPECT_EQ(text(lines[0]), "Cost = not estimated (the embedded engine gives no cost estimate)");
    EXPECT_EQ(lines[1], "");
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("    SEARCH staff"))) << text(lines[2]);
    EXPECT_EQ(text(variable("PLANCOST")),
              "not estimated (the embedded engine gives no cost estimate)");

    run(QStringLiteral("SHOWPLAN"));
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(text(engine.msgText), "No arguments supplied.");
}

TEST_F(RunnersDatabaseTest, ShowplanFailsWhenTheToolOrItsWorkFileDoes) {
    engine.outputText.clear();
    run(QStringLiteral("SHOWPLAN SELECT x FROM nowhere"));
    EXPECT_EQ(engine.resultKind, kResultMessage);
    EXPECT_TRUE(engine.outputText.isEmpty());
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_TRUE(engine.msgText.startsWith("norqexpln failed (exit status 4).\r"))
        << text(engine.msgText);
    EXPECT_TRUE(engine.msgText.contains("nowhere")) << text(engine.msgText);

    // A database name with a blank reaches the tool as one argument.
    engine.databaseName = QStringLiteral("NO SUCH");
    run(QStringLiteral("SHOWPLAN SELECT 1"));
    EXPECT_TRUE(engine.msgText.contains("NO SUCH")) << text(engine.msgText);

    QFile::remove(workFilePath(QStringLiteral("NORQSQL.SQL")));
    ASSERT_TRUE(QDir().mkdir(workFilePath(QStringLiteral("NORQSQL.SQL"))));
    run(QStringLiteral("SHOWPLAN SELECT name FROM staff"));
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_TRUE(engine.msgText.startsWith("Cannot create the work file ")) << text(engine.msgText);
}

TEST_F(RunnersDatabaseTest, ShowplanOnPostgresqlCarriesTheServerCost) {
    const QString dsn = qEnvironmentVariable("PAVONA_TEST_PG_DSN");
    if (dsn.isEmpty()) GTEST_SKIP() << "PAVONA_TEST_PG_DSN names no PostgreSQL data source";
    run(QStringLiteral("NORQ CONNECT TO %1;\nDROP TABLE IF EXISTS plan_r;\n"
                       "CREATE TABLE plan_r (id INTEGER PRIMARY KEY, v VARCHAR(8));")
            .arg(dsn));
    ASSERT_TRUE(waitWhileBusy());
    engine.databaseName = dsn;
    run(QStringLiteral("SHOWPLAN SELECT v FROM plan_r WHERE id > 3"));
    ASSERT_EQ(engine.resultKind, kResultText) << text(engine.outputText);
    EXPECT_TRUE(engine.outputText.startsWith(QStringLiteral("Cost = ")));
    EXPECT_GT(variable("PLANCOST").toDouble(), 0.0) << text(variable("PLANCOST"));
    EXPECT_TRUE(engine.outputText.contains(QStringLiteral("plan_r")));
}

TEST_F(RunnersTest, PlanReportKeepsTheCostAndThePlanSectionOnly) {
    putWorkFile("NORQCMDS.OUT", "Header\nStatement text\n  Estimated Cost = 13.516  \n\n"
                                "Plan:\n  RETURN\n\n   |  \n  TBSCAN T\n===== end\nafter\n");
    readPlanReport();
    EXPECT_EQ(engine.resultKind, kResultText);
    EXPECT_EQ(text(engine.outputText), "Cost = 13.516  \r\n\r\n  RETURN\r\n   |  \r\n  TBSCAN T");
    EXPECT_EQ(text(variable("PLANCOST")), "13.516");

    engine.outputText.clear();
    engine.resultKind = kResultMessage;
    putWorkFile("NORQCMDS.OUT", "Cost = 99\nno plan section\n");
    readPlanReport();
    EXPECT_EQ(text(variable("PLANCOST")), "99");
    EXPECT_EQ(engine.resultKind, kResultMessage);

    putWorkFile("NORQCMDS.OUT", "Cost = 5");
    readPlanReport(); // the cost line is the last line: nothing at all
    EXPECT_EQ(text(variable("PLANCOST")), "99");
    EXPECT_EQ(engine.resultKind, kResultMessage);
}

TEST_F(RunnersDatabaseTest, WorkFilesAreFreshPrivateFilesThatNoPlantedLinkRedirects) {
    // Another user's file, linked where the next batch file goes.
    QTemporaryDir elsewhere;
    const QString victim = QDir(elsewhere.path()).filePath(QStringLiteral("private.txt"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("theirs\n");
    }
    QFile::remove(workFilePath(QStringLiteral("NORQCMDS.BAT"))); // left by the set-up's run
    ASSERT_TRUE(QFile::link(victim, workFilePath(QStringLiteral("NORQCMDS.BAT"))));
    run(QStringLiteral("CMD echo ran > ran.txt"));
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(fileBytes("ran.txt"), "ran\n");
    QFile untouched(victim);
    ASSERT_TRUE(untouched.open(QIODevice::ReadOnly));
    EXPECT_EQ(untouched.readAll(), "theirs\n");

    run(QStringLiteral("NORQ CONNECT TO SAMPLE USER pat USING s3cret;\nVALUES 1;"));
    ASSERT_TRUE(waitWhileBusy());

    // The script and the output echo the password: only the owner may read them.
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    for (const char *name : {"NORQCMDS.BAT", "NORQCMDS.NORQ", "NORQCMDS.OUT"}) {
        const QFileInfo info(workFilePath(QString::fromLatin1(name)));
        EXPECT_FALSE(info.isSymLink()) << name;
        EXPECT_EQ(info.permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), owner)
            << name;
    }
    EXPECT_TRUE(workBytes("NORQCMDS.NORQ").contains("s3cret"));

    run(QStringLiteral("SHOWPLAN VALUES 1"));
    EXPECT_EQ(QFileInfo(workFilePath(QStringLiteral("NORQSQL.SQL"))).permissions() &
                  ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
              owner);
}

TEST_F(RunnersDatabaseTest, TheShellReadsEveryFileNameAsItIs) {
    // Expanded, $HOME or `id -u` would name another file; cost$1 would read as cost.
    const QString folder = QStringLiteral("lib $HOME `id -u` it's");
    ASSERT_TRUE(QDir(work.path()).mkdir(folder));
    const QString script = folder + QStringLiteral("/cost$1.clp");
    writeFile(script, "CONNECT TO SAMPLE;\r\nSELECT name FROM staff WHERE id = 7;\r\n");
    run(QStringLiteral("CLP FILE \"%1\"").arg(QDir(work.path()).filePath(script)));
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_TRUE(engine.outputText.contains(QStringLiteral("Smith"))) << text(engine.outputText);
    EXPECT_TRUE(workBytes("NORQCMDS.BAT").contains("-vf '")) << workBytes("NORQCMDS.BAT").data();

    // Every word comes back from the shell as written, special characters or none.
    const QStringList words = {QStringLiteral("my scripts/a.clp"),
                               QStringLiteral("it's \"$x\""),
                               QStringLiteral("#"),
                               QStringLiteral("!x ^y"),
                               QString(),
                               QStringLiteral("a\\b\nc"),
                               QStringLiteral("plain-1.sql")};
    QString echo = QStringLiteral("printf '%s|'");
    for (const QString &word : words)
        echo += u' ' + shellQuoted(word);
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), echo});
    ASSERT_TRUE(shell.waitForFinished());
    EXPECT_EQ(QString::fromUtf8(shell.readAllStandardOutput()), words.join(u'|') + u'|');
}
