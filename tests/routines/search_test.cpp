#include "routine_library.h"

#include <cstring>
#include <string>

namespace {

struct SearchOutcome {
    int32_t result = -99;
    int16_t resultNull = -99;
    std::string sqlstate;
    std::string message;
};

class Search : public ::testing::Test {
protected:
    SearchOutcome call(const char *pattern, const char *text, int16_t patternNull = 0,
                       int16_t textNull = 0) {
        SearchOutcome outcome;
        char sqlstate[PAVONA_SQLSTATE_SIZE] = "00000";
        // Guard bytes after the message catch a routine writing past its 70 characters.
        char message[PAVONA_MESSAGE_SIZE + 8];
        std::memset(message, '#', sizeof message);
        message[0] = '\0';
        library.search(pattern, text, &outcome.result, &patternNull, &textNull, &outcome.resultNull,
                       sqlstate, "SEARCH", "SEARCH", message);
        for (size_t i = PAVONA_MESSAGE_SIZE; i < sizeof message; ++i)
            EXPECT_EQ(message[i], '#') << "message overrun at " << i;
        outcome.sqlstate = sqlstate;
        outcome.message = message;
        return outcome;
    }

    // Position of a match, failing the test when the routine did not answer normally.
    int32_t position(const char *pattern, const char *text) {
        const SearchOutcome outcome = call(pattern, text);
        EXPECT_EQ(outcome.sqlstate, "00000") << pattern;
        EXPECT_EQ(outcome.resultNull, 0) << pattern;
        return outcome.result;
    }

    RoutineLibrary library;
};

TEST_F(Search, DigitClassesCountsAndLiterals) {
    ASSERT_NE(library.search, nullptr);
    EXPECT_EQ(position("[0-9]*[0-9]", "ABC123"), 4);
    EXPECT_EQ(position("XYZ", "ABC123"), 0);
    EXPECT_EQ(position("3[0-9]", "12a345"), 4);
    EXPECT_EQ(position("C1", "ABC123"), 3);
    EXPECT_EQ(position("c", "ABC"), 0) << "matching is case-sensitive";
    EXPECT_EQ(position("0", "a0"), 2) << "0 is an ordinary character, not a count";
    EXPECT_EQ(position("A]B", "xAB"), 2) << "a stray ] is ignored";
    EXPECT_EQ(position("[\x80-\xff]", "ab\xc3\xa9"), 3) << "bytes compare unsigned";
}

TEST_F(Search, QuestionMarkTakesTheTerminatingNul) {
    EXPECT_EQ(position("A?", "A"), 1);
    EXPECT_EQ(position("A??", "A"), 0);
    EXPECT_EQ(position("~?", "A"), 1) << "? is never negated";
}

TEST_F(Search, NextAttemptStartsAfterTheFailingByte) {
    EXPECT_EQ(position("AB", "AAB"), 0);
    EXPECT_EQ(position("AB", "xAB"), 2) << "a later attempt reports its 1-based start";
    EXPECT_EQ(position("AB", "AxAB"), 3);
    EXPECT_EQ(position("2A", "AxAA"), 3);
}

TEST_F(Search, NegationMatchesTheTerminatingNul) {
    EXPECT_EQ(position("~A", "A"), 2);
    EXPECT_EQ(position("~A", "BA"), 1);
    EXPECT_EQ(position("~[0-9]", "12x"), 3);
}

TEST_F(Search, BlanksMatchZeroOrMoreBlanks) {
    EXPECT_EQ(position("AB ", "xAB"), 2);
    EXPECT_EQ(position("A   B", "AB"), 1);
    EXPECT_EQ(position("A B", "A    B"), 1);
    EXPECT_EQ(position("A 2B", "A B"), 0) << "a count before a blank is dropped, not kept";
    EXPECT_EQ(position("A 2B", "ABB"), 1);
}

TEST_F(Search, BracketRangesInEitherOrderAndSeparators) {
    EXPECT_EQ(position("[9-0]", "x5"), 2);
    EXPECT_EQ(position("[z-a]", "1m"), 2);
    EXPECT_EQ(position("[a,b c]", "xyc"), 3);
    EXPECT_EQ(position("[[q]", "a[q"), 3) << "a further [ separates";
    EXPECT_EQ(position("[-a]", "x-"), 2) << "a leading - is itself";
    EXPECT_EQ(position("[a-]", "x-"), 2) << "a trailing - is itself";
    EXPECT_EQ(position("[]", "abc"), 0) << "an empty set matches nothing";
}

TEST_F(Search, ZeroOrMoreThatRunsIntoTheEndStillMatches) {
    EXPECT_EQ(position("A*?", "AB"), 1);
    EXPECT_EQ(position("X*~A", "XBC"), 1);
    EXPECT_EQ(position("X*~A*[0-9]", "XBC"), 1);
    EXPECT_EQ(position("X*~AB", "XBC"), 0) << "a byte still needed after the end is no match";
}

TEST_F(Search, OpenChoicesAreSafe) {
    EXPECT_EQ(position("", "abc"), 1) << "the empty pattern matches at the start";
    EXPECT_EQ(position("*~", "abc"), 1) << "modifiers alone make no element";
    EXPECT_EQ(position("x[0-9", "ax7"), 2) << "an unclosed bracket ends with the pattern";

    const std::string longest(PAVONA_SEARCH_MAX_ELEMENTS, 'a');
    EXPECT_EQ(position(longest.c_str(), ("b" + longest).c_str()), 2);

    const std::string tooLong(PAVONA_SEARCH_MAX_ELEMENTS + 1, 'a');
    const SearchOutcome outcome = call(tooLong.c_str(), tooLong.c_str());
    EXPECT_EQ(outcome.sqlstate, "38601");
    EXPECT_EQ(outcome.resultNull, -1);
    EXPECT_NE(outcome.message.find("31 elements"), std::string::npos);
}

TEST_F(Search, NullArgumentGivesNullResult) {
    EXPECT_EQ(call("a", "a", -1, 0).resultNull, -1);
    EXPECT_EQ(call("a", "a", 0, -1).resultNull, -1);
}

} // namespace
