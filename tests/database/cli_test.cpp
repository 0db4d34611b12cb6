#include "backends.h"
#include "database/catalog.h"
#include "database/cli/cli.h"
#include "database/cli/statement_words.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <vector>

using namespace cli;

namespace {

struct Diag {
    QString state;
    int32_t native = 0;
    QString message;
};

// A connection driven through the interface exactly as the program drives it.
class Session {
public:
    Session() { SQLAllocEnv(&env_); }
    ~Session() {
        if (stmt_) SQLFreeStmt(stmt_, kDrop);
        if (dbc_) {
            SQLDisconnect(dbc_);
            SQLFreeConnect(dbc_);
        }
        SQLFreeEnv(env_);
    }

    int connect(const QString &name) {
        if (dbc_) SQLFreeConnect(dbc_); // a failed connect leaves its handle to free
        SQLAllocConnect(env_, &dbc_);
        const QByteArray db = name.toUtf8();
        return SQLConnect(dbc_, db.constData(), kNullTerminated, "", kNullTerminated, "",
                          kNullTerminated);
    }

    // Executes on a fresh statement, which stays open for describing and fetching.
    int exec(const QString &sql) {
        if (stmt_) SQLFreeStmt(stmt_, kDrop);
        stmt_ = nullptr;
        if (SQLAllocStmt(dbc_, &stmt_) != kSuccess) return kError;
        SQLSetStmtAttr(stmt_, kAttrNoScan, 1, kNullTerminated);
        const QByteArray text = sql.toUtf8();
        return SQLExecDirect(stmt_, text.constData(), static_cast<int>(text.size()));
    }

    int16_t columns() {
        int16_t n = 0;
        SQLNumResultCols(stmt_, &n);
        return n;
    }

    struct Column {
        QString name;
        int16_t type = 0;
        uint32_t size = 0;
        int16_t decimals = 0;
        int16_t nullable = 0;
    };
    Column describe(int16_t col) {
        char name[129] = {0};
        int16_t nameLen = 0;
        Column c;
        SQLDescribeCol(stmt_, col, name, 128, &nameLen, &c.type, &c.size, &c.decimals, &c.nullable);
        c.name = QString::fromUtf8(name, nameLen);
        return c;
    }

    // Every row as texts ("<NULL>" for a null).
    std::vector<QStringList> fetchAll(int bufferSize = 256) {
        const int n = columns();
        std::vector<std::vector<char>> buffers(n, std::vector<char>(bufferSize));
        std::vector<int32_t> lengths(n);
        for (int c = 0; c < n; ++c)
            SQLBindCol(stmt_, c + 1, kCChar, buffers[c].data(), bufferSize, &lengths[c]);
        std::vector<QStringList> rows;
        while (true) {
            const int rc = SQLFetch(stmt_);
            if (rc != kSuccess && rc != kSuccessWithInfo) break;
            QStringList row;
            for (int c = 0; c < n; ++c)
                row << (lengths[c] == kNullData ? QStringLiteral("<NULL>")
                                                : QString::fromUtf8(buffers[c].data()));
            rows.push_back(row);
        }
        return rows;
    }

    Diag error() {
        char state[10] = {0};
        char message[512] = {0};
        int16_t length = 0;
        Diag d;
        SQLError(env_, dbc_, stmt_, state, &d.native, message, 512, &length);
        d.state = QString::fromLatin1(state);
        d.message = QString::fromUtf8(message, length);
        return d;
    }

    CliHandle env_ = nullptr, dbc_ = nullptr, stmt_ = nullptr;
};

class CliTest : public BackendTest {};

} // namespace

TEST_P(CliTest, ChangesThatTouchNoRowReportNoData) {
    Session s;
    ASSERT_EQ(s.connect(database()), kSuccess) << s.error().message.toStdString();
    const QString t = table("NODATA");
    s.exec("DROP TABLE " + t);
    ASSERT_EQ(s.exec("CREATE TABLE " + t + " (ID INTEGER, NAME VARCHAR(20))"), kSuccess)
        << s.error().message.toStdString();
    EXPECT_EQ(s.exec("UPDATE " + t + " SET NAME = 'x' WHERE ID = 1"), kNoData);
    EXPECT_EQ(s.exec("DELETE FROM " + t + " WHERE ID = 1"), kNoData);
    EXPECT_EQ(s.exec("INSERT INTO " + t + " VALUES (1, 'one')"), kSuccess);
    EXPECT_EQ(s.exec("INSERT INTO " + t + " SELECT * FROM " + t + " WHERE ID = 7"), kNoData);
    EXPECT_EQ(s.exec("UPDATE " + t + " SET NAME = 'uno' WHERE ID = 1"), kSuccess);

    ASSERT_EQ(s.exec("SELECT ID, NAME FROM " + t), kSuccess);
    ASSERT_EQ(s.columns(), 2);
    EXPECT_EQ(s.describe(1).type, kTypeInteger);
    EXPECT_EQ(s.describe(2).type, kTypeVarchar);
    EXPECT_EQ(s.describe(2).size, 20u);
    const auto rows = s.fetchAll();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], QStringList({"1", "uno"}));
    EXPECT_EQ(s.exec("DROP TABLE " + t), kSuccess);
}

TEST_P(CliTest, ErrorsCarryStateNativeCodeAndMessage) {
    Session s;
    ASSERT_EQ(s.connect(database()), kSuccess);
    EXPECT_EQ(s.exec("SELEC 1"), kError);
    Diag d = s.error();
    EXPECT_EQ(d.state, mariadb() ? "42000" : "42601");
    EXPECT_NE(d.native, 0);
    EXPECT_FALSE(d.message.isEmpty());
    EXPECT_EQ(s.exec("SELECT * FROM NO_SUCH_TABLE_AT_ALL"), kError);
    d = s.error();
    EXPECT_TRUE(d.state == "42704" || d.state == "42P01" || d.state == "42S02")
        << d.state.toStdString();
    // The statement handle is still usable after an error.
    EXPECT_EQ(s.exec("SELECT 1"), kSuccess);
    EXPECT_EQ(s.fetchAll().size(), 1u);
}

TEST_P(CliTest, FileBoundToAParameterIsStoredAsBinary) {
    Session s;
    ASSERT_EQ(s.connect(database()), kSuccess);
    const QString t = table("LOBS");
    s.exec("DROP TABLE " + t);
    ASSERT_EQ(s.exec("CREATE TABLE " + t + " (ID INTEGER, DATA " + blobType() + ")"), kSuccess);
    QTemporaryDir dir;
    const QString path = dir.filePath("some file.bin");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("AB\0\x01", 4));
    file.close();

    CliHandle stmt = nullptr;
    ASSERT_EQ(SQLAllocStmt(s.dbc_, &stmt), kSuccess);
    QByteArray name = path.toUtf8();
    int16_t nameLength = static_cast<int16_t>(name.size());
    uint32_t options = kFileRead;
    int32_t indicator = 0;
    ASSERT_EQ(SQLBindFileToParam(stmt, 1, kTypeBlob, name.constData(), &nameLength, &options, 255,
                                 &indicator),
              kSuccess);
    const QByteArray insert = ("INSERT INTO " + t + " VALUES (7, ?)").toUtf8();
    EXPECT_EQ(SQLExecDirect(stmt, insert.constData(), static_cast<int>(insert.size())), kSuccess)
        << s.error().message.toStdString();
    SQLFreeStmt(stmt, kDrop);

    // A missing file fails at binding, with the file's name in the message.
    ASSERT_EQ(SQLAllocStmt(s.dbc_, &stmt), kSuccess);
    const char *missing = "/nonexistent/file.bin";
    int16_t missingLength = static_cast<int16_t>(strlen(missing));
    EXPECT_EQ(
        SQLBindFileToParam(stmt, 1, kTypeBlob, missing, &missingLength, &options, 255, &indicator),
        kError);
    char state[10], message[512];
    int32_t native = 0;
    int16_t length = 0;
    SQLError(s.env_, s.dbc_, stmt, state, &native, message, 512, &length);
    EXPECT_TRUE(QString::fromUtf8(message).contains("/nonexistent/file.bin"));
    SQLFreeStmt(stmt, kDrop);

    ASSERT_EQ(s.exec("SELECT ID, DATA FROM " + t), kSuccess);
    const auto rows = s.fetchAll();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1].toUpper(), "41420001");
    s.exec("DROP TABLE " + t);
}

TEST_P(CliTest, StaleHandlesAreRefusedNotFollowed) {
    Session s;
    ASSERT_EQ(s.connect(database()), kSuccess);
    CliHandle stmt = nullptr;
    ASSERT_EQ(SQLAllocStmt(s.dbc_, &stmt), kSuccess);
    SQLFreeStmt(stmt, kDrop);
    EXPECT_EQ(SQLFetch(stmt), kInvalidHandle);
    EXPECT_EQ(SQLExecDirect(stmt, "SELECT 1", kNullTerminated), kInvalidHandle);
    EXPECT_EQ(SQLFreeStmt(stmt, kDrop), kInvalidHandle);
    int dummy = 0;
    EXPECT_EQ(SQLFetch(&dummy), kInvalidHandle);
    // A statement on a connection that has gone reports an error instead of crashing.
    ASSERT_EQ(SQLAllocStmt(s.dbc_, &stmt), kSuccess);
    SQLDisconnect(s.dbc_);
    EXPECT_EQ(SQLExecDirect(stmt, "SELECT 1", kNullTerminated), kError);
    SQLFreeStmt(stmt, kDrop);
}

PAVONA_BACKENDS(CliTest);

// ---- embedded engine only -------------------------------------------------------------

class EmbeddedCli : public ::testing::Test {
protected:
    ScratchCatalog catalog;
};

TEST_F(EmbeddedCli, UnknownNameFailsClearlyAndCreatesNothing) {
    Session s;
    EXPECT_EQ(s.connect("NOSUCHDB"), kError);
    const Diag d = s.error();
    EXPECT_EQ(d.state, "08001");
    EXPECT_TRUE(d.message.contains("NOSUCHDB")) << d.message.toStdString();
    EXPECT_FALSE(QFile::exists(catalog.folder() + "/NOSUCHDB.db"));
    EXPECT_EQ(embeddedDatabaseNames(), QStringList({"TESTDB"}));
    EXPECT_EQ(s.connect("../TESTDB"), kError);
    EXPECT_EQ(sqlepstart_api(nullptr, nullptr), kSuccess);
}

TEST_F(EmbeddedCli, DataSourcesListTheCatalogFirst) {
    catalog.createDatabase("ALPHA");
    CliHandle env = nullptr;
    SQLAllocEnv(&env);
    QStringList names;
    char name[33], desc[256];
    int16_t nameLen = 0, descLen = 0;
    int16_t direction = kFetchFirst;
    while (SQLDataSources(env, direction, name, 32, &nameLen, desc, 255, &descLen) == kSuccess) {
        names << QString::fromUtf8(name, nameLen);
        direction = kFetchNext;
    }
    SQLFreeEnv(env);
    ASSERT_GE(names.size(), 2);
    EXPECT_EQ(names.mid(0, 2), QStringList({"ALPHA", "TESTDB"}));
}

TEST_F(EmbeddedCli, DeclaredTypesGiveTypeCodesSizesAndDecimals) {
    Session s;
    ASSERT_EQ(s.connect("testdb"), kSuccess);
    ASSERT_EQ(s.exec("CREATE TABLE T (A CHAR(8), B NUMERIC(7,3), C DECIMAL(9,2), D INTEGER, "
                     "E SMALLINT, F FLOAT, G REAL, H DOUBLE, I DATE, J TIME, K TIMESTAMP, "
                     "K0 TIMESTAMP(0), L VARCHAR(60), M BIGINT, N BLOB(1024), O CLOB, "
                     "P DECFLOAT(16), Q DECFLOAT, R XML NOT NULL)"),
              kSuccess);
    ASSERT_EQ(s.exec("SELECT * FROM T"), kSuccess);
    ASSERT_EQ(s.columns(), 19);
    struct Expected {
        int16_t type;
        uint32_t size;
        int16_t decimals;
    };
    const std::array<Expected, 19> expected = {{{1, 8, 0},
                                                {2, 7, 3},
                                                {3, 9, 2},
                                                {4, 10, 0},
                                                {5, 5, 0},
                                                {6, 15, 0},
                                                {7, 7, 0},
                                                {8, 15, 0},
                                                {9, 10, 0},
                                                {10, 8, 0},
                                                {11, 26, 6},
                                                {11, 19, 0},
                                                {12, 60, 0},
                                                {-5, 19, 0},
                                                {-98, 1024, 0},
                                                {-99, 1048576, 0},
                                                {-360, 16, 0},
                                                {-360, 34, 0},
                                                {-370, 0, 0}}};
    for (int c = 0; c < 19; ++c) {
        const auto col = s.describe(c + 1);
        EXPECT_EQ(col.type, expected[c].type) << "column " << c + 1;
        EXPECT_EQ(col.size, expected[c].size) << "column " << c + 1;
        EXPECT_EQ(col.decimals, expected[c].decimals) << "column " << c + 1;
    }
    EXPECT_EQ(s.describe(19).nullable, 0);
    EXPECT_EQ(s.describe(1).nullable, 1);
    EXPECT_EQ(s.fetchAll().size(), 0u);
}

TEST_F(EmbeddedCli, ValuesAndExpressionsAreQueriesTypedFromWhatTheyReturn) {
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    ASSERT_EQ(s.exec("VALUES CURRENT USER"), kSuccess);
    EXPECT_EQ(s.describe(1).name, "1");
    EXPECT_EQ(s.describe(1).type, kTypeVarchar);
    auto rows = s.fetchAll();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_FALSE(rows[0][0].isEmpty());

    ASSERT_EQ(s.exec("VALUES 1, 2"), kSuccess); // two rows of one column
    EXPECT_EQ(s.fetchAll().size(), 2u);
    ASSERT_EQ(s.exec("VALUES (1, 'two', 3.5, 5000000000, NULL);"), kSuccess);
    ASSERT_EQ(s.columns(), 5);
    EXPECT_EQ(s.describe(1).type, kTypeInteger);
    EXPECT_EQ(s.describe(1).size, 10u);
    EXPECT_EQ(s.describe(2).type, kTypeVarchar);
    EXPECT_EQ(s.describe(3).type, kTypeDouble);
    EXPECT_EQ(s.describe(4).type, kTypeBigint);
    rows = s.fetchAll();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], QStringList({"1", "two", "3.5", "5000000000", "<NULL>"}));

    ASSERT_EQ(s.exec("CREATE TABLE M (AMOUNT DECIMAL(9,2))"), kSuccess);
    ASSERT_EQ(s.exec("INSERT INTO M VALUES (1234.5), (7)"), kSuccess);
    ASSERT_EQ(s.exec("SELECT AMOUNT FROM M FETCH FIRST 5 ROWS ONLY"), kSuccess);
    rows = s.fetchAll();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "1234.50");
    EXPECT_EQ(rows[1][0], "7.00");
}

TEST_F(EmbeddedCli, ValuesAreCutToTheBufferOnCharacterBoundaries) {
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    ASSERT_EQ(s.exec(QString::fromUtf8("VALUES 'aé'")), kSuccess);
    char buffer[3];
    int32_t length = 0;
    SQLBindCol(s.stmt_, 1, kCChar, buffer, 3, &length); // room for "a" + half of "é"
    ASSERT_EQ(SQLFetch(s.stmt_), kSuccess);
    EXPECT_STREQ(buffer, "a");
    EXPECT_EQ(length, 3);
    EXPECT_EQ(SQLFetch(s.stmt_), kNoData);
}

TEST_F(EmbeddedCli, ErrorMessageHasThreeBracketedPrefixes) {
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    ASSERT_EQ(s.exec("SELECT * FROM MISSING"), kError);
    const Diag d = s.error();
    EXPECT_EQ(d.native, -204);
    EXPECT_EQ(d.message.count(']'), 3) << d.message.toStdString();
    EXPECT_TRUE(d.message.section(']', 3).trimmed().startsWith("no such table: MISSING"));
}

TEST_F(EmbeddedCli, BuiltInRoutinesServeServerOutputAndAdministration) {
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    // The program's own set-up: the table goes to schema PAVONA, procedures are refused.
    s.exec("DROP TABLE PAVONA.MESSAGES");
    EXPECT_EQ(s.exec("CREATE TABLE PAVONA.MESSAGES ( PRINT_LINE VARCHAR(255) )"), kSuccess);
    EXPECT_EQ(s.exec("CREATE OR REPLACE PROCEDURE PAVONA.CLEAR_BUFFER() BEGIN END "), kError);
    EXPECT_TRUE(s.error().message.contains("CREATE PROCEDURE"));

    EXPECT_EQ(s.exec("CALL DBMS_OUTPUT.PUT_LINE('before enable')"), kSuccess); // dropped
    EXPECT_EQ(s.exec("CALL PAVONA.CLEAR_BUFFER"), kSuccess);
    EXPECT_EQ(s.exec("CALL DBMS_OUTPUT.PUT('It`s ')"), kSuccess);
    EXPECT_EQ(s.exec("CALL DBMS_OUTPUT.PUT_LINE('done')"), kSuccess);
    EXPECT_EQ(s.exec("CALL DBMS_OUTPUT.PUT_LINE('line ' || 2)"), kSuccess);
    EXPECT_EQ(s.exec("CALL DBMS_OUTPUT.NEW_LINE"), kSuccess);
    EXPECT_EQ(s.exec("CALL PAVONA.FLUSH_BUFFER"), kSuccess);
    ASSERT_EQ(s.exec("SELECT PRINT_LINE FROM PAVONA.MESSAGES"), kSuccess);
    auto rows = s.fetchAll();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "It`s done");
    EXPECT_EQ(rows[1][0], "line 2");
    EXPECT_EQ(rows[2][0], "");
    EXPECT_EQ(s.exec("CALL PAVONA.CLEAR_BUFFER"), kSuccess);
    ASSERT_EQ(s.exec("SELECT PRINT_LINE FROM PAVONA.MESSAGES"), kSuccess);
    EXPECT_TRUE(s.fetchAll().empty());

    ASSERT_EQ(s.exec("CREATE TABLE EMP (ID INTEGER NOT NULL, SALARY DECIMAL(9,2))"), kSuccess);
    EXPECT_EQ(s.exec("CALL ADMIN_CMD('RUNSTATS ON TABLE SCHEMA1.EMP WITH DISTRIBUTION ')"),
              kSuccess)
        << s.error().message.toStdString();
    EXPECT_EQ(s.columns(), 0);
    EXPECT_EQ(s.exec("CALL SYSPROC.ADMIN_CMD('REORG TABLE EMP ')"), kSuccess);
    EXPECT_EQ(s.exec("CALL ADMIN_CMD('REORG TABLE NOPE ')"), kError);
    EXPECT_EQ(s.error().native, -204);
    ASSERT_EQ(s.exec("CALL ADMIN_CMD('DESCRIBE TABLE EMP ')"), kSuccess);
    ASSERT_EQ(s.columns(), 5);
    EXPECT_EQ(s.describe(1).name, "COLNAME");
    rows = s.fetchAll();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], QStringList({"ID", "INTEGER", "10", "0", "N"}));
    EXPECT_EQ(rows[1], QStringList({"SALARY", "DECIMAL", "9", "2", "Y"}));

    EXPECT_EQ(s.exec("CALL MYSCHEMA.MYPROC(1)"), kError);
    EXPECT_TRUE(s.error().message.contains("MYSCHEMA.MYPROC"));
    EXPECT_EQ(s.exec("CALL DBMS_OUTPUT.PUT_LINE()"), kError);
    EXPECT_EQ(s.exec("CALL ADMIN_CMD('BACKUP DATABASE X')"), kError);
}

TEST_F(EmbeddedCli, DatabasesKeepAWriteAheadLogSyncedAtEveryCommit) {
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    ASSERT_EQ(s.exec("PRAGMA synchronous"), kSuccess);
    EXPECT_EQ(s.fetchAll(), std::vector<QStringList>({{"2"}}));
    ASSERT_EQ(s.exec("CREATE TABLE T (A INTEGER)"), kSuccess);
    ASSERT_EQ(s.exec("INSERT INTO T VALUES (7)"), kSuccess);
    // Another program reads what was committed while the connection stays open.
    sqlite3 *reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(catalog.folder() + "/TESTDB.db").constData(),
                              &reader, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader, "PRAGMA journal_mode", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)), "wal");
    sqlite3_finalize(stmt);
    ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT A FROM T", -1, &stmt, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), 7);
    sqlite3_finalize(stmt);
    sqlite3_close(reader);
}

TEST_F(EmbeddedCli, RoutineLibraryIsLoadedWhenPresentAndOptionalOtherwise) {
    // Beside the test program lies the routine library when it has been built.
    const bool built = QFile::exists(QStringLiteral(PAVONA_BIN_DIR) + "/libpavona.so");
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    const int rc = s.exec("SELECT name FROM pragma_function_list WHERE name LIKE '%search%'");
    ASSERT_EQ(rc, kSuccess);
    if (built) {
        EXPECT_FALSE(s.fetchAll().empty());
    }
    qputenv("PAVONA_ROUTINE_LIBRARY", "/nonexistent/libpavona.so");
    Session without;
    EXPECT_EQ(without.connect("TESTDB"), kSuccess);
    qunsetenv("PAVONA_ROUTINE_LIBRARY");
}

TEST_F(EmbeddedCli, UntypedColumnsAreDescribedFromEveryRowNotTheFirst) {
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    ASSERT_EQ(s.exec("CREATE TABLE K (K INTEGER)"), kSuccess);
    ASSERT_EQ(s.exec("INSERT INTO K VALUES (0), (1), (2)"), kSuccess);
    ASSERT_EQ(s.exec("SELECT K * 100000000000, CASE WHEN K < 2 THEN K ELSE -12345678901 END, "
                     "CASE WHEN K = 0 THEN 7 ELSE 'a longer text than any number' END, "
                     "CASE WHEN K = 0 THEN X'AB' ELSE X'0102030405060708' END, K / 2.0 "
                     "FROM K ORDER BY K"),
              kSuccess);
    const Session::Column big = s.describe(1), mixed = s.describe(3), blob = s.describe(4);
    CliHandle stmt = nullptr;
    EXPECT_EQ(big.type, kTypeBigint);
    EXPECT_EQ(s.describe(2).type, kTypeBigint);
    EXPECT_EQ(mixed.type, kTypeVarchar);
    EXPECT_GE(mixed.size, 29u);
    EXPECT_EQ(blob.type, kTypeBlob);
    EXPECT_EQ(blob.size, 16u); // the hexadecimal digits of the longest value
    EXPECT_EQ(s.describe(5).type, kTypeDouble);
    // Bound as the program binds them: the described size and 16 bytes more.
    const auto rows = s.fetchAll(static_cast<int>(big.size) + 16);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][0], "100000000000");
    EXPECT_EQ(rows[2][0], "200000000000");
    EXPECT_EQ(rows[2][1], "-12345678901");
    EXPECT_EQ(rows[1][2], "a longer text than any number");
    EXPECT_EQ(rows[2][3], "0102030405060708");
    EXPECT_EQ(rows[1][4], "0.5");

    // Whole numbers are INTEGER only when every row delivered was seen to fit one: past
    // the look-ahead a wider value may still come.
    const char *manyRows = "WITH RECURSIVE N(I) AS (VALUES (1) UNION ALL SELECT I + 1 FROM N "
                           "WHERE I < 1500) SELECT CASE WHEN I = 1400 THEN 5000000000 ELSE I END "
                           "FROM N";
    ASSERT_EQ(s.exec(manyRows), kSuccess);
    EXPECT_EQ(s.describe(1).type, kTypeBigint);
    EXPECT_EQ(s.fetchAll().size(), 1500u);
    ASSERT_EQ(SQLAllocStmt(s.dbc_, &stmt), kSuccess);
    ASSERT_EQ(SQLSetStmtAttr(stmt, kAttrMaxRows, 1300, kNullTerminated), kSuccess);
    ASSERT_EQ(SQLExecDirect(stmt, manyRows, kNullTerminated), kSuccess);
    int16_t type = 0;
    SQLDescribeCol(stmt, 1, nullptr, 0, nullptr, &type, nullptr, nullptr, nullptr);
    EXPECT_EQ(type, kTypeInteger);
    SQLFreeStmt(stmt, kDrop);

    // A row limit on the statement ends the rows, and the look-ahead, there.
    ASSERT_EQ(SQLAllocStmt(s.dbc_, &stmt), kSuccess);
    ASSERT_EQ(SQLSetStmtAttr(stmt, kAttrMaxRows, 2, kNullTerminated), kSuccess);
    ASSERT_EQ(SQLExecDirect(stmt, "SELECT K FROM K ORDER BY K", kNullTerminated), kSuccess);
    EXPECT_EQ(SQLFetch(stmt), kSuccess);
    EXPECT_EQ(SQLFetch(stmt), kSuccess);
    EXPECT_EQ(SQLFetch(stmt), kNoData);
    SQLFreeStmt(stmt, kDrop);

    // A failure after the rows stepped in advance comes after them, in order.
    ASSERT_EQ(s.exec("SELECT CASE WHEN K < 2 THEN K ELSE abs(-9223372036854775807 - 1) END "
                     "FROM K"),
              kSuccess);
    EXPECT_EQ(SQLFetch(s.stmt_), kSuccess);
    EXPECT_EQ(SQLFetch(s.stmt_), kSuccess);
    EXPECT_EQ(SQLFetch(s.stmt_), kError);
    EXPECT_TRUE(s.error().message.contains("overflow")) << s.error().message.toStdString();
}

TEST_F(EmbeddedCli, FileThatIsNoDatabaseFailsAtConnectAndStaysUntouched) {
    const QString path = catalog.folder() + "/JUNK.db";
    QFile junk(path);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    const QByteArray text = QByteArray("just some notes, not a database\n").repeated(40);
    junk.write(text);
    junk.close();
    Session s;
    EXPECT_EQ(s.connect("JUNK"), kError);
    const Diag d = s.error();
    EXPECT_EQ(d.state, "08001");
    EXPECT_TRUE(d.message.contains("file is not a database")) << d.message.toStdString();
    ASSERT_TRUE(junk.open(QIODevice::ReadOnly));
    EXPECT_EQ(junk.readAll(), text);
    EXPECT_FALSE(QFile::exists(path + "-journal"));
    EXPECT_FALSE(QFile::exists(path + "-wal"));
}

TEST_F(EmbeddedCli, DeclaredTypesAreEnforcedWithAServersStates) {
    Session s;
    ASSERT_EQ(s.connect("TESTDB"), kSuccess);
    ASSERT_EQ(s.exec("CREATE TABLE T (ID INTEGER NOT NULL, CODE VARCHAR(3), DAY DATE, "
                     "AT TIME, STAMP TIMESTAMP, AMOUNT DECIMAL(5,2), SMALL SMALLINT, "
                     "\"Odd, name\" CHAR(2), NOTE VARCHAR, \"Say \"\"hi\"\"\" CHAR(2), "
                     "PRIMARY KEY (ID))"),
              kSuccess)
        << s.error().message.toStdString();
    // What a server takes, including text that converts to the column's type.
    EXPECT_EQ(s.exec("INSERT INTO T VALUES ('12', 'abc', '2024-02-29', '23:59:59', "
                     "'2024-01-02 03:04:05.123456', 999.99, -32768, 'ok', "
                     "'any length at all, as the engine keeps unbounded text', 'ok')"),
              kSuccess)
        << s.error().message.toStdString();
    EXPECT_EQ(s.exec("INSERT INTO T (ID) VALUES (13)"), kSuccess);
    struct Refused {
        const char *sql;
        const char *state;
    };
    const Refused refused[] = {
        {"INSERT INTO T (ID) VALUES ('abc')", "22018"},
        {"INSERT INTO T (ID, CODE) VALUES (1, 'abcdefghijklmnopqrstuvwxyz')", "22001"},
        {"INSERT INTO T (ID, DAY) VALUES (1, 'afternoon')", "22007"},
        {"INSERT INTO T (ID, DAY) VALUES (1, '2023-02-29')", "22007"},
        {"INSERT INTO T (ID, AT) VALUES (1, 'noon')", "22007"},
        {"INSERT INTO T (ID, STAMP) VALUES (1, '2024-01-02 25:00:00')", "22007"},
        {"INSERT INTO T (ID, AMOUNT) VALUES (1, 1000)", "22003"},
        {"INSERT INTO T (ID, SMALL) VALUES (1, 32768)", "22003"},
        {"INSERT INTO T (ID, \"Odd, name\") VALUES (1, 'xyz')", "22001"},
        {"INSERT INTO T (ID, \"Say \"\"hi\"\"\") VALUES (1, 'xyz')", "22001"},
        {"UPDATE T SET CODE = 'long' WHERE ID = 12", "22001"},
        {"UPDATE T SET AMOUNT = 'many' WHERE ID = 12", "22018"},
    };
    for (const Refused &r : refused) {
        EXPECT_EQ(s.exec(r.sql), kError) << r.sql;
        const Diag d = s.error();
        EXPECT_EQ(d.state, r.state) << r.sql << ": " << d.message.toStdString();
        EXPECT_EQ(d.message.count(']'), 3) << d.message.toStdString();
        EXPECT_TRUE(d.message.endsWith(QString("SQLSTATE=") + r.state)) << d.message.toStdString();
    }
    ASSERT_EQ(s.exec("SELECT COUNT(*), MAX(CODE) FROM T"), kSuccess);
    EXPECT_EQ(s.fetchAll(), std::vector<QStringList>({{"2", "abc"}}));

    // A table made before the rules came keeps taking what it always took.
    ASSERT_EQ(s.exec("DROP TABLE T"), kSuccess);
    s.exec("SELECT 1");
    SQLFreeStmt(s.stmt_, kDrop);
    s.stmt_ = nullptr;
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(catalog.folder() + "/TESTDB.db").constData(), &db),
              SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db, "CREATE TABLE OLD (N INTEGER, V VARCHAR(3))", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(s.exec("INSERT INTO OLD VALUES ('abc', 'abcdef')"), kSuccess)
        << s.error().message.toStdString();
}

TEST(StatementWords, LiteralsNamesAndCommentsHoldNoWords) {
    using cli::statementWords;
    EXPECT_EQ(statementWords("BEGIN /* COMMIT /* nested */ END */ -- ROLLBACK\n;"),
              QStringList({"BEGIN"}));
    EXPECT_EQ(statementWords(R"(SELECT 'COMMIT', E'it\'s END', "ROLLBACK", x'41', $b$ END $b$)"),
              QStringList({"SELECT"}));
    EXPECT_EQ(statementWords("with t as (insert into a values ($1)) select 1", 4),
              QStringList({"WITH", "T", "AS", "INSERT"}));
}
