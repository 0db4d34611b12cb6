#include "tool_runner.h"

namespace {

std::string str(const QString &text) {
    return text.toStdString();
}

} // namespace

TEST_F(ToolTest, NorqcmdRunsACommandFileWrittenWithCrLfAndPassesItsStatusOn) {
    writeFile(QStringLiteral("job.BAT"), "echo one\r\necho \"two $1\" > two.txt\r\nexit 3\r\n");
    const ToolResult result =
        runTool(QStringLiteral("norqcmd"),
                {QStringLiteral("/i"), QStringLiteral("/c"), QStringLiteral("/w"),
                 QStringLiteral("job.BAT"), QStringLiteral("arg")});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(str(result.out), "one\n");
    EXPECT_EQ(str(readFile(QStringLiteral("two.txt"))), "two arg\n");

    const ToolResult missing =
        runTool(QStringLiteral("norqcmd"), {QStringLiteral("/w"), QStringLiteral("none.BAT")});
    EXPECT_EQ(missing.exitCode, 127);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("none.BAT")));
    EXPECT_EQ(runTool(QStringLiteral("norqcmd"), {QStringLiteral("/w")}).exitCode, 2);
}

TEST_F(ToolTest, NorqsetSetsListsShowsAndClearsVariables) {
    EXPECT_EQ(runTool(QStringLiteral("norqset"),
                      {QStringLiteral("norqcomm=tcpip"), QStringLiteral("B_VAR=x=y")})
                  .exitCode,
              0);
    EXPECT_EQ(str(runTool(QStringLiteral("norqset"), {}).out), "B_VAR=x=y\nNORQCOMM=tcpip\n");
    EXPECT_EQ(str(runTool(QStringLiteral("norqset"), {QStringLiteral("NorqComm")}).out),
              "NORQCOMM=tcpip\n");
    EXPECT_EQ(runTool(QStringLiteral("norqset"), {QStringLiteral("B_VAR=")}).exitCode, 0);
    EXPECT_EQ(str(runTool(QStringLiteral("norqset"), {QStringLiteral("-all")}).out),
              "NORQCOMM=tcpip\n");
    const ToolResult bad = runTool(QStringLiteral("norqset"), {QStringLiteral("1bad=2")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("not a valid variable name")));
    EXPECT_EQ(str(readFile(QStringLiteral("config/pavona/norqset.conf"))), "NORQCOMM=tcpip\n");
}

// --help is usage on standard output with status 0, also for the tools whose other
// arguments are statements or command files; --version names the tool.
TEST_F(ToolTest, EveryToolAnswersHelpAndVersion) {
    for (const QString tool : {"norq", "norqcmd", "norqset", "norqexpln"}) {
        const ToolResult help = runTool(tool, {QStringLiteral("--help")});
        EXPECT_EQ(help.exitCode, 0) << tool.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: ") + tool))
            << help.out.toStdString();
        EXPECT_EQ(help.err, QString()) << tool.toStdString();
        const ToolResult version = runTool(tool, {QStringLiteral("--version")});
        EXPECT_EQ(version.exitCode, 0) << tool.toStdString();
        EXPECT_TRUE(version.out.startsWith(tool + QStringLiteral(" (Pavona) ")))
            << version.out.toStdString();
    }
    // The configuration file is not touched by asking.
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("config/pavona/norqset.conf"))));
}
