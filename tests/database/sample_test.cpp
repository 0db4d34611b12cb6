#include "backends.h"
#include "database/cli/cli.h"
#include "database/sample_database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The sample database is built by the project's script (pavona --create-sample of this
// build), describes every column with the type code its declaration names and refuses
// what a column cannot hold.
TEST(SampleDatabase, CreatedOnceWithEveryColumnTyped) {
    // The sanitizer build leaves the program out; the first build runs this test.
    if (!QFile::exists(QStringLiteral(PAVONA_BIN_DIR "/pavona")))
        GTEST_SKIP() << "pavona is not part of this build";
    ScratchCatalog catalog;
    const QString script = QStringLiteral(PAVONA_SOURCE_DIR) + "/scripts/create-sample";
    QProcess create;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PAVONA_BUILD_DIR", QStringLiteral(PAVONA_BIN_DIR "/.."));
    create.setProcessEnvironment(environment);
    create.start(script, {});
    ASSERT_TRUE(create.waitForFinished(60000));
    ASSERT_EQ(create.exitCode(), 0) << create.readAllStandardError().toStdString();
    ASSERT_TRUE(QFile::exists(catalog.folder() + "/SAMPLE.db"));
    create.start(script, {}); // present: left alone
    ASSERT_TRUE(create.waitForFinished(60000));
    EXPECT_TRUE(create.readAllStandardOutput().contains("exists"));
    EXPECT_TRUE(QDir(catalog.folder()).entryList({"*.partial*"}).isEmpty());

    CliHandle env = nullptr, dbc = nullptr, stmt = nullptr;
    cli::SQLAllocEnv(&env);
    cli::SQLAllocConnect(env, &dbc);
    ASSERT_EQ(cli::SQLConnect(dbc, "SAMPLE", cli::kNullTerminated, "", cli::kNullTerminated, "",
                              cli::kNullTerminated),
              cli::kSuccess);
    cli::SQLAllocStmt(dbc, &stmt);
    ASSERT_EQ(cli::SQLExecDirect(stmt, "SELECT * FROM EMPLOYEE", cli::kNullTerminated),
              cli::kSuccess);
    int16_t columns = 0;
    cli::SQLNumResultCols(stmt, &columns);
    QList<int> types;
    for (int16_t c = 1; c <= columns; ++c) {
        char name[129];
        int16_t nameLen = 0, type = 0, decimals = 0, nullable = 0;
        uint32_t size = 0;
        cli::SQLDescribeCol(stmt, c, name, 128, &nameLen, &type, &size, &decimals, &nullable);
        types << type;
    }
    EXPECT_EQ(types, QList<int>({4, 12, 12, 1, 1, 12, 5, 9, 10, 3, 3, -5, 8, 11, -370, -98}));
    int rows = 0;
    while (cli::SQLFetch(stmt) == cli::kSuccess)
        ++rows;
    EXPECT_GE(rows, 30);
    cli::SQLFreeStmt(stmt, cli::kDrop);

    // Values a column cannot hold are refused as on a table the engine creates.
    const std::pair<const char *, const char *> refused[] = {
        {"UPDATE EMPLOYEE SET HIRE_DATE = 'afternoon' WHERE EMP_ID = 1001", "22007"},
        {"UPDATE EMPLOYEE SET INITIAL = 'XYZ' WHERE EMP_ID = 1001", "22001"},
        {"UPDATE DEPARTMENT SET BUDGET = 'lots' WHERE DEPT_ID = 'A01'", "22018"}};
    for (const auto &[sql, state] : refused) {
        cli::SQLAllocStmt(dbc, &stmt);
        EXPECT_EQ(cli::SQLExecDirect(stmt, sql, cli::kNullTerminated), cli::kError) << sql;
        char sqlState[10] = {0}, message[512] = {0};
        int32_t native = 0;
        int16_t length = 0;
        cli::SQLError(env, dbc, stmt, sqlState, &native, message, 512, &length);
        EXPECT_STREQ(sqlState, state) << sql << ": " << message;
        cli::SQLFreeStmt(stmt, cli::kDrop);
    }
    cli::SQLDisconnect(dbc);
    cli::SQLFreeConnect(dbc);
    cli::SQLFreeEnv(env);
}

// A script that fails half-way leaves no SAMPLE behind, so the next try starts afresh.
TEST(SampleDatabase, AFailingScriptLeavesNothing) {
    ScratchCatalog catalog;
    QTemporaryDir scripts;
    const QString bad = scripts.filePath("bad.sql");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("CREATE TABLE A (X INTEGER);\nINSERT INTO NOWHERE VALUES (1);\n");
    file.close();
    QString detail;
    EXPECT_EQ(createSampleDatabase(bad, &detail), SampleOutcome::failed);
    EXPECT_TRUE(detail.contains("NOWHERE")) << detail.toStdString();
    EXPECT_TRUE(QDir(catalog.folder()).entryList({"SAMPLE*"}, QDir::Files).isEmpty());
    EXPECT_EQ(createSampleDatabase(scripts.filePath("missing.sql"), &detail),
              SampleOutcome::failed);
    EXPECT_TRUE(detail.contains("missing.sql")) << detail.toStdString();
}
