#include "routine_library.h"

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace {

struct Row {
    std::string city;
    std::string code; // "<null>" when the code indicator is negative
    bool operator==(const Row &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Row &row) {
    return out << row.city << "/" << row.code;
}

// Drives the table function as a server does: open, fetch to "02000", close.
class AirportsScan {
public:
    explicit AirportsScan(const RoutineLibrary &library) : library_(library) {
        scratchpad_.length = sizeof scratchpad_.data;
    }

    std::string call(int32_t callType) {
        char sqlstate[PAVONA_SQLSTATE_SIZE] = "00000";
        char message[PAVONA_MESSAGE_SIZE] = "";
        city_[0] = code_[0] = '\0';
        cityNull_ = codeNull_ = -99;
        library_.airports(city_, code_, &cityNull_, &codeNull_, sqlstate, "AIRPORTS", "AIRPORTS",
                          message, &scratchpad_, &callType);
        return sqlstate;
    }

    std::vector<Row> fetchAll() {
        std::vector<Row> rows;
        while (call(PAVONA_CALL_FETCH) == "00000" && rows.size() < 100) {
            EXPECT_EQ(cityNull_, 0);
            rows.push_back({city_, codeNull_ < 0 ? "<null>" : code_});
        }
        return rows;
    }

    std::vector<Row> scan() {
        EXPECT_EQ(call(PAVONA_CALL_OPEN), "00000");
        std::vector<Row> rows = fetchAll();
        EXPECT_EQ(call(PAVONA_CALL_CLOSE), "00000");
        return rows;
    }

private:
    const RoutineLibrary &library_;
    PavonaScratchpad scratchpad_{};
    char city_[PAVONA_AIRPORT_FIELD_SIZE];
    char code_[PAVONA_AIRPORT_FIELD_SIZE];
    int16_t cityNull_ = 0;
    int16_t codeNull_ = 0;
};

const std::vector<Row> initialRows = {
    {"Toronto", "YYZ"},     {"Vancouver", "YVR"}, {"San Francisco", "SFO"}, {"Chicago", "ORD"},
    {"Los Angeles", "LAX"}, {"Tokyo", "NRT"},     {"Hong Kong", "HKG"},     {"Singapore", "SIN"},
    {"London", "LHR"},      {"Sydney", "SYD"},    {"Melbourne", "MEL"},     {"San Jose", "SJC"},
};

TEST(Airports, CreatesItsFileAndReturnsTheTwelveRowsThenEndOfTable) {
    TemporaryDataHome home;
    RoutineLibrary library;
    ASSERT_NE(library.airports, nullptr);
    AirportsScan scan(library);
    EXPECT_EQ(scan.scan(), initialRows);
    const std::string file = readFile(home.airportsFile());
    EXPECT_EQ(file.substr(0, 13), "Toronto,YYZ;\n");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 12);
    EXPECT_EQ(scan.call(PAVONA_CALL_FETCH), "02000") << "a closed table stays at its end";
    EXPECT_EQ(scan.scan(), initialRows) << "a second open reads the kept file again";
}

TEST(Airports, ReadsAnEditedFileLineByLine) {
    TemporaryDataHome home;
    const std::string longCity(60, 'x');
    writeFile(home.airportsFile(), "Oslo,OSL;\r\n"
                                   "\n"
                                   "Nowhere;\n" +
                                       longCity +
                                       ",LONG;\n"
                                       "Rome,FCO\n"
                                       "Lima,LIM;extra");
    RoutineLibrary library;
    AirportsScan scan(library);
    const std::vector<Row> expected = {{"Oslo", "OSL"},
                                       {"Nowhere", "<null>"},
                                       {std::string(49, 'x'), "<null>"},
                                       {"Rome", "FCO"},
                                       {"Lima", "LIM"}};
    EXPECT_EQ(scan.scan(), expected);
}

TEST(Airports, EveryFailureIsTheEndOfTheTable) {
    TemporaryDataHome home;
    RoutineLibrary library;
    {
        AirportsScan scan(library);
        EXPECT_EQ(scan.call(PAVONA_CALL_FETCH), "02000") << "fetch before open";
        EXPECT_EQ(scan.call(PAVONA_CALL_CLOSE), "00000") << "close before open";
        EXPECT_EQ(scan.call(PAVONA_CALL_FIRST), "00000");
    }
    // A data folder others may write to is not trusted with the file.
    const std::string folder = home.path() + "/pavona";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    AirportsScan scan(library);
    EXPECT_EQ(scan.call(PAVONA_CALL_OPEN), "02000");
    EXPECT_EQ(scan.call(PAVONA_CALL_FETCH), "02000");
    EXPECT_EQ(scan.call(PAVONA_CALL_CLOSE), "00000");
    EXPECT_FALSE(std::filesystem::exists(home.airportsFile()));
}

TEST(Airports, TooSmallAScratchpadEndsTheTable) {
    TemporaryDataHome home;
    RoutineLibrary library;
    PavonaScratchpad scratchpad{};
    scratchpad.length = 4;
    char city[PAVONA_AIRPORT_FIELD_SIZE], code[PAVONA_AIRPORT_FIELD_SIZE], message[71] = "";
    int16_t cityNull = 0, codeNull = 0;
    char sqlstate[PAVONA_SQLSTATE_SIZE] = "00000";
    const int32_t open = PAVONA_CALL_OPEN;
    library.airports(city, code, &cityNull, &codeNull, sqlstate, "A", "A", message, &scratchpad,
                     &open);
    EXPECT_STREQ(sqlstate, "02000");
    for (char byte : scratchpad.data)
        ASSERT_EQ(byte, 0);
}

TEST(Pause, ReturnsZeroAndSleepsOnlyForAPositiveDuration) {
    RoutineLibrary library;
    ASSERT_NE(library.pause, nullptr);
    auto call = [&](int32_t milliseconds, int16_t argumentNull = 0) {
        int32_t result = -1;
        int16_t resultNull = -99;
        char sqlstate[PAVONA_SQLSTATE_SIZE] = "00000";
        char message[PAVONA_MESSAGE_SIZE] = "";
        library.pause(&milliseconds, &result, &argumentNull, &resultNull, sqlstate, "PAUSE",
                      "PAUSE", message);
        EXPECT_STREQ(sqlstate, "00000");
        return std::pair{result, resultNull};
    };
    EXPECT_EQ(call(0), std::pair(0, int16_t{0}));
    EXPECT_EQ(call(-5), std::pair(0, int16_t{0})) << "a negative duration does not sleep";
    EXPECT_EQ(call(1000000, -1).second, -1) << "NULL in, NULL out, no sleep";

    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(call(30), std::pair(0, int16_t{0}));
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30));
}

} // namespace
