#include "core/variables.h"
#include "engine/dispatcher.h"
#include "runners_fixture.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>

namespace {

std::string text(const QString &value) {
    return value.toStdString();
}

} // namespace

TEST_F(RunnersTest, CmdRunsEveryLineOfItsBatchFileAndCapturesNothing) {
    engine.outputText = QStringLiteral("earlier output");
    run(QStringLiteral("CMD echo first > cmd.txt\necho second >> cmd.txt"));
    EXPECT_TRUE(engine.busy);
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(workBytes("NORQCMDS.BAT"), "echo first > cmd.txt\r\necho second >> cmd.txt\r\n");
    EXPECT_EQ(fileBytes("cmd.txt"), "first\nsecond\n");
    EXPECT_EQ(text(engine.outputText), "earlier output");
    EXPECT_EQ(engine.timerId, 0);

    run(QStringLiteral("HOST dir;\ndir /w"));
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(workBytes("NORQCMDS.BAT"), "dir \r\ndir /w\r\n");

    run(QStringLiteral("! echo bang > bang.txt"));
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(fileBytes("bang.txt"), "bang\n");
}

TEST_F(RunnersTest, ChildrenRunWithoutATerminalWithTheProgramFolderFirstOnPath) {
    run(QStringLiteral("CMD echo $PATH > path.txt\nps -o tty= -p $$ > tty.txt"));
    ASSERT_TRUE(waitWhileBusy());
    const QString path = QString::fromUtf8(fileBytes("path.txt")).trimmed();
    EXPECT_TRUE(path.startsWith(QStringLiteral(PAVONA_BIN_DIR) + u':')) << text(path);
    const QByteArray tty = fileBytes("tty.txt").trimmed();
    if (!tty.isEmpty()) { // ps may be missing; then there is nothing to check
        EXPECT_EQ(tty, "?");
    }
}

TEST_F(RunnersTest, NothingHappensWithoutArguments) {
    for (const char *statement : {"CMD", "HOST", "NORQ", "NORQSET", "CLP", "JSON"}) {
        run(QString::fromLatin1(statement));
        EXPECT_FALSE(engine.busy) << statement;
    }
    EXPECT_FALSE(QFile::exists(workFilePath(QStringLiteral("NORQCMDS.BAT"))));
    EXPECT_FALSE(QFile::exists(workFilePath(QStringLiteral("JSON.JS"))));
}

TEST_F(RunnersTest, NorqsetWritesTheRegistryToolLine) {
    qputenv("XDG_CONFIG_HOME", (work.path() + QStringLiteral("/config")).toUtf8());
    run(QStringLiteral("NORQSET NORQCOMM=TCPIP"));
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(workBytes("NORQCMDS.BAT"), "NORQSET NORQCOMM=TCPIP\r\n");
    EXPECT_EQ(fileBytes("config/pavona/norqset.conf"), "NORQCOMM=TCPIP\n");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(RunnersTest, ClpWritesItsBatchFileFromTheOptionWords) {
    run(QStringLiteral("CLP FOO FILE setup.sql DELIM # SEQ a NOWAIT"));
    EXPECT_FALSE(engine.busy); // NOWAIT: the script goes on at once
    EXPECT_EQ(engine.timerId, 0);
    EXPECT_EQ(workBytes("NORQCMDSA.BAT"),
              "norq -td'#' -vf setup.sql -o-  -z " + inWork("NORQCMDSA.OUT") + "\r\n");
    waitForChild();

    // The default delimiter is quoted so the shell passes it on.
    run(QStringLiteral("CLP FILE x.sql OPTIONS -s SEQ ' b/../c ' NOWAIT"));
    EXPECT_EQ(workBytes("NORQCMDSBC.BAT"),
              "norq -td';' -vf x.sql -o- -s -z " + inWork("NORQCMDSBC.OUT") + "\r\n");
    waitForChild();

    // A value word at the end counts as empty: no script file, nothing started.
    run(QStringLiteral("CLP NOWAIT FILE"));
    EXPECT_FALSE(engine.busy);
    EXPECT_FALSE(QFile::exists(workFilePath(QStringLiteral("NORQCMDS.BAT"))));
}

TEST_F(RunnersTest, NorqsetAndClpOptionsReachTheirToolsWithoutAShellReadingThem) {
    qputenv("XDG_CONFIG_HOME", (work.path() + QStringLiteral("/config")).toUtf8());
    run(QStringLiteral("NORQSET $(touch dollar.txt) `touch tick.txt` A=\"1 2\" | touch piped.txt"));
    ASSERT_TRUE(waitWhileBusy());
    writeFile("x.sql", "CONNECT TO SAMPLE;\r\n");
    run(QStringLiteral("CLP FILE x.sql OPTIONS '$(touch options.txt) | touch piped2.txt'"));
    ASSERT_TRUE(waitWhileBusy());
    for (const char *planted : {"dollar.txt", "tick.txt", "piped.txt", "options.txt", "piped2.txt"})
        EXPECT_FALSE(QFile::exists(QString::fromLatin1(planted))) << planted;
    EXPECT_EQ(workBytes("NORQCMDS.BAT").left(28), "norq -td';' -vf x.sql -o- '$");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(RunnersTest, AChildThatWritesNothingOrNeverStartsEndsTheWaitWithEmptyOutput) {
    engine.outputText = QStringLiteral("old");
    engine.captureOutput = true;
    engine.busy = true;
    engine.processId = static_cast<int32_t>(startShellCommand(QStringLiteral("sleep 0.3")));
    ASSERT_GT(engine.processId, 0);
    pollCommand();
    EXPECT_TRUE(engine.busy); // still running: the poll re-armed itself
    EXPECT_NE(engine.timerId, 0);
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(engine.resultKind, kResultText);
    EXPECT_TRUE(engine.outputText.isEmpty());

    engine.busy = true;
    engine.processId = 0; // nothing was started
    pollCommand();
    EXPECT_FALSE(engine.busy);
    EXPECT_TRUE(engine.outputText.isEmpty());
}

TEST_F(RunnersTest, AStopRequestEndsTheWaitAndTheChildsProcessGroup) {
    run(QStringLiteral("CMD sleep 30 & sleep 30"));
    ASSERT_TRUE(engine.busy);
    const pid_t group = engine.processId;
    engine.stopRun = true;
    EXPECT_TRUE(waitWhileBusy());
    engine.stopRun = false;
    // Both sleeps went with the shell that started them.
    EXPECT_FALSE(groupHasLiveProcess(group));
    EXPECT_EQ(engine.msgCode, -1);
}

TEST_F(RunnersTest, AChildsExitStatusDecidesItsStatement) {
    runScript(QStringLiteral("HOST true"), nullptr, nullptr);
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_EQ(text(engine.msgText), "Command completed.");

    runScript(QStringLiteral("HOST exit 3"), nullptr, nullptr);
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(text(engine.msgText), "Cmd: Command failed. (exit status 3)");

    // What it wrote on standard error comes under the message; a missing program is named.
    runScript(QStringLiteral(
                  "HOST echo first problem >/dev/stderr\necho second problem >/dev/stderr\nexit 1"),
              nullptr, nullptr);
    EXPECT_EQ(text(engine.msgText),
              "Cmd: Command failed. (exit status 1)\rfirst problem\rsecond problem");
    runScript(QStringLiteral("HOST nosuchcommand_4711"), nullptr, nullptr);
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_TRUE(engine.msgText.contains("nosuchcommand_4711")) << text(engine.msgText);

    // A processor whose statement fails keeps its output, the failure under it.
    run(QStringLiteral("NORQ SELECT * FROM nowhere;"));
    ASSERT_TRUE(waitWhileBusy());
    EXPECT_EQ(engine.msgCode, -1);
    ASSERT_EQ(engine.resultKind, kResultText);
    EXPECT_TRUE(engine.outputText.contains("SELECT * FROM nowhere")) << text(engine.outputText);
    EXPECT_TRUE(engine.outputText.contains("Cmd: Command failed. (exit status"))
        << text(engine.outputText);
}

TEST_F(RunnersTest, JsonWithOnlyADatabaseLineDefinesItAndStartsNothing) {
    run(QStringLiteral("JSON database( mydb )"));
    EXPECT_FALSE(engine.busy);
    EXPECT_EQ(text(engine.msgText), "Command completed.");
    ASSERT_NE(var_find(QStringLiteral("jsondb")), 0);
    EXPECT_EQ(text(engine.vars[var_find(QStringLiteral("jsondb"))].value), "mydb");
    EXPECT_FALSE(QFile::exists(workFilePath(QStringLiteral("JSON.BAT"))));
    EXPECT_EQ(workBytes("JSON.JS"), "");
}

TEST_F(RunnersTest, JsonJoinsCommandsUpToTheirSemicolonAndAMissingToolFails) {
    var_add(QStringLiteral("norqpath"), QStringLiteral("/opt/client"));
    run(QStringLiteral("JSON database(docs)\ndb.coll.insert(\n  {a:1});\n\ndb.coll.find()"));
    EXPECT_EQ(workBytes("JSON.JS"), "db.coll.insert( {a:1})\r\ndb.coll.find()\r\n");
    const QByteArray batch = workBytes("JSON.BAT");
    EXPECT_TRUE(batch.startsWith("java -cp \"/opt/client/json/lib/quaddoc.jar:")) << batch.data();
    EXPECT_TRUE(batch.contains("--url \"jdbc:norq:docs\" >" + inWork("JSON.OUT") + "\r\n"))
        << batch.data();
    ASSERT_TRUE(waitWhileBusy());
    // No tool's jars here (nor perhaps java): its status fails the statement.
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_TRUE(engine.msgText.startsWith("Cmd: Command failed. (exit status "))
        << text(engine.msgText);
    EXPECT_EQ(engine.resultKind, kResultMessage);
}

TEST_F(RunnersTest, JsonOutputLosesBannerPromptsAndFarewell) {
    putWorkFile("JSON.OUT", "Document tool 1.0\r\nNames are case sensitive.\r\n"
                            "nosql>{ \"title\": \"BOOK\" }\r\nOK\r\nnosql>Bye.\r\n");
    engine.busy = true;
    engine.captureOutput = true;
    engine.processId = 0;
    pollJson();
    EXPECT_FALSE(engine.busy);
    EXPECT_EQ(engine.resultKind, kResultText);
    EXPECT_EQ(text(engine.outputText), "\r{ \"title\": \"BOOK\" }\r\r\r");

    putWorkFile("JSON.OUT", "Banner, case sensitive.\r\nnosql>OK\r\nBye.\r\n");
    engine.busy = true;
    pollJson();
    EXPECT_EQ(engine.resultKind, kResultMessage);
    EXPECT_EQ(text(engine.msgText), "Command completed.");
}

TEST_F(RunnersTest, JsonNamesReachTheToolAsTheyAreAndTheClassPathIsExpanded) {
    var_add(QStringLiteral("norqpath"), QStringLiteral("/opt/my $HOME `id -u` it's"));
    run(QStringLiteral("JSON database(d$b)\ndb.c.find()"));
    ASSERT_TRUE(waitWhileBusy());
    // The tool's line with the tool replaced by a program that prints its arguments.
    QString line = QString::fromUtf8(workBytes("JSON.BAT")).trimmed();
    ASSERT_TRUE(line.startsWith(QStringLiteral("java "))) << text(line);
    line.replace(0, 4, QStringLiteral("printf '%s\\n'"));
    line.chop(QString::fromUtf8(" >" + inWork("JSON.OUT")).size());
    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CLASSPATH"), QStringLiteral("extra.jar"));
    shell.setProcessEnvironment(environment);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line});
    ASSERT_TRUE(shell.waitForFinished(10000));
    const QString json = QStringLiteral("/opt/my $HOME `id -u` it's/json/lib/");
    EXPECT_EQ(text(QString::fromUtf8(shell.readAllStandardOutput())),
              text(QStringLiteral("-cp\n") + json + QStringLiteral("quaddoc.jar:") + json +
                   QStringLiteral("js.jar:") + json +
                   QStringLiteral("mongo-2.8.0.jar:extra.jar\ncom.velmora.quaddoc.cmd."
                                  "QuaddocCmdLine\n--file\n") +
                   workFilePath(QStringLiteral("JSON.JS")) +
                   QStringLiteral("\n--url\njdbc:norq:d$b\n")));
}
