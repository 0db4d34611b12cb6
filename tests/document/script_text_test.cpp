// Text rules of script rows: hidden sections, tags, comment joining and reflow.
#include "document/script_text.h"

#include <gtest/gtest.h>

using namespace ScriptText;

TEST(ScriptText, HiddenSectionsShowOnlyTheVisibleStatement) {
    EXPECT_EQ(getRawSQL("SELECT 1 FROM T;\r--##setup\rCREATE TABLE T (A INT);\r--##"),
              "SELECT 1 FROM T;\r");
    EXPECT_EQ(getRawSQL("--##Preparing the tables\rDROP TABLE T;\r--##"), "Preparing the tables");
    EXPECT_EQ(getRawSQL("--##\rDROP TABLE T;\r--##"), "Hidden SQL");
    // An opening marker without a closing one changes nothing.
    EXPECT_EQ(getRawSQL("SELECT 1;\r--##open\rSELECT 2;"), "SELECT 1;\r--##open\rSELECT 2;");
    // Later sections count only where their opening marker has no label.
    EXPECT_EQ(getRawSQL("A;\r--##one\rB;\r--##\rC;\r--##\rD;\r--##\rE;"), "A;\rC;\rE;");
}

TEST(ScriptText, AHiddenSectionNeverHidesAChildProgram) {
    for (const QString hidden :
         {"HOST rm -rf ~/x", "! curl example.com", "CMD id", "NORQSET -all", "CLP FILE x.sql",
          "JSON~db.find();~/", "NORQ~LIST DB DIRECTORY~/"}) {
        const QString text =
            "SELECT 1;\r--##formats\r" + QString(hidden).replace('~', '\r') + "\r--##";
        EXPECT_EQ(getRawSQL(text), removeComments(text)) << hidden.toStdString();
    }
    // A visible one leaves the other hidden sections hidden.
    EXPECT_EQ(getRawSQL("HOST date;\r--##setup\rCOLUMN A FORMAT A9;\r--##"), "HOST date;\r");
    EXPECT_EQ(getRawSQL("--##x\rSELECT 'HOST x' FROM T;\r--##"), "x");
}

TEST(ScriptText, RemoveCommentsDropsOnlyMarkerLines) {
    const QString plain = "SELECT 1\r\r  FROM T;\r";
    EXPECT_EQ(removeComments(plain), plain); // byte for byte without markers
    EXPECT_EQ(removeComments("--##label\r\rCREATE TABLE T (A INT);\r  --##\rSELECT 1;"),
              "CREATE TABLE T (A INT);\rSELECT 1;");
}

TEST(ScriptText, StripCrAndCarets) {
    EXPECT_EQ(stripCR("  \r\rtext \r "), "text \r");
    EXPECT_EQ(trimCarriageReturns("\r\ra\rb\r"), "a\rb");
    EXPECT_EQ(removeCarets("a^^b^-c^"), "a^b-c");
}

TEST(ScriptText, CommentTags) {
    const CommentTag heading = parseCommentTag("{h2:Setup} Installing the tables");
    EXPECT_EQ(heading.code, QChar(u'2'));
    EXPECT_EQ(heading.anchor, "SETUP");
    EXPECT_EQ(heading.content, "Installing the tables");
    EXPECT_EQ(parseCommentTag("{image}  pic.png").code, QChar(u'I'));
    EXPECT_EQ(parseCommentTag("{Sql} select").code, QChar(u'S'));
    EXPECT_TRUE(parseCommentTag("{H9} not a heading").code.isNull());
    EXPECT_TRUE(parseCommentTag("{NOTE} not a tag").code.isNull());
    EXPECT_TRUE(parseCommentTag("} backwards {h1").code.isNull());
    // A colon after the closing brace is no anchor.
    const CommentTag plain = parseCommentTag("{h1} Time: now");
    EXPECT_EQ(plain.code, QChar(u'1'));
    EXPECT_EQ(plain.anchor, "");
    EXPECT_EQ(plain.content, "Time: now");
}

TEST(ScriptText, JoiningCommentLines) {
    EXPECT_EQ(
        joinCommentLines({"", "  First line", "second  ", "", "- item", "more", "third"}, false),
        "First line second\r\r- item\rmore third");
    EXPECT_EQ(joinCommentLines({"", " code  ", "", "  more"}, true), " code  \r\r  more");
}

TEST(ScriptText, ReflowWrapsAtSixtyAndKeepsBulletsWhole) {
    const QString words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu";
    const QStringList lines = reflowTokens(commentTokens({words, "", "- " + words + " " + words}));
    ASSERT_GE(lines.size(), 4);
    for (const QString &line : lines) {
        EXPECT_TRUE(line.startsWith("  "));
        if (!line.trimmed().startsWith('-')) {
            EXPECT_LE(line.size() - 2, 60) << line.toStdString();
        }
    }
    EXPECT_TRUE(lines.contains("  "));                            // the paragraph break
    EXPECT_TRUE(lines.last().startsWith("  - alpha"));            // the bullet, unwrapped
    EXPECT_EQ(lines.last().size(), 2 + 2 + 2 * words.size() + 1); // "- " + words + " " + words
}

TEST(ScriptText, ReflowNeverWritesAnEmptyLineForALongWord) {
    const QString url(70, u'x');
    const QStringList lines = reflowTokens(commentTokens({"a", "", url}));
    EXPECT_EQ(lines, QStringList({"  a", "  ", "  " + url}));
}

TEST(ScriptText, HeadingEdits) {
    HeadingEdit edit = parseHeadingEdit(" [Setup] Installing ");
    EXPECT_EQ(edit.anchor, "Setup");
    EXPECT_EQ(edit.text, "Installing");
    edit = parseHeadingEdit("[no close Title");
    EXPECT_EQ(edit.anchor, "");
    EXPECT_EQ(edit.text, "[no close Title");
    edit = parseHeadingEdit("Plain title");
    EXPECT_EQ(edit.anchor, "");
    EXPECT_EQ(edit.text, "Plain title");
}
