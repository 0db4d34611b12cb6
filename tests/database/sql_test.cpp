#include "backends.h"
#include "core/engine_state.h"
#include "core/install_layout.h"
#include "core/messages.h"
#include "core/variables.h"
#include "database/cli/cli.h"
#include "database/execution.h"
#include "database/lob.h"
#include "database/number_fit.h"
#include "database/session.h"
#include "engine/output.h"
#include "engine/startup.h"
#include "fakes.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString variable(const QString &name) {
    const int slot = var_find(name);
    return slot > 0 ? engine.vars[slot].value : QStringLiteral("<undefined>");
}

// Engine state as start-up leaves it, with the test's window stand-in.
class EngineFixture {
public:
    EngineFixture() {
        set_messages();
        var_free_all();
        registerSessionHooks();
        previousUi_ = engine.ui;
        engine.ui = &windows;
        cli::SQLAllocEnv(&engine.envHandle);
        engine.connected = false;
        engine.connHandle = engine.stmtHandle = nullptr;
        engine.maxDisplay = 10;
        engine.maxRows = 1000;
        engine.columnSize = 20;
        engine.sqlLineWidth = 87;
        engine.gridMode = false;
        engine.databaseName = QStringLiteral("SAMPLE");
        engine.userId.clear();
        engine.userPassword.clear();
        resetStatement();
    }
    ~EngineFixture() {
        Norq_disconnect(engine);
        if (engine.connHandle) cli::SQLFreeConnect(engine.connHandle);
        engine.connHandle = nullptr;
        cli::SQLFreeEnv(engine.envHandle);
        engine.envHandle = nullptr;
        engine.ui = previousUi_;
    }

    // What the dispatcher clears before each statement.
    static void resetStatement() {
        engine.errorFlag = false;
        engine.stopRun = false;
        engine.msgText.clear();
        engine.msgCode = 0;
        engine.resultKind = kResultMessage;
        engine.columnWidthLimit = 0;
    }

    FakeWindows windows;

private:
    WindowInterface *previousUi_ = nullptr;
};

class SqlTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped()) return;
        fixture_ = std::make_unique<EngineFixture>();
        QString db = database(), user, password;
        ASSERT_EQ(Norq_connect(engine, db, user, password), 0) << engine.msgText.toStdString();
    }
    void TearDown() override { fixture_.reset(); }

    // Runs a statement as the dispatcher does; text mode unless a grid is given.
    void run(QString sql, ResultGrid *grid = nullptr) {
        EngineFixture::resetStatement();
        engine.gridMode = grid != nullptr;
        Norq_sql(sql, true, grid, true);
    }
    void exec(const QString &sql) {
        run(sql);
        ASSERT_FALSE(engine.errorFlag) << sql.toStdString() << ": " << engine.msgText.toStdString();
    }
    void createTable(const QString &name, const QString &columns) {
        QString drop = "DROP TABLE " + name;
        run(drop);
        exec("CREATE TABLE " + name + " (" + columns + ")");
    }
    QStringList resultLines() const { return engine.resultText.split('\r'); }

    std::unique_ptr<EngineFixture> fixture_;
};

const QRegularExpression kElapsed(R"(\(\d+\.\d{3}s\)$)");

// The first value of a query on a connection of its own: what has been committed.
QString committedValue(const QString &database, const QString &query) {
    CliHandle dbc = nullptr, stmt = nullptr;
    cli::SQLAllocConnect(engine.envHandle, &dbc);
    const QByteArray db = database.toUtf8(), sql = query.toUtf8();
    QString value = "<failed>";
    char buffer[64] = {0};
    int32_t length = 0;
    if (cli::SQLConnect(dbc, db.constData(), cli::kNullTerminated, "", cli::kNullTerminated, "",
                        cli::kNullTerminated) >= 0 &&
        cli::SQLAllocStmt(dbc, &stmt) == cli::kSuccess &&
        cli::SQLExecDirect(stmt, sql.constData(), cli::kNullTerminated) >= 0 &&
        cli::SQLBindCol(stmt, 1, cli::kCChar, buffer, sizeof buffer, &length) >= 0 &&
        cli::SQLFetch(stmt) >= 0)
        value = QString::fromUtf8(buffer).trimmed();
    if (stmt) cli::SQLFreeStmt(stmt, cli::kDrop);
    cli::SQLDisconnect(dbc);
    cli::SQLFreeConnect(dbc);
    return value;
}

// The widths of a text result's columns, from its line of dashes.
QStringList columnWidths(const QString &resultText) {
    QStringList widths;
    for (const QString &dashes : resultText.split('\r').value(1).split(' '))
        widths << QString::number(dashes.size());
    return widths;
}

} // namespace

TEST_P(SqlTest, RowLimitsInTextAndGridMode) {
    const QString t = table("TWELVE");
    createTable(t, "ID INTEGER, NAME VARCHAR(10)");
    for (int i = 1; i <= 12; ++i)
        exec(QString("INSERT INTO %1 VALUES (%2, 'n%2')").arg(t).arg(i));

    run("SELECT ID, NAME FROM " + t + " ORDER BY ID;");
    EXPECT_FALSE(engine.errorFlag);
    EXPECT_TRUE(engine.msgText.startsWith("Only 10 record(s) shown. ("))
        << engine.msgText.toStdString();
    EXPECT_TRUE(kElapsed.match(engine.msgText).hasMatch());
    EXPECT_EQ(engine.resultKind, kResultRows);
    const QStringList lines = resultLines();
    // header, separator, 10 rows, blank, message
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[0].toUpper(), "ID          NAME      ");
    EXPECT_EQ(lines[1], "----------- ----------");
    EXPECT_EQ(lines[2], "          1 n1        ");
    EXPECT_EQ(lines[13], engine.msgText);
    EXPECT_EQ(variable("RESULT"), "1");
    EXPECT_EQ(variable("rows"), "10");

    FakeGrid grid;
    run("SELECT ID, NAME FROM " + t + " ORDER BY ID", &grid);
    EXPECT_TRUE(engine.msgText.startsWith("12 record(s) selected. ("))
        << engine.msgText.toStdString();
    EXPECT_EQ(grid.rows(), 13);
    EXPECT_EQ(grid.cols(), 3);
    EXPECT_EQ(grid.textMatrix(0, 0), "#");
    EXPECT_EQ(grid.textMatrix(0, 1).toUpper(), "ID");
    EXPECT_EQ(grid.textMatrix(12, 0), "12");
    EXPECT_EQ(grid.textMatrix(12, 2), "n12");
    EXPECT_EQ(grid.alignments[1], 7);
    EXPECT_EQ(grid.alignments[2], 1);
    EXPECT_EQ(grid.widths[0], 500);
    EXPECT_EQ(grid.fixedRows, 1);
    EXPECT_EQ(grid.fixedCols, 1);
    EXPECT_EQ(grid.topRow, 1);
    EXPECT_TRUE(grid.visible);
    EXPECT_FALSE(grid.running);
    EXPECT_EQ(variable("rows"), "12");

    engine.maxRows = 5;
    run("SELECT ID FROM " + t, &grid);
    EXPECT_EQ(grid.rows(), 6);
    EXPECT_TRUE(engine.resultText.endsWith("Maximum rows (1000) exceeded."));
    exec("DROP TABLE " + t);
}

TEST_P(SqlTest, ChangesReportCompletionOrNoRecords) {
    const QString t = table("CHANGES");
    createTable(t, "ID INTEGER");
    run("INSERT INTO " + t + " VALUES (1)");
    EXPECT_FALSE(engine.errorFlag);
    EXPECT_TRUE(engine.msgText.startsWith("Command completed. (")) << engine.msgText.toStdString();
    EXPECT_TRUE(kElapsed.match(engine.msgText).hasMatch());
    run("UPDATE " + t + " SET ID = 2 WHERE ID = 99");
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_EQ(engine.msgText, "No records found.");
    run("SELECT * FROM " + t + " WHERE ID = 99");
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_EQ(engine.msgText, "No records found.");
    EXPECT_TRUE(engine.resultText.endsWith("\r\rNo records found."));
    FakeGrid grid;
    run("SELECT * FROM " + t + " WHERE ID = 99", &grid);
    EXPECT_EQ(grid.rows(), 1);
    EXPECT_TRUE(grid.visible);

    // One trailing ";" is dropped; a lone ";" does nothing at all.
    run("DELETE FROM " + t + ";");
    EXPECT_TRUE(engine.msgText.startsWith("Command completed."));
    run(";");
    EXPECT_TRUE(engine.msgText.isEmpty());
    EXPECT_FALSE(engine.errorFlag);
    exec("DROP TABLE " + t);
}

TEST_P(SqlTest, ErrorsKeepThePlainMessageAndTheSessionUsable) {
    run("SELEC 1");
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_FALSE(engine.msgText.isEmpty());
    EXPECT_NE(engine.msgCode, 0);
    if (embedded()) {
        EXPECT_EQ(engine.msgText, "near \"SELEC\": syntax error  SQLSTATE=42601");
        EXPECT_EQ(engine.msgCode, -104);
    }
    FakeGrid grid;
    run("SELECT * FROM NO_SUCH_TABLE_ANYWHERE", &grid);
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_EQ(grid.rows(), 0);
    EXPECT_EQ(engine.stmtHandle, nullptr);
    run("SELECT 42 AS ANSWER FROM " + QString(embedded() ? "(SELECT 1)" : "(SELECT 1) AS X"));
    EXPECT_FALSE(engine.errorFlag) << engine.msgText.toStdString();
    EXPECT_EQ(variable("RESULT"), "42");
}

TEST_P(SqlTest, ColumnWidthsFollowTypesLimitsAndFormats) {
    const QString t = table("WIDTHS");
    // A server's TIMESTAMP may keep no fractions unless asked to.
    createTable(t, "NAME VARCHAR(60), STAMP TIMESTAMP" + QString(mariadb() ? "(6)" : "") +
                       ", AMOUNT DECIMAL(9,2), SMALL SMALLINT, "
                       "BIG BIGINT, DAY DATE, NOTE VARCHAR(10)");
    exec("INSERT INTO " + t +
         " VALUES ('A long name that is wider than twenty', '2024-01-02 03:04:05.123456', "
         "12.5, 3, 4, '2024-01-02', '')");
    exec("INSERT INTO " + t + " (NAME) VALUES (NULL)");
    engine.sqlLineWidth = 500;
    run("SELECT NAME, STAMP, AMOUNT, SMALL, BIG, DAY, NOTE FROM " + t);
    ASSERT_FALSE(engine.errorFlag) << engine.msgText.toStdString();
    QStringList widths;
    for (const QString &dashes : resultLines()[1].split(' '))
        widths << QString::number(dashes.size());
    EXPECT_EQ(widths, QStringList({"20", "26", "11", "6", "20", "10", "10"}));
    const QStringList lines = resultLines();
    EXPECT_TRUE(lines[2].startsWith("A long name that is "));
    EXPECT_TRUE(lines[2].contains("      12.50 ")) << lines[2].toStdString();
    // Null and empty both show as "-".
    EXPECT_TRUE(lines[2].endsWith("-         "));
    EXPECT_TRUE(lines[3].startsWith("-                    "));

    var_add("$NAME", "A40");
    var_add("$AMOUNT", "9999999");
    run("SELECT NAME, AMOUNT FROM " + t);
    EXPECT_EQ(resultLines()[1], QString(40, '-') + " " + QString(7, '-'));

    // Lines wider than the document are cut with "...".
    engine.sqlLineWidth = 30;
    run("SELECT NAME, STAMP FROM " + t);
    EXPECT_EQ(resultLines()[0].size(), 33);
    EXPECT_TRUE(resultLines()[2].endsWith("..."));
    exec("DROP TABLE " + t);
}

TEST_P(SqlTest, WideResultsAreCutOrRefused) {
    QStringList expressions;
    for (int i = 1; i <= 300; ++i)
        expressions << QString("%1 AS C%1").arg(i);
    FakeGrid grid;
    run("SELECT " + expressions.join(", "), &grid);
    EXPECT_FALSE(engine.errorFlag) << engine.msgText.toStdString();
    EXPECT_EQ(grid.cols(), 256);
    EXPECT_EQ(grid.textMatrix(1, 255), "255");

    const QString t = table("WIDE");
    QStringList columns;
    for (int i = 1; i <= 9; ++i)
        columns << QString("V%1 VARCHAR(4000)").arg(i);
    createTable(t, columns.join(", "));
    exec("INSERT INTO " + t + " (V1) VALUES ('x')");
    run("SELECT * FROM " + t, &grid);
    EXPECT_EQ(engine.msgText,
              "Maximum output record length exceeded - reduce the number of columns.");
    EXPECT_EQ(engine.stmtHandle, nullptr);
    EXPECT_TRUE(grid.visible);
    EXPECT_FALSE(grid.running);
    run("SELECT V1 FROM " + t);
    EXPECT_TRUE(engine.msgText.startsWith("1 record(s) selected.")) << engine.msgText.toStdString();
    exec("DROP TABLE " + t);
}

TEST_P(SqlTest, LargeObjectsLoadFromBracketedFiles) {
    const QString t = table("XLOAD");
    createTable(t, "A " + blobType() + ", B " + blobType());
    QTemporaryDir dir;
    auto writeFile = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    const QString first = writeFile("first file.txt", "one");
    const QString second = writeFile("second.txt", "two");

    EngineFixture::resetStatement();
    engine.args[1] = "INTO " + t + " VALUES (?, ?) [" + first + "] [" + second + "]";
    engine.argCount = 1;
    EXPECT_EQ(Norq_load(engine, engine.args[1]), 0);
    EXPECT_EQ(engine.msgText, "SQL Completed successfully.");
    EXPECT_FALSE(engine.errorFlag);
    run("SELECT A, B FROM " + t);
    EXPECT_EQ(variable("RESULT").toUpper(), "6F6E65");
    EXPECT_TRUE(resultLines()[2].toUpper().contains("74776F")) << engine.resultText.toStdString();

    // A missing file ends in the database layer's message naming it.
    EngineFixture::resetStatement();
    engine.args[1] = "INTO " + t + " VALUES (?, ?) [" + first + "] [/no/such/file.bin]";
    EXPECT_EQ(Norq_load(engine, engine.args[1]), 0);
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_TRUE(engine.msgText.contains("/no/such/file.bin")) << engine.msgText.toStdString();
    EXPECT_NE(engine.msgCode, 0); // the load failed, and counts so

    // A device or a pipe is refused, never read.
    const QString fifo = dir.filePath("pipe.bin");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString &special : {QStringLiteral("/dev/zero"), fifo}) {
        EngineFixture::resetStatement();
        engine.args[1] = "INTO " + t + " VALUES (?, ?) [" + first + "] [" + special + "]";
        EXPECT_EQ(Norq_load(engine, engine.args[1]), 0);
        EXPECT_TRUE(engine.errorFlag);
        EXPECT_TRUE(engine.msgText.contains(
            special + "\" of parameter marker 2 cannot be read: Not a regular file"))
            << engine.msgText.toStdString();
    }

    // No bracket: nothing runs.
    EngineFixture::resetStatement();
    engine.args[1] = "INTO " + t + " VALUES (NULL, NULL)";
    EXPECT_EQ(Norq_load(engine, engine.args[1]), -1);
    EXPECT_TRUE(engine.msgText.isEmpty());

    // More names than bindings: refused as a whole.
    EngineFixture::resetStatement();
    QString eleven = "INTO " + t + " VALUES (?, ?) ";
    for (int i = 0; i < 11; ++i)
        eleven += "[" + first + "]";
    engine.args[1] = eleven;
    EXPECT_EQ(Norq_load(engine, engine.args[1]), 0);
    EXPECT_TRUE(engine.errorFlag);

    run("SELECT COUNT(*) FROM " + t);
    EXPECT_EQ(variable("RESULT"), "1");
    exec("DROP TABLE " + t);
}

TEST_P(SqlTest, ConnectStatementForms) {
    auto connectWith = [](const QStringList &words) {
        EngineFixture::resetStatement();
        engine.argCount = static_cast<int>(words.size());
        for (int i = 0; i < words.size(); ++i)
            engine.args[i + 1] = words[i];
        cmdConnect(engine, engine);
    };
    const QString name = database();
    connectWith({"TO", name.toLower()});
    EXPECT_TRUE(engine.connected) << engine.msgText.toStdString();
    EXPECT_EQ(engine.databaseName, name.toUpper());
    EXPECT_EQ(engine.msgText, "Connected to Database: " + name.toUpper());
    EXPECT_EQ(variable("database"), name.toUpper());

    connectWith({"TO", name, "USER"});
    EXPECT_EQ(engine.msgText, "Insufficient parameters for the CONNECT statement");
    EXPECT_TRUE(engine.connected);

    connectWith({"RESET"});
    EXPECT_FALSE(engine.connected);
    run("SELECT 1");
    EXPECT_EQ(engine.msgText, "No connection exists.");
    EXPECT_TRUE(engine.stopRun);
    // Without the connection check the interface's own error surfaces, without a crash.
    EngineFixture::resetStatement();
    adminCommand("RUNSTATS ON TABLE X", nullptr);
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_FALSE(engine.msgText.isEmpty());

    // One word other than RESET: the message stays, the stored values reconnect.
    connectWith({"SOMEWHERE"});
    EXPECT_EQ(engine.msgText, "Connected to Database: " + name.toUpper());
    EXPECT_TRUE(engine.connected);
}

TEST_P(SqlTest, ServersKeepTheUserErrorTextsAndPrompt) {
    if (embedded()) GTEST_SKIP() << "the servers' own behaviour";
    // The user as typed: roles are case-sensitive on a server.
    const QString user = mariadb() ? "pavona" : "postgres";
    EngineFixture::resetStatement();
    engine.argCount = 4;
    engine.args[1] = "TO";
    engine.args[2] = database();
    engine.args[3] = "USER";
    engine.args[4] = user;
    cmdConnect(engine, engine);
    ASSERT_TRUE(engine.connected) << engine.msgText.toStdString();
    EXPECT_TRUE(variable("userid").startsWith(user)) << variable("userid").toStdString();
    EXPECT_EQ(variable("schema"), variable("userid"));

    // Brackets in a server's message are its own text, not a prefix to cut.
    run(mariadb() ? "SELECT * FROM `a]b]c]d`" : "SELECT * FROM \"a]b]c]d\"");
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_TRUE(engine.msgText.contains(mariadb() ? "a]b]c]d' doesn't exist"
                                                  : "relation \"a]b]c]d\" does not exist"))
        << engine.msgText.toStdString();

    // The row limit on the statement leaves a query's own limit and locking clauses alone.
    const QString t = table("LIMITED");
    createTable(t, "ID INTEGER");
    exec("INSERT INTO " + t + " VALUES (1), (2), (3)");
    run("SELECT ID FROM " + t + " ORDER BY ID LIMIT 2");
    EXPECT_TRUE(engine.msgText.startsWith("2 record(s) selected.")) << engine.msgText.toStdString();
    run("SELECT ID FROM " + t + " WHERE ID = 3 FOR UPDATE");
    EXPECT_TRUE(engine.msgText.startsWith("1 record(s) selected.")) << engine.msgText.toStdString();
    exec("DROP TABLE " + t);

    // PROMPT shows its line from the engine when the server holds no output objects;
    // a server's notice is a line of server output too.
    serverOutputClear();
    engine.argCount = 1;
    engine.args[1] = "It's done";
    cmd_prompt();
    if (!mariadb()) run("DO $$ BEGIN RAISE NOTICE 'from the server'; END $$");
    serverOutputCollect();
    EXPECT_EQ(engine.resultKind, kResultServerOutput);
    EXPECT_TRUE(engine.serverOutput.startsWith("It`s done")) << engine.serverOutput.toStdString();
    if (!mariadb()) {
        EXPECT_TRUE(engine.serverOutput.endsWith("\rNOTICE: from the server"))
            << engine.serverOutput.toStdString();
    }
    serverOutputClear();
    serverOutputCollect();
    EXPECT_TRUE(engine.serverOutput.isEmpty());

    // Pavona's own statements never fail on the server: its log has no error from them.
    const QString log = qEnvironmentVariable("PAVONA_TEST_PG_LOG");
    if (!mariadb() && !log.isEmpty()) {
        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const qint64 start = file.size();
        file.close();
        QString db = database(), u = user, password;
        ASSERT_EQ(Norq_connect(engine, db, u, password), 0);
        serverOutputClear();
        engine.args[1] = "quiet";
        cmd_prompt();
        exec("SELECT 1");
        serverOutputCollect();
        EXPECT_EQ(engine.serverOutput, "quiet");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        file.seek(start);
        const QString added = QString::fromUtf8(file.readAll());
        EXPECT_FALSE(added.contains("ERROR:")) << added.toStdString();
    }
}

TEST_P(SqlTest, MariadbTypesAreSizedAndAlignedAsTheirCodesSay) {
    if (!mariadb()) GTEST_SKIP() << "MariaDB's own types";
    const QString t = table("TYPES");
    createTable(t, "I INT, B BIGINT, D DECIMAL(9,2), F DOUBLE, V VARCHAR(12), DAY DATE, "
                   "DT DATETIME, TS TIMESTAMP NULL, BL BLOB, TX TEXT");
    exec("INSERT INTO " + t +
         " VALUES (-7, 9000000000, 12.5, 0.25, 'abc', '2024-02-29', '2024-01-02 03:04:05', "
         "'2024-01-02 03:04:05', x'0A0B', 'some text')");
    exec("INSERT INTO " + t + " (I) VALUES (NULL)");
    engine.sqlLineWidth = 500;
    FakeGrid grid;
    run("SELECT * FROM " + t + " ORDER BY I DESC", &grid);
    ASSERT_FALSE(engine.errorFlag) << engine.msgText.toStdString();
    QList<int> alignments;
    for (int c = 1; c <= 10; ++c)
        alignments << grid.alignments[c];
    EXPECT_EQ(alignments, QList<int>({7, 7, 7, 7, 1, 7, 7, 7, 1, 1}));
    EXPECT_EQ(grid.textMatrix(1, 4), "0.25");
    EXPECT_EQ(grid.textMatrix(1, 9), "0A0B");
    EXPECT_EQ(grid.textMatrix(2, 1), "-");

    run("SELECT * FROM " + t + " ORDER BY I DESC");
    const QStringList lines = resultLines();
    QStringList widths;
    for (const QString &dashes : lines[1].split(' '))
        widths << QString::number(dashes.size());
    // INT 11, BIGINT 20, DECIMAL(9,2) 11, DOUBLE 22, VARCHAR(12) 12, DATE 10, DATETIME and
    // TIMESTAMP 19, BLOB and TEXT at the column-width limit.
    EXPECT_EQ(widths, QStringList({"11", "20", "11", "22", "12", "10", "19", "19", "20", "20"}));
    EXPECT_TRUE(lines[2].startsWith("         -7           9000000000       12.50 "))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains(" abc          2024-02-29 2024-01-02 03:04:05 "))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("          - ")) << lines[3].toStdString();

    run("INSERT INTO " + t + " (V) VALUES ('far longer than twelve')");
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_TRUE(engine.msgText.contains("Data too long")) << engine.msgText.toStdString();
    exec("DROP TABLE " + t);
}

TEST_P(SqlTest, TransactionsTheUserOpensEndOnlyWithTheUsersCommitOrRollback) {
    const QString t = table("TX");
    createTable(t, "ID INTEGER");
    const QString count = "SELECT COUNT(*) FROM " + t;
    const auto rows = [&] {
        run(count);
        return variable("RESULT");
    };

    exec("BEGIN");
    EXPECT_TRUE(transactionOpen(engine));
    exec("INSERT INTO " + t + " VALUES (1)");
    // Nothing reached another session: the work was not committed behind the user's back.
    EXPECT_EQ(committedValue(database(), count), "0");
    exec("ROLLBACK");
    EXPECT_FALSE(transactionOpen(engine));
    EXPECT_EQ(rows(), "0");

    // A failure inside the transaction undoes only itself: the session goes on and the
    // user's COMMIT keeps the rest.
    exec("START TRANSACTION");
    exec("INSERT INTO " + t + " VALUES (2)");
    run("SELECT * FROM NO_SUCH_TABLE_IN_TX");
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_TRUE(transactionOpen(engine));
    exec("INSERT INTO " + t + " VALUES (3)");
    EXPECT_EQ(committedValue(database(), count), "0");
    exec("COMMIT");
    EXPECT_FALSE(transactionOpen(engine));
    EXPECT_EQ(committedValue(database(), count), "2");

    // Outside a transaction every statement is committed, a failure leaves the session
    // usable, and a stray COMMIT or ROLLBACK does no harm.
    run("SELECT * FROM NO_SUCH_TABLE_AFTER_TX");
    EXPECT_TRUE(engine.errorFlag);
    exec("INSERT INTO " + t + " VALUES (4)");
    EXPECT_EQ(committedValue(database(), count), "3");
    exec("COMMIT");
    exec("ROLLBACK");

    // What a run that ends inside a transaction does with it.
    QString failure;
    EXPECT_FALSE(rollbackOpenTransaction(engine, &failure));
    exec("BEGIN");
    exec("DELETE FROM " + t);
    EXPECT_TRUE(rollbackOpenTransaction(engine, &failure));
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(transactionOpen(engine));
    EXPECT_EQ(rows(), "3");

    if (embedded()) {
        // A savepoint outside a transaction opens one; releasing it commits.
        exec("SAVEPOINT FIRST_STEP");
        EXPECT_TRUE(transactionOpen(engine));
        exec("INSERT INTO " + t + " VALUES (5)");
        EXPECT_EQ(committedValue(database(), count), "3");
        exec("RELEASE FIRST_STEP");
        EXPECT_FALSE(transactionOpen(engine));
        EXPECT_EQ(committedValue(database(), count), "4");
    }
    if (mariadb()) {
        // MariaDB commits before a schema change: the transaction is over.
        exec("BEGIN");
        exec("INSERT INTO " + t + " VALUES (6)");
        createTable(table("TX_SCHEMA"), "ID INTEGER");
        EXPECT_FALSE(transactionOpen(engine));
        EXPECT_EQ(committedValue(database(), count), "4");
        exec("DROP TABLE " + table("TX_SCHEMA"));
    }
    exec("DROP TABLE " + t);
}

// A server's double may come with more digits than its column holds.
TEST_P(SqlTest, NumbersWiderThanTheirColumnAreRoundedNeverCut) {
    if (embedded()) GTEST_SKIP() << "the embedded engine's doubles fit their column";
    const QString t = table("WIDE_NUMBERS");
    createTable(t, "D " + doubleType());
    exec("INSERT INTO " + t + " VALUES (-1.2345678901234567e300), (0.30000000000000004)");
    run("SELECT D FROM " + t + " ORDER BY D");
    ASSERT_FALSE(engine.errorFlag) << engine.msgText.toStdString();
    const QStringList lines = resultLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[1], QString(22, '-'));
    const QString huge = lines[2].trimmed();
    EXPECT_EQ(lines[2].size(), 22);
    bool isNumber = false;
    EXPECT_NEAR(huge.toDouble(&isNumber) / -1.2345678901234567e300, 1.0, 1e-14)
        << huge.toStdString();
    EXPECT_TRUE(isNumber) << huge.toStdString();
    EXPECT_NEAR(lines[3].trimmed().toDouble(), 0.3, 1e-15) << lines[3].toStdString();
    exec("DROP TABLE " + t);
}

TEST_P(SqlTest, StatementsThatChangeRowsReturnThemAndQueriesStillUseACursor) {
    if (embedded() || mariadb()) GTEST_SKIP() << "PostgreSQL's driver fetches through a cursor";
    const QString t = table("RETURNING");
    createTable(t, "ID INTEGER");
    run("INSERT INTO " + t + " VALUES (7), (8) RETURNING ID");
    EXPECT_TRUE(engine.msgText.startsWith("2 record(s) selected.")) << engine.msgText.toStdString();
    exec("WITH N(V) AS (VALUES (9)) INSERT INTO " + t + " SELECT V FROM N");
    exec("SET log_statement = 'all'");
    run("WITH NEW_ROWS AS (INSERT INTO " + t +
        " VALUES (1), (2) RETURNING ID) SELECT ID FROM NEW_ROWS ORDER BY ID");
    EXPECT_TRUE(engine.msgText.startsWith("2 record(s) selected.")) << engine.msgText.toStdString();
    EXPECT_EQ(variable("RESULT"), "1");
    run("WITH GONE AS (SELECT 7 AS V) DELETE FROM " + t +
        " WHERE ID IN (SELECT V FROM GONE) RETURNING ID");
    EXPECT_EQ(variable("RESULT"), "7");
    // A plain query after them is fetched through a cursor again.
    const QString marker = "SELECT ID AS AFTER_THE_CHANGES FROM " + t;
    run(marker);
    EXPECT_TRUE(engine.msgText.startsWith("4 record(s) selected.")) << engine.msgText.toStdString();
    QFile log(qEnvironmentVariable("PAVONA_TEST_PG_LOG"));
    if (log.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(log.readAll());
        const qsizetype at = text.lastIndexOf(marker);
        ASSERT_GE(at, 0);
        const qsizetype lineStart = text.lastIndexOf('\n', at) + 1;
        const QString line = text.mid(lineStart, at - lineStart);
        EXPECT_TRUE(line.contains("cursor", Qt::CaseInsensitive)) << line.toStdString();
    }
    run("SELECT COUNT(*) FROM " + t);
    EXPECT_EQ(variable("RESULT"), "4");
    exec("DROP TABLE " + t);
}

// A data source may tell PostgreSQL's driver to roll back nothing after a failure, which
// would leave the session aborted; the program asks for the failed statement alone.
TEST_P(SqlTest, AFailureLeavesAPostgresSessionUsableWhateverTheDataSourceSays) {
    if (embedded() || mariadb()) GTEST_SKIP() << "PostgreSQL's driver";
    QFile ini(qEnvironmentVariable("ODBCINI"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    const qsizetype start = text.indexOf("[" + database() + "]");
    ASSERT_GE(start, 0);
    const qsizetype end = text.indexOf("\n[", start);
    QString section = text.mid(start, end < 0 ? -1 : end - start).trimmed();
    section.replace("[" + database() + "]", "[" + database() + "_NO_ROLLBACK]");
    QTemporaryDir dir;
    QFile changed(dir.filePath("odbc.ini"));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write((text + "\n" + section + "\nProtocol=7.4-0\n").toUtf8());
    changed.close();
    const QByteArray previous = qgetenv("ODBCINI");
    qputenv("ODBCINI", changed.fileName().toUtf8());
    QString db = database() + "_NO_ROLLBACK", user, password;
    const int connected = Norq_connect(engine, db, user, password);
    qputenv("ODBCINI", previous);
    ASSERT_EQ(connected, 0) << engine.msgText.toStdString();

    const QString t = table("NO_ROLLBACK");
    createTable(t, "ID INTEGER");
    run("SELECT * FROM NO_SUCH_TABLE_HERE");
    EXPECT_TRUE(engine.errorFlag);
    exec("SELECT COUNT(*) FROM " + t);
    exec("BEGIN");
    exec("INSERT INTO " + t + " VALUES (1)");
    run("SELECT * FROM NO_SUCH_TABLE_HERE");
    EXPECT_TRUE(engine.errorFlag);
    exec("INSERT INTO " + t + " VALUES (2)");
    exec("COMMIT");
    EXPECT_EQ(committedValue(database(), "SELECT COUNT(*) FROM " + t), "2");
    exec("DROP TABLE " + t);
}

PAVONA_BACKENDS(SqlTest);

TEST(NumberInWidth, RoundsToTheWidthKeepingTheMostDigits) {
    EXPECT_EQ(numberInWidth("1234567.890625", 13), "1234567.89063");
    EXPECT_EQ(numberInWidth("-123456.890625", 13), "-123456.89063");
    EXPECT_EQ(numberInWidth("0.333333333333333", 13), "0.33333333333");
    EXPECT_EQ(numberInWidth("12.5", 13), "12.5");
    // Rounding up adds a digit in front; the decimals make room for it.
    EXPECT_EQ(numberInWidth("99999.996", 8), "100000.0");
    EXPECT_EQ(numberInWidth("-0.0004", 6), "-4e-04");
    // A whole part too wide, or a value far from 1, takes an exponent.
    EXPECT_EQ(numberInWidth("12345678901234567", 13), "1.2345679e+16");
    EXPECT_EQ(numberInWidth("0.000000123456789", 11), "1.23457e-07");
    EXPECT_EQ(numberInWidth("-1.2345678901234567e+300", 22), "-1.23456789012346e+300");
    EXPECT_EQ(numberInWidth("123456789", 5), "1e+08");
    EXPECT_EQ(numberInWidth("123456789", 3), "###");
    EXPECT_EQ(numberInWidth("2024-01-02", 5), "");
}

// ---- embedded engine only -------------------------------------------------------------

class EmbeddedSession : public ::testing::Test {
protected:
    ScratchCatalog catalog;
    EngineFixture fixture;
};

TEST_F(EmbeddedSession, FailedConnectAsksOnceAndTriesAgainOnlyOnYes) {
    QString db = "NOWHERE", user, password;
    fixture.windows.answers = {false};
    EXPECT_EQ(Norq_connect(engine, db, user, password), -1);
    EXPECT_EQ(fixture.windows.questions,
              QStringList(
                  {"Error Connecting: Cannot connect to NOWHERE. Does Norq need to be started?"}));
    EXPECT_EQ(fixture.windows.statuses, QStringList({"Connecting to NOWHERE"}));
    // The reason the interface gave follows the advice.
    EXPECT_EQ(engine.msgText.section('\r', 0, 0),
              "Connection to NOWHERE failed. Check the database name, userid, and "
              "password and if the database has been started.");
    EXPECT_TRUE(
        engine.msgText.section('\r', 1).startsWith("The database \"NOWHERE\" was not found"))
        << engine.msgText.toStdString();
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_FALSE(engine.connected);
    EXPECT_FALSE(QFile::exists(catalog.folder() + "/NOWHERE.db"));

    fixture.windows.questions.clear();
    fixture.windows.statuses.clear();
    fixture.windows.answers = {true};
    engine.msgText = "Incorrect CONNECT syntax.";
    EXPECT_EQ(Norq_connect(engine, db, user, password), -1);
    EXPECT_EQ(fixture.windows.questions.size(), 1);
    EXPECT_EQ(fixture.windows.statuses,
              QStringList({"Connecting to NOWHERE", "Starting Norq", "Connecting to NOWHERE"}));
    EXPECT_EQ(engine.msgText, "Incorrect CONNECT syntax."); // an earlier message is kept
}

TEST_F(EmbeddedSession, ConnectSetsUserAndRegistryVariables) {
    qunsetenv("NORQPATH");
    qunsetenv("NORQINSTANCE");
    qunsetenv("NORQINSTPROF");
    var_add("schema", "MINE");
    QString db = "testdb", user = "alice", password;
    ASSERT_EQ(Norq_connect(engine, db, user, password), 0);
    EXPECT_EQ(user, "ALICE"); // what the server reports
    EXPECT_EQ(variable("userid"), "ALICE");
    EXPECT_EQ(variable("schema"), "MINE");
    EXPECT_EQ(variable("database"), "TESTDB");
    EXPECT_EQ(variable("jsondb"), "TESTDB");
    // No client folder of another system: the prefix this program is installed under.
    EXPECT_EQ(variable("norqpath"), installPrefix());
    EXPECT_TRUE(QFileInfo(variable("norqpath")).isDir());
    EXPECT_EQ(variable("sqllib"), variable("norqpath"));
    EXPECT_EQ(variable("instance"), "NORQ");
    EXPECT_EQ(variable("norqinstprof"), variable("norqpath"));
    EXPECT_EQ(variable("norqdiag"), variable("norqinstprof") + "/NORQ");
    EXPECT_EQ(engine.msgText, "Connected to Database: testdb");
    EXPECT_TRUE(fixture.windows.questions.isEmpty());

    EXPECT_EQ(runSilentQuery(engine, engine, "CREATE TABLE S (X INTEGER)"), "");
    EXPECT_EQ(runSilentQuery(engine, engine, "INSERT INTO S VALUES (5), (6)"), "");
    EXPECT_EQ(runSilentQuery(engine, engine, "SELECT X FROM S ORDER BY X"), "5");
    EXPECT_EQ(engine.silentRowCount, 2);
    EXPECT_EQ(runSilentQuery(engine, engine, "SELECT * FROM MISSING"), "");
    EXPECT_EQ(sqlErrorMessage("SQL0204N"), "");
}

TEST_F(EmbeddedSession, ServerOutputAndAdministrativeCommands) {
    QString db = "TESTDB", user, password;
    ASSERT_EQ(Norq_connect(engine, db, user, password), 0);
    serverOutputClear();
    runSilentQuery(engine, engine, "CALL DBMS_OUTPUT.PUT_LINE('It`s done')");
    serverOutputCollect();
    EXPECT_EQ(engine.serverOutput, "It`s done");
    EXPECT_EQ(engine.resultKind, kResultServerOutput);

    runSilentQuery(engine, engine,
                   "CREATE TABLE STAFF (ID INTEGER NOT NULL, NAME VARCHAR(30), DOC XML)");
    runSilentQuery(engine, engine,
                   "INSERT INTO STAFF VALUES (1, 'Ann', '<?xml version=\"1.0\"?><a>1</a>'), "
                   "(2, 'Bob', '<b/>')");
    EngineFixture::resetStatement();
    engine.gridMode = false;
    adminCommand("DESCRIBE TABLE STAFF", nullptr);
    EXPECT_TRUE(engine.msgText.startsWith("3 record(s) selected.")) << engine.msgText.toStdString();
    EXPECT_TRUE(engine.resultText.contains("INTEGER"));
    EngineFixture::resetStatement();
    adminCommand("RUNSTATS ON TABLE STAFF WITH DISTRIBUTION", nullptr);
    EXPECT_TRUE(engine.msgText.startsWith("Command completed.")) << engine.msgText.toStdString();
    EngineFixture::resetStatement();
    adminCommand("REORG TABLE O'BRIEN", nullptr); // a quote cannot break the statement
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_TRUE(engine.msgText.contains("O'BRIEN")) << engine.msgText.toStdString();

    // XML values lose their declaration only.
    EngineFixture::resetStatement();
    QString sql = "SELECT DOC FROM STAFF ORDER BY ID";
    FakeGrid grid;
    engine.gridMode = true;
    Norq_sql(sql, true, &grid, true);
    EXPECT_EQ(grid.textMatrix(1, 1), "<a>1</a>");
    EXPECT_EQ(grid.textMatrix(2, 1), "<b/>");
}

TEST_F(EmbeddedSession, ADeletedDatabaseFileFailsTheNextStatement) {
    QString db = "TESTDB", user, password;
    ASSERT_EQ(Norq_connect(engine, db, user, password), 0);
    EXPECT_EQ(runSilentQuery(engine, engine, "CREATE TABLE D (X INTEGER)"), "");
    ASSERT_TRUE(QFile::remove(catalog.folder() + "/TESTDB.db"));
    EngineFixture::resetStatement();
    QString sql = "INSERT INTO D VALUES (1)";
    Norq_sql(sql, true, nullptr, true);
    EXPECT_TRUE(engine.errorFlag);
    EXPECT_TRUE(engine.msgText.contains("TESTDB.db\" was deleted, moved or replaced"))
        << engine.msgText.toStdString();
}

// Inside a transaction the file is looked at when the work would reach it: the COMMIT.
TEST_F(EmbeddedSession, ADatabaseFileDeletedInATransactionFailsItsCommit) {
    QString db = "TESTDB", user, password;
    ASSERT_EQ(Norq_connect(engine, db, user, password), 0);
    EXPECT_EQ(runSilentQuery(engine, engine, "CREATE TABLE D (X INTEGER)"), "");
    const auto run = [](QString sql) {
        EngineFixture::resetStatement();
        Norq_sql(sql, true, nullptr, true);
        return !engine.errorFlag;
    };
    ASSERT_TRUE(run("BEGIN"));
    ASSERT_TRUE(run("INSERT INTO D VALUES (1)"));
    ASSERT_TRUE(QFile::remove(catalog.folder() + "/TESTDB.db"));
    for (const char *end : {"commit work", "END", "RELEASE S"}) {
        EXPECT_FALSE(run(end)) << end;
        EXPECT_TRUE(engine.msgText.contains("was deleted, moved or replaced"))
            << end << ": " << engine.msgText.toStdString();
    }
    EXPECT_TRUE(run("ROLLBACK"));
    EXPECT_FALSE(run("INSERT INTO D VALUES (2)")); // autocommitted again: refused at once
}

// A cell shows a few digits of a binary value: the value is not copied and turned into
// digits whole, which for this one would take 128 MB more than the address space allows.
TEST_F(EmbeddedSession, ALargeBinaryValueIsShownWithinBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than any limit allows";
#endif
    QString db = "TESTDB", user, password;
    ASSERT_EQ(Norq_connect(engine, db, user, password), 0);
    runSilentQuery(engine, engine, "CREATE TABLE L (B BLOB)");
    runSilentQuery(engine, engine, "INSERT INTO L VALUES (zeroblob(32 * 1024 * 1024))");
    const auto shownWithin = [](rlim_t extraBytes) {
        QFile status("/proc/self/statm");
        status.open(QIODevice::ReadOnly);
        const rlim_t used = status.readAll().split(' ').value(0).toULongLong() *
                            static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
        const rlimit limit{used + extraBytes, used + extraBytes};
        setrlimit(RLIMIT_AS, &limit);
        EngineFixture::resetStatement();
        engine.gridMode = false;
        QString query = "SELECT B FROM L";
        Norq_sql(query, true, nullptr, true);
        return engine.resultText.contains("00000000");
    };
    EXPECT_EXIT(std::exit(shownWithin(100 * 1024 * 1024) ? 0 : 1), ::testing::ExitedWithCode(0),
                "");
}

TEST_F(EmbeddedSession, ExpressionColumnsShowTheirWholeValues) {
    QString db = "TESTDB", user, password;
    ASSERT_EQ(Norq_connect(engine, db, user, password), 0);
    runSilentQuery(engine, engine, "CREATE TABLE K (K INTEGER)");
    runSilentQuery(engine, engine, "INSERT INTO K VALUES (0), (1), (2)");
    EngineFixture::resetStatement();
    engine.gridMode = false;
    QString sql = "SELECT K * 100000000000 AS BIG, CASE WHEN K = 2 THEN -12345678901 ELSE K END "
                  "AS NEG FROM K ORDER BY K";
    Norq_sql(sql, true, nullptr, true);
    const QStringList lines = engine.resultText.split('\r');
    ASSERT_GE(lines.size(), 5) << engine.resultText.toStdString();
    EXPECT_EQ(lines[2], "                   0                    0");
    EXPECT_EQ(lines[3], "        100000000000                    1");
    EXPECT_EQ(lines[4], "        200000000000         -12345678901");
}

TEST_F(EmbeddedSession, ComputedWholeNumbersAreIntegersUnlessAShownValueNeedsMore) {
    QString db = "TESTDB", user, password;
    ASSERT_EQ(Norq_connect(engine, db, user, password), 0);
    runSilentQuery(engine, engine, "CREATE TABLE R (X REAL)");
    runSilentQuery(engine, engine,
                   "INSERT INTO R VALUES (1234567.890625), (-123456.890625), (1.0/3)");
    EngineFixture::resetStatement();
    engine.gridMode = false;
    QString sql = "SELECT X FROM R ORDER BY ROWID";
    Norq_sql(sql, true, nullptr, true);
    QStringList lines = engine.resultText.split('\r');
    ASSERT_GE(lines.size(), 5) << engine.resultText.toStdString();
    EXPECT_EQ(lines.mid(2, 3), QStringList({"1234567.89063", "-123456.89063", "0.33333333333"}));

    EngineFixture::resetStatement();
    sql = "SELECT 1 + 1, COUNT(*), 3, 4, 5, 6 FROM R";
    Norq_sql(sql, true, nullptr, true);
    EXPECT_EQ(columnWidths(engine.resultText), QStringList(6, "11"));
    EXPECT_FALSE(engine.resultText.contains("...")) << engine.resultText.toStdString();

    // Only the rows shown count: a wide value past them leaves the column an INTEGER,
    // one among them makes it a BIGINT.
    EngineFixture::resetStatement();
    sql = "WITH RECURSIVE N(I) AS (VALUES (1) UNION ALL SELECT I + 1 FROM N WHERE I < 20) "
          "SELECT CASE WHEN I = 15 THEN 5000000000 ELSE I END AS V FROM N";
    Norq_sql(sql, true, nullptr, true);
    EXPECT_EQ(columnWidths(engine.resultText), QStringList({"11"}));
    engine.maxDisplay = 20;
    EngineFixture::resetStatement();
    Norq_sql(sql, true, nullptr, true);
    EXPECT_EQ(columnWidths(engine.resultText), QStringList({"20"}));
    EXPECT_TRUE(engine.resultText.contains("\r          5000000000"))
        << engine.resultText.toStdString();
}

TEST(BytesToText, StopsAtNulAndTurnsLineFeedsIntoCrLf) {
    engine.fetchBuffer.fill(0);
    const char text[] = "ab\ncd";
    std::memcpy(&engine.fetchBuffer[10], text, sizeof text - 1);
    EXPECT_EQ(bytesToText(engine, 10, 20), "ab\r\ncd");
    EXPECT_EQ(bytesToText(engine, 10, 2), "ab");
    EXPECT_EQ(bytesToText(engine, 0, 5), "");
    EXPECT_EQ(bytesToText(engine, kFetchBufferSize, 100), "");
    EXPECT_EQ(plainErrorText("[a][b][c]  message "), "message");
    EXPECT_EQ(plainErrorText("[a][b] kept "), "[a][b] kept ");
    EXPECT_EQ(formatElapsed(1.23456), "1.235s)");
}
