#include "core/sql_scanner.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlScanner, QuotedTextEndsAtItsOwnUndoubledQuote) {
    struct Case {
        const char *text;
        qsizetype at;
        qsizetype end;
    };
    for (const Case &c :
         {Case{"'it''s' x", 0, 7}, Case{"\"a'b\" x", 0, 5}, Case{"'a\"b' x", 0, 5},
          Case{"''", 0, 2}, Case{"x ''''", 2, 6}, Case{"'open''", 0, 7}, Case{"'open", 0, 5},
          Case{"x 'y'", 0, -1}, Case{"-- 'y'", 0, -1}, Case{"'", 1, -1}}) {
        EXPECT_EQ(quotedEnd(QString::fromUtf8(c.text), c.at), c.end) << c.text;
    }
    // Going on from a line before: only the quote that opened it closes it.
    EXPECT_EQ(closingQuoteEnd(u"a\"'' b' c", 0, u'\''), 7);
    EXPECT_EQ(closingQuoteEnd(u"'' still open", 0, u'\''), -1);
}

} // namespace
