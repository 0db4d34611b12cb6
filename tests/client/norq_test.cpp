#include "tool_runner.h"

#include <QRegularExpression>
#include <QStandardPaths>

namespace {

std::string str(const QString &text) {
    return text.toStdString();
}

const QByteArray kSampleScript =
    "CREATE DATABASE sample;\n"
    "CONNECT TO sample;\n"
    "CREATE TABLE staff (id INTEGER, name VARCHAR(12), pay DECIMAL(7,2));\n"
    "INSERT INTO staff VALUES (7, 'Smith', 10.5), (12, NULL, 3);\n";

class NorqTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        writeFile(QStringLiteral("setup.sql"), kSampleScript);
        const ToolResult setup =
            runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("setup.sql")});
        ASSERT_EQ(setup.exitCode, 0) << str(setup.out + setup.err);
        ASSERT_TRUE(QFile::exists(path(QStringLiteral("data/pavona/databases/SAMPLE.db"))));
    }
};

} // namespace

TEST_F(NorqTest, PrintsQueriesAsColumnTablesAndGoesOnAfterAnError) {
    writeFile(QStringLiteral("run.sql"), "CONNECT TO SAMPLE;\r\n"
                                         "SELECT id, name, pay FROM staff\r\n  ORDER BY id;\r\n"
                                         "SELECT nosuch FROM staff;\r\n"
                                         "SELECT id FROM staff WHERE id > 100;\r\n");
    const ToolResult result =
        runTool(QStringLiteral("norq"), {QStringLiteral("-tvf"), QStringLiteral("run.sql")});
    EXPECT_EQ(result.exitCode, 4); // one statement failed
    EXPECT_TRUE(result.out.contains(QStringLiteral("Local database alias   = SAMPLE\n")));
    EXPECT_TRUE(
        result.out.contains(QStringLiteral("SELECT id, name, pay FROM staff\n  ORDER BY id\n\n"
                                           "id name  pay\n"
                                           "-- ----- -----\n"
                                           " 7 Smith 10.50\n"
                                           "12 -      3.00\n\n"
                                           "  2 record(s) selected.\n")))
        << str(result.out);
    EXPECT_TRUE(result.out.contains(QStringLiteral("no such column: nosuch")));
    EXPECT_TRUE(result.out.contains(QStringLiteral("  0 record(s) selected.")));
}

TEST_F(NorqTest, TerminatorsEchoAndOutputFileFollowTheCommandLine) {
    writeFile(QStringLiteral("hash.sql"), "-- a comment line\n"
                                          "CONNECT TO sample#\n"
                                          "VALUES 'a;b'#  --#SET TERMINATOR is no directive here\n"
                                          "--#SET TERMINATOR @\n"
                                          "VALUES 2@ VALUES 3\n");
    const ToolResult result =
        runTool(QStringLiteral("norq"),
                {QStringLiteral("-td#"), QStringLiteral("-vf"), QStringLiteral("hash.sql"),
                 QStringLiteral("-o-"), QStringLiteral("-z"), QStringLiteral("out.txt")});
    EXPECT_EQ(result.exitCode, 0) << str(readFile(QStringLiteral("out.txt")));
    EXPECT_TRUE(result.out.isEmpty()) << str(result.out);
    const QString out = readFile(QStringLiteral("out.txt"));
    EXPECT_TRUE(out.contains(QStringLiteral("a;b\n\n  1 record(s) selected."))) << str(out);
    EXPECT_TRUE(out.contains(QStringLiteral("VALUES 2\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("VALUES 3\n"))); // the unterminated last statement
    EXPECT_FALSE(out.contains(QStringLiteral("comment")));
}

TEST_F(NorqTest, ReadsStandardInputLineByLineWithoutATerminatorOption) {
    const ToolResult result = runTool(QStringLiteral("norq"), {},
                                      "connect to sample\nselect name from staff where id = 7\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.contains(QStringLiteral("name\n-----\nSmith\n"))) << str(result.out);
}

TEST_F(NorqTest, ManagesDatabasesAndConnections) {
    writeFile(QStringLiteral("admin.sql"), "LIST DATABASE DIRECTORY;\n"
                                           "CREATE DATABASE sample;\n"
                                           "CREATE DATABASE ../evil;\n"
                                           "CREATE DATABASE second;\n"
                                           "CONNECT TO second;\n"
                                           "DROP DATABASE second;\n"
                                           "CONNECT RESET;\n"
                                           "SELECT 1 FROM staff;\n"
                                           "DROP DATABASE second;\n"
                                           "CONNECT TO nowhere;\n"
                                           "TERMINATE;\n");
    const ToolResult result =
        runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("admin.sql")});
    const QString out = result.out;
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_TRUE(out.contains(QStringLiteral("Database alias                       = SAMPLE")));
    EXPECT_TRUE(out.contains(QStringLiteral("The database \"SAMPLE\" already exists.")));
    EXPECT_TRUE(out.contains(QStringLiteral("\"../evil\" is not a valid database name.")));
    EXPECT_TRUE(out.contains(QStringLiteral("is in use; use CONNECT RESET first.")));
    EXPECT_TRUE(out.contains(QStringLiteral("No database connection exists.")));
    EXPECT_TRUE(out.contains(QStringLiteral("The DROP DATABASE command completed successfully.")));
    EXPECT_TRUE(out.contains(QStringLiteral("The TERMINATE command completed successfully.")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("data/pavona/databases/SECOND.db"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("data/pavona/evil.db"))));
}

// Started alone on a terminal, norq says where it reads from instead of waiting silently;
// from a pipe it says nothing.
TEST_F(NorqTest, OnATerminalItSaysItReadsStandardInput) {
    const QString hint = QStringLiteral("reading statements from standard input");
    EXPECT_FALSE(runTool(QStringLiteral("norq"), {}, "VALUES 1\n").err.contains(hint));
    const QString terminal = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (terminal.isEmpty()) GTEST_SKIP() << "script(1) is not installed";
    // script(1) gives norq a terminal; Ctrl-D at the start of a line ends its input.
    const ToolResult onTerminal =
        runTool(terminal,
                {QStringLiteral("-qec"), QStringLiteral(PAVONA_BIN_DIR "/norq"),
                 QStringLiteral("/dev/null")},
                "VALUES 1\n\x04");
    EXPECT_TRUE(onTerminal.out.contains(hint)) << onTerminal.out.toStdString();
}

TEST_F(NorqTest, AnUnreadableInputFileIsReported) {
    const ToolResult result =
        runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("missing.sql")});
    EXPECT_EQ(result.exitCode, 8);
    // Once, on standard error, with the reason; nothing on standard output.
    EXPECT_EQ(result.err.count(QStringLiteral("missing.sql")), 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(QStringLiteral("No such file"))) << result.err.toStdString();
    EXPECT_EQ(result.out, QString());
    // With an output file the runners read, the report goes there, once.
    const ToolResult toFile =
        runTool(QStringLiteral("norq"),
                {QStringLiteral("-o-"), QStringLiteral("-z"), QStringLiteral("out.txt"),
                 QStringLiteral("-f"), QStringLiteral("missing.sql")});
    EXPECT_EQ(toFile.exitCode, 8);
    EXPECT_EQ(readFile(QStringLiteral("out.txt")).count(QStringLiteral("missing.sql")), 1);
    EXPECT_EQ(toFile.err, QString());
}

TEST_F(NorqTest, ATransactionTheUserOpensIsNeverCommittedForTheUser) {
    writeFile(QStringLiteral("open.sql"), "CONNECT TO sample;\n"
                                          "BEGIN;\n"
                                          "INSERT INTO staff VALUES (98, 'Undone', 1);\n"
                                          "ROLLBACK;\n"
                                          "BEGIN;\n"
                                          "INSERT INTO staff VALUES (99, 'Left open', 1);\n");
    const ToolResult open =
        runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("open.sql")});
    EXPECT_EQ(open.exitCode, 0) << str(open.out + open.err);
    writeFile(QStringLiteral("count.sql"),
              "CONNECT TO sample;\nSELECT COUNT(*) AS kept FROM staff WHERE id > 90;\n");
    const ToolResult count =
        runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("count.sql")});
    EXPECT_TRUE(count.out.contains(QRegularExpression(QStringLiteral("kept\n-+\n +0\n"))))
        << str(count.out);
}
