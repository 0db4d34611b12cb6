#include "tool_runner.h"

#include <QRegularExpression>

namespace {

std::string str(const QString &text) {
    return text.toStdString();
}

// The lines between "Plan:" and the "===" line of a report section.
QStringList planLines(const QString &report) {
    const qsizetype plan = report.indexOf(QStringLiteral("Plan:\n"));
    const qsizetype end = report.indexOf(QStringLiteral("\n==="), plan);
    if (plan < 0 || end < 0) return {};
    return report.mid(plan + 6, end - plan - 6).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST_F(ToolTest, NorqexplnReportsTheEmbeddedPlanWithoutInventingACost) {
    writeFile(QStringLiteral("setup.sql"),
              "CREATE DATABASE plans;\nCONNECT TO plans;\n"
              "CREATE TABLE dept (id CHAR(3) PRIMARY KEY, name VARCHAR(20));\n"
              "CREATE TABLE emp (id INTEGER, dept CHAR(3), pay DECIMAL(9,2));\n");
    ASSERT_EQ(runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("setup.sql")})
                  .exitCode,
              0);
    writeFile(QStringLiteral("NORQSQL.SQL"),
              "SELECT name FROM dept WHERE id IN (SELECT dept FROM emp WHERE pay > 10) \r\n");
    const ToolResult result = runTool(QStringLiteral("norqexpln"),
                                      QProcess::splitCommand(QStringLiteral(
                                          "-t -d PLANS  -z ; -o NORQCMDS.OUT -g -f NORQSQL.SQL")));
    EXPECT_EQ(result.exitCode, 0) << str(result.out);
    const QString report = readFile(QStringLiteral("NORQCMDS.OUT"));
    EXPECT_EQ(result.out, report); // -t shows it as well
    EXPECT_TRUE(report.contains(QStringLiteral(
        "Estimated Cost = not estimated (the embedded engine gives no cost estimate)\n")))
        << str(report);
    const QStringList plan = planLines(report);
    ASSERT_GE(plan.size(), 2) << str(report);
    EXPECT_TRUE(plan.first().startsWith(QStringLiteral("    SEARCH dept"))) << str(plan.first());
    // The subquery's scan sits one level deeper than the list it feeds.
    const qsizetype list = plan.indexOf(QRegularExpression(QStringLiteral("^ +LIST SUBQUERY.*")));
    ASSERT_GE(list, 0) << str(report);
    ASSERT_LT(list + 1, plan.size());
    EXPECT_TRUE(plan[list + 1].startsWith(QStringLiteral("      SCAN emp"))) << str(report);

    writeFile(QStringLiteral("bad.sql"), "SELECT x FROM nowhere;\n");
    const ToolResult bad =
        runTool(QStringLiteral("norqexpln"), {QStringLiteral("-d"), QStringLiteral("plans"),
                                              QStringLiteral("-f"), QStringLiteral("bad.sql")});
    EXPECT_EQ(bad.exitCode, 4);
    EXPECT_FALSE(bad.out.contains(QStringLiteral("Cost =")));
    EXPECT_TRUE(bad.out.contains(QStringLiteral("no such table: nowhere"))) << str(bad.out);
    EXPECT_EQ(runTool(QStringLiteral("norqexpln"), {QStringLiteral("-d"), QStringLiteral("plans")})
                  .exitCode,
              8);
}

TEST_F(ToolTest, NorqexplnReportsTheServerCostOnPostgresql) {
    const QString dsn = qEnvironmentVariable("PAVONA_TEST_PG_DSN");
    if (dsn.isEmpty()) GTEST_SKIP() << "PAVONA_TEST_PG_DSN names no PostgreSQL data source";
    writeFile(QStringLiteral("setup.sql"),
              QStringLiteral("CONNECT TO %1;\nDROP TABLE IF EXISTS plan_t;\n"
                             "CREATE TABLE plan_t (id INTEGER PRIMARY KEY, v VARCHAR(10));\n")
                  .arg(dsn)
                  .toUtf8());
    ASSERT_EQ(runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("setup.sql")})
                  .exitCode,
              0);
    writeFile(QStringLiteral("q.sql"), "SELECT v FROM plan_t WHERE id > 5\n");
    const ToolResult result =
        runTool(QStringLiteral("norqexpln"),
                {QStringLiteral("-d"), dsn, QStringLiteral("-f"), QStringLiteral("q.sql")});
    EXPECT_EQ(result.exitCode, 0) << str(result.out);
    const QRegularExpression cost(QStringLiteral("Estimated Cost = ([0-9]+\\.[0-9]+)\n"));
    const QRegularExpressionMatch match = cost.match(result.out);
    ASSERT_TRUE(match.hasMatch()) << str(result.out);
    EXPECT_GT(match.captured(1).toDouble(), 0.0);
    EXPECT_TRUE(planLines(result.out).first().contains(QStringLiteral("plan_t")));
}

TEST_F(ToolTest, NorqexplnShowsMariadbPlanStepsWithoutACost) {
    const QString dsn = qEnvironmentVariable("PAVONA_TEST_MARIADB_DSN");
    if (dsn.isEmpty()) GTEST_SKIP() << "PAVONA_TEST_MARIADB_DSN names no MariaDB data source";
    writeFile(QStringLiteral("setup.sql"),
              QStringLiteral("CONNECT TO %1;\nDROP TABLE IF EXISTS plan_m;\n"
                             "CREATE TABLE plan_m (id INTEGER PRIMARY KEY, v VARCHAR(10));\n")
                  .arg(dsn)
                  .toUtf8());
    ASSERT_EQ(runTool(QStringLiteral("norq"), {QStringLiteral("-tf"), QStringLiteral("setup.sql")})
                  .exitCode,
              0);
    writeFile(QStringLiteral("q.sql"), "SELECT v FROM plan_m WHERE id > 5\n");
    const ToolResult result =
        runTool(QStringLiteral("norqexpln"),
                {QStringLiteral("-d"), dsn, QStringLiteral("-f"), QStringLiteral("q.sql")});
    EXPECT_EQ(result.exitCode, 0) << str(result.out);
    EXPECT_TRUE(result.out.contains(QStringLiteral("Estimated Cost = not estimated")))
        << str(result.out);
    // The step's columns on one line: its table among them.
    EXPECT_TRUE(planLines(result.out).first().contains(QStringLiteral("plan_m")))
        << str(result.out);
}
