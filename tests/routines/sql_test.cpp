#include "routine_library.h"

#include <sqlite3.h>

#include <vector>

namespace {

// An in-memory SQLite connection with the routine library loaded as an extension, as
// the embedded engine loads it.
class RoutinesInSql : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr);
        char *error = nullptr;
        const int rc = sqlite3_load_extension(db_, PAVONA_ROUTINES_LIBRARY, nullptr, &error);
        ASSERT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "");
    }

    void TearDown() override { sqlite3_close(db_); }

    // Every row of a query, each column as text ("<null>" for NULL); sets error_ on failure.
    std::vector<std::vector<std::string>> query(const std::string &sql) {
        std::vector<std::vector<std::string>> rows;
        error_.clear();
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            error_ = sqlite3_errmsg(db_);
            return rows;
        }
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto *text = sqlite3_column_text(statement, c);
                row.push_back(text != nullptr ? reinterpret_cast<const char *>(text) : "<null>");
            }
            rows.push_back(row);
        }
        if (rc != SQLITE_DONE) error_ = sqlite3_errmsg(db_);
        sqlite3_finalize(statement);
        return rows;
    }

    std::string value(const std::string &sql) {
        const auto rows = query(sql);
        EXPECT_EQ(error_, "") << sql;
        return rows.size() == 1 && rows[0].size() == 1 ? rows[0][0] : "<no single value>";
    }

    TemporaryDataHome home_;
    sqlite3 *db_ = nullptr;
    std::string error_;
};

TEST_F(RoutinesInSql, SearchAndPauseAreScalarFunctions) {
    EXPECT_EQ(value("SELECT SEARCH('[0-9]*[0-9]', 'ABC123')"), "4");
    EXPECT_EQ(value("SELECT SEARCH('XYZ', 'ABC123')"), "0");
    EXPECT_EQ(value("SELECT SEARCH('[0-9]', 2026)"), "1") << "a number is searched as text";
    EXPECT_EQ(value("SELECT SEARCH(NULL, 'abc')"), "<null>");
    EXPECT_EQ(value("SELECT PAUSE(0)"), "0");
    EXPECT_EQ(value("SELECT PAUSE(-3000000000)"), "0") << "clamped, not wrapped into a sleep";
    EXPECT_EQ(value("SELECT PAUSE(NULL)"), "<null>");

    query("SELECT SEARCH('" + std::string(40, 'a') + "', 'a')");
    EXPECT_NE(error_.find("more than 31 elements"), std::string::npos) << error_;
    EXPECT_NE(error_.find("SQLSTATE=38601"), std::string::npos) << error_;
}

TEST_F(RoutinesInSql, AirportsIsATableFunction) {
    const auto rows = query("SELECT * FROM AIRPORTS");
    EXPECT_EQ(error_, "");
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.front(), (std::vector<std::string>{"Toronto", "YYZ"}));
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"San Jose", "SJC"}));
    EXPECT_EQ(value("SELECT CODE FROM AIRPORTS WHERE CITY = 'Tokyo'"), "NRT");
    // The inner scan is closed and reopened once per outer row.
    EXPECT_EQ(value("SELECT COUNT(*) FROM AIRPORTS a, AIRPORTS b WHERE b.CODE >= a.CODE"), "78");
    EXPECT_EQ(value("SELECT COUNT(*) FROM AIRPORTS WHERE SEARCH('San ', CITY) = 1"), "2");
}

TEST_F(RoutinesInSql, AirportsWithoutAUsableFolderIsAnEmptyTable) {
    setenv("XDG_DATA_HOME", "/proc/pavona-nowhere", 1);
    EXPECT_EQ(value("SELECT COUNT(*) FROM AIRPORTS"), "0");
}

} // namespace
