#include "engine/statements.h"
#include "fake_windows.h"

namespace {

class Statements : public EngineTest {};

QStringList argList() {
    QStringList list;
    for (int i = 1; i <= engine.argCount; ++i)
        list << engine.args[i];
    return list;
}

const QString CR = QStringLiteral("\r");

TEST_F(Statements, StripLineRemovesCaretsAndTrailingComments) {
    EXPECT_EQ(stripLine("a^^b^c^", false), "a^bc");
    EXPECT_EQ(stripLine("SELECT 1 FROM T; -- one", true), "SELECT 1 FROM T; ");
    EXPECT_EQ(stripLine("SELECT 1 FROM T; -- one", false), "SELECT 1 FROM T; -- one");
    EXPECT_EQ(stripLine("ends in --", true), "ends in --");
    EXPECT_EQ(stripLine("SELECT '--x' FROM T", true), "SELECT '");
    EXPECT_EQ(stripLine("--# keep -- this", true), "--# keep -- this");
    engine.spoolOpen = true;
    EXPECT_EQ(stripLine("SELECT 1 -- kept while spooling", true),
              "SELECT 1 -- kept while spooling");
    engine.spoolOpen = false;
}

TEST_F(Statements, FindUnquotedSkipsQuotedText) {
    EXPECT_EQ(findUnquoted("a;b", ";"), 2);
    EXPECT_EQ(findUnquoted("'a;b'", ";"), 0);
    EXPECT_EQ(findUnquoted("'it''s';", ";"), 8);
    EXPECT_EQ(findUnquoted("\"x'\";", ";"), 5);
    EXPECT_EQ(findUnquoted("a * / */", "*/"), 7);
    EXPECT_EQ(findUnquoted("'*/' x", "*/"), 0);
    EXPECT_EQ(findUnquoted("abc", ""), 0);
}

TEST_F(Statements, ClassifyLineCodesAndComments) {
    QString comment = "untouched";
    bool blockMode = false;
    EXPECT_EQ(classifyLine("   ", comment, blockMode), 0);
    EXPECT_EQ(classifyLine("SELECT 'a;b' FROM T", comment, blockMode), 1);
    EXPECT_EQ(comment, "untouched");
    EXPECT_EQ(classifyLine("SELECT 'it''s' FROM T;", comment, blockMode), 2);
    EXPECT_EQ(classifyLine("SELECT 1 FROM T; -- one", comment, blockMode), 2);
    EXPECT_EQ(classifyLine("/", comment, blockMode), 4);
    EXPECT_EQ(classifyLine("  /;  ", comment, blockMode), 4);
    EXPECT_EQ(classifyLine("/  go", comment, blockMode), 4);
    EXPECT_EQ(classifyLine("/*  start   of it", comment, blockMode), 5);
    EXPECT_EQ(comment, "start of it");
    EXPECT_EQ(classifyLine("still a comment */ ", comment, blockMode), 6);
    EXPECT_EQ(comment, "still a comment");
    EXPECT_EQ(classifyLine("SELECT '*/' FROM T;", comment, blockMode), 2);
    EXPECT_EQ(classifyLine("/* {h1}Title */ trailing", comment, blockMode), 7);
    EXPECT_EQ(comment, "{h1}Title");
    EXPECT_EQ(classifyLine("-- a remark", comment, blockMode), 8);
    EXPECT_EQ(comment, "a remark");
    EXPECT_EQ(classifyLine("--", comment, blockMode), 8);
    EXPECT_EQ(classifyLine("--#SET TERMINATOR @", comment, blockMode), 1);
    engine.spoolOpen = true;
    EXPECT_EQ(classifyLine("-- spooled remark;", comment, blockMode), 2);
    engine.spoolOpen = false;
}

TEST_F(Statements, BlocksHoldSemicolonsUntilATerminator) {
    QString comment;
    const QStringList openers = {"CREATE PROCEDURE P()",
                                 "create or replace function f()",
                                 "ALTER TRIGGER T",
                                 "CREATE OR REPLACE PACKAGE X",
                                 "DECLARE",
                                 "DECLARE x INTEGER;",
                                 "BEGIN",
                                 "PUT line one;",
                                 "NORQ LIST TABLES;",
                                 "JSON db.find();"};
    for (const QString &line : openers) {
        bool blockMode = false;
        EXPECT_EQ(classifyLine(line, comment, blockMode), 1) << line.toStdString();
        EXPECT_TRUE(blockMode) << line.toStdString();
        EXPECT_EQ(classifyLine("  x = 1;", comment, blockMode), 1);
        EXPECT_EQ(classifyLine("/", comment, blockMode), 4);
        EXPECT_FALSE(blockMode);
    }
    const QStringList plain = {"CREATE TABLE T (A INT);", "CREATE OR REPLACE;",
                               "DECLARE GLOBAL TEMPORARY TABLE X (A INT);", "CREATE"};
    for (const QString &line : plain) {
        bool blockMode = false;
        classifyLine(line, comment, blockMode);
        EXPECT_FALSE(blockMode) << line.toStdString();
    }
}

TEST_F(Statements, AssemblyJoinsLinesAndDropsLeadingComments) {
    EXPECT_EQ(assembleStatements("SELECT 1 FROM T; -- one" + CR + "-- a comment line" + CR +
                                 "SELECT 2" + CR + "FROM T;" + CR + "/"),
              QStringList({"SELECT 1 FROM T;", "SELECT 2\nFROM T;"}));

    // A body's semicolons end nothing; its own comment lines stay in it.
    const QString procedure = "CREATE OR REPLACE PROCEDURE P()" + CR + "BEGIN" + CR +
                              "  INSERT INTO T VALUES (1);" + CR + "  -- inside" + CR +
                              "  INSERT INTO T VALUES (2);" + CR + "END;" + CR + "/" + CR +
                              "SELECT * FROM T;";
    EXPECT_EQ(assembleStatements(procedure),
              QStringList({"CREATE OR REPLACE PROCEDURE P()\nBEGIN\n  INSERT INTO T VALUES "
                           "(1);\n  -- inside\n  INSERT INTO T VALUES (2);\nEND;",
                           "SELECT * FROM T;"}));

    EXPECT_EQ(assembleStatements("NORQ LIST TABLES;"), QStringList({"NORQ LIST TABLES;"}));
    EXPECT_EQ(assembleStatements("/* note" + CR + "more */" + CR + "VALUES 1;" + CR + "" + CR +
                                 "VALUES 2"),
              QStringList({"VALUES 1;", "VALUES 2"}));
    EXPECT_EQ(assembleStatements("PUT a" + CR + "b" + CR + "/;"), QStringList({"PUT a\nb"}));
    EXPECT_EQ(assembleStatements("/* step one */SELECT 41;" + CR + "VALUES 2;"),
              QStringList({"SELECT 41;", "VALUES 2;"}));
    EXPECT_EQ(splitAfterComment("/* a */ /* b */ x"), QStringList({"/* a */", " /* b */", " x"}));
    EXPECT_EQ(splitAfterComment("x /* a */ y"), QStringList({"x /* a */ y"}));
}

TEST_F(Statements, AssemblyHasNoStatementLimit) {
    QStringList lines;
    for (int i = 1; i <= 1200; ++i)
        lines << QStringLiteral("VALUES %1;").arg(i);
    const QStringList statements = assembleStatements(lines.join(CR));
    ASSERT_EQ(statements.size(), 1200);
    EXPECT_EQ(statements.last(), "VALUES 1200;");
}

TEST_F(Statements, SummarizeShowsLineBreaksAsMarks) {
    EXPECT_EQ(summarize("\n\nSELECT\t1\r\nFROM T\nWHERE 1"), QString("SELECT") + QChar(0x00BB) +
                                                                 "1" + QChar(0x2022) + "FROM T" +
                                                                 QChar(0x2022) + "WHERE 1");
}

TEST_F(Statements, ParseCommandArgumentStyles) {
    EXPECT_EQ(parseCommand("select * from t;"), "SQL");
    EXPECT_EQ(argList(), QStringList({"select * from t;"}));
    // SQL goes on as written, line breaks and tabs included.
    EXPECT_EQ(parseCommand("\nSELECT a,\t'~^'\nFROM t \n "), "SQL");
    EXPECT_EQ(argList(), QStringList({"SELECT a,\t'~^'\nFROM t"}));

    EXPECT_EQ(parseCommand("exit"), "EXIT");
    EXPECT_EQ(engine.argCount, 0);
    EXPECT_EQ(parseCommand("show;"), "SHOW");
    EXPECT_EQ(engine.argCount, 0);

    EXPECT_EQ(parseCommand("spool\nout file.txt;"), "SPOOL");
    EXPECT_EQ(argList(), QStringList({"out file.txt"}));
    EXPECT_EQ(parseCommand("viewfile"), "VIEWFILE");
    EXPECT_EQ(argList(), QStringList({""}));

    EXPECT_EQ(parseCommand("HOST dir;\ndir /w"), "HOST");
    EXPECT_EQ(argList(), QStringList({"dir \ndir /w"}));
    EXPECT_EQ(parseCommand("!ls -l; pwd"), "CMD");
    EXPECT_EQ(argList(), QStringList({"ls -l  pwd"}));

    EXPECT_EQ(parseCommand("PUT line one;\nline two"), "PUT");
    EXPECT_EQ(argList(), QStringList({"line one;\nline two"}));

    EXPECT_EQ(parseCommand("ACCEPT dept PROMPT 'Department: '"), "ACCEPT");
    EXPECT_EQ(argList(), QStringList({"dept", "PROMPT", "Department:"}));
    EXPECT_EQ(parseCommand("OPTION MAXROWS=500"), "OPTION");
    EXPECT_EQ(argList(), QStringList({"MAXROWS", "500"}));
    EXPECT_EQ(parseCommand("DEFINE x ''"), "DEFINE");
    EXPECT_EQ(argList(), QStringList({"x", ""}));
    EXPECT_EQ(parseCommand("test a 'b c' d=e \"f'g\"h;\n  i"), "TEST");
    EXPECT_EQ(argList(), QStringList({"a", "b c", "d", "e", "f'g", "h", "i"}));
    EXPECT_EQ(parseCommand("define msg 'unclosed text here"), "DEFINE");
    EXPECT_EQ(argList(), QStringList({"msg", "unclosed text here"}));
}

TEST_F(Statements, ParseCommandOddKeywords) {
    // One-letter words are SQL, not commands; a statement of nothing runs nothing.
    for (const char *sql : {"T something", "D", "M x", "1", "0;"})
        EXPECT_EQ(parseCommand(sql), "SQL") << sql;
    EXPECT_EQ(parseCommand("\n \n"), "");
    EXPECT_EQ(parseCommand(";"), "");
    EXPECT_EQ(engine.argCount, 0);
    EXPECT_EQ(parseCommand("TESTING 1"), "SQL");
}

TEST_F(Statements, ParseCommandKeepsAtMostAHundredArguments) {
    QStringList words;
    for (int i = 1; i <= 150; ++i)
        words << QString::number(i);
    parseCommand("TEST " + words.join(' '));
    EXPECT_EQ(engine.argCount, 100);
    EXPECT_EQ(engine.args[100], "100");
    // The next statement starts from an empty list.
    parseCommand("TEST");
    EXPECT_EQ(engine.argCount, 0);
    EXPECT_EQ(engine.args[2], "");
}

} // namespace
