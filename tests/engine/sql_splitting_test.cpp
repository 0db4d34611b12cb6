// Where statements of real SQL files end, and that their text reaches the database as
// written.

#include "engine/statements.h"
#include "fake_windows.h"

namespace {

class SqlSplitting : public EngineTest {};

QStringList split(const QStringList &lines) {
    return assembleStatements(lines.join(u'\r'));
}

TEST_F(SqlSplitting, LiteralsAndCommentsKeepEveryCharacter) {
    // Carets, tildes, dashes, tabs and line breaks inside literals are data.
    EXPECT_EQ(split({"SELECT 'x^y', '~', 'ver--Bonus', ~5 FROM t WHERE n GLOB '*[^ -~]*';"}),
              QStringList({"SELECT 'x^y', '~', 'ver--Bonus', ~5 FROM t WHERE n GLOB '*[^ -~]*';"}));
    EXPECT_EQ(split({"INSERT INTO t VALUES('a\tb', 'first", ";second''s", "/", "-- not a comment",
                     "/* nor this', 'x');"}),
              QStringList({"INSERT INTO t VALUES('a\tb', 'first\n;second''s\n/\n-- not a "
                           "comment\n/* nor this', 'x');"}));
    // A comment inside a statement stays in it; one after its end goes.
    EXPECT_EQ(split({"SELECT 1 -- one;", "  + 2; -- two;", "SELECT 3; /* three; */"}),
              QStringList({"SELECT 1 -- one;\n  + 2;", "SELECT 3;"}));
    // Identifiers, E'' strings with backslashes, nested comments.
    EXPECT_EQ(split({R"(SELECT "a;b", E'it\'s;', 'c:\' AS x; /* a /* b; */ c; */ SELECT 2;)"}),
              QStringList({R"(SELECT "a;b", E'it\'s;', 'c:\' AS x;)", "SELECT 2;"}));
}

TEST_F(SqlSplitting, StatementsEndWhereTheShellsEndThem) {
    EXPECT_EQ(split({"SELECT 1; SELECT 2;", "SELECT", "3"}),
              QStringList({"SELECT 1;", "SELECT 2;", "SELECT\n3"}));
    // A dump's transaction statements are ordinary statements.
    EXPECT_EQ(split({"PRAGMA foreign_keys=OFF;", "BEGIN TRANSACTION;", "CREATE TABLE t(a);",
                     "BEGIN;", "START TRANSACTION;", "COMMIT;", "END;"}),
              QStringList({"PRAGMA foreign_keys=OFF;", "BEGIN TRANSACTION;", "CREATE TABLE t(a);",
                           "BEGIN;", "START TRANSACTION;", "COMMIT;", "END;"}));
    // Parentheses hold their semicolons.
    EXPECT_EQ(split({"CREATE RULE r AS ON INSERT TO t DO ALSO (INSERT INTO a VALUES (1);",
                     "INSERT INTO b VALUES (2)); SELECT 1;"}),
              QStringList({"CREATE RULE r AS ON INSERT TO t DO ALSO (INSERT INTO a VALUES (1);\n"
                           "INSERT INTO b VALUES (2));",
                           "SELECT 1;"}));
}

TEST_F(SqlSplitting, BodiesEndAtTheirOwnEnd) {
    const QStringList trigger = {"CREATE TRIGGER log AFTER INSERT ON t BEGIN",
                                 "  INSERT INTO l VALUES (CASE WHEN new.a > 0 THEN 'up' END);",
                                 "  UPDATE c SET n = n + 1;", "END;", "INSERT INTO t VALUES (1);"};
    EXPECT_EQ(split(trigger), QStringList({trigger.mid(0, 4).join(u'\n'), trigger[4]}));

    const QStringList function = {"CREATE OR REPLACE FUNCTION f(x int) RETURNS int AS $$",
                                  "BEGIN",
                                  "  IF x > 0 THEN RETURN 1; END IF;",
                                  "  RETURN 0;",
                                  "END",
                                  "$$ LANGUAGE plpgsql;",
                                  "DO $do$ BEGIN PERFORM 1; END $do$;",
                                  "SELECT f(1);"};
    EXPECT_EQ(split(function),
              QStringList({function.mid(0, 6).join(u'\n'), function[6], function[7]}));

    // A standard body, procedural blocks that declare first, and cursors that do not.
    const QStringList standard = {"CREATE FUNCTION g() RETURNS int LANGUAGE sql", "BEGIN ATOMIC",
                                  "  SELECT 1;", "END;"};
    EXPECT_EQ(split(standard), QStringList({standard.join(u'\n')}));
    const QStringList block = {"DECLARE",
                               "  n INTEGER;",
                               "BEGIN",
                               "  LOOP n := n + 1; END LOOP;",
                               "END;",
                               "/",
                               "DECLARE c SCROLL CURSOR FOR SELECT 1;",
                               "SELECT 2;"};
    EXPECT_EQ(split(block), QStringList({block.mid(0, 5).join(u'\n'), block[6], block[7]}));
    const QStringList routine = {
        "CREATE PROCEDURE p IS", "  n INTEGER;", "BEGIN", "  n := 1;", "END;", "SELECT 3;"};
    EXPECT_EQ(split(routine), QStringList({routine.mid(0, 5).join(u'\n'), routine[5]}));
}

TEST_F(SqlSplitting, CommandsOfOtherShellsAndInlineRowsStandAlone) {
    EXPECT_EQ(split({"COPY t (a, b) FROM stdin;", "1\tx;y", "2\t'", "\\.", "\\set x 1", ".mode csv",
                     "SELECT 1;"}),
              QStringList({"COPY t (a, b) FROM stdin;", "\\set x 1", ".mode csv", "SELECT 1;"}));
}

TEST_F(SqlSplitting, ScriptCommandsKeepTheirLineRules) {
    EXPECT_EQ(split({"DEFINE X 'a;b';", "SELECT '&X';", "HOST echo one;", "SELECT 2;"}),
              QStringList({"DEFINE X 'a;b';", "SELECT '&X';", "HOST echo one;", "SELECT 2;"}));
    // Words the commands share with SQL.
    EXPECT_FALSE(isScriptCommand("START", u" TRANSACTION"));
    EXPECT_TRUE(isScriptCommand("START", u" lesson.norq"));
    EXPECT_FALSE(isScriptCommand("SHOW", u" application_name"));
    EXPECT_TRUE(isScriptCommand("show;", u""));
    EXPECT_EQ(parseCommand("START TRANSACTION;"), "SQL");
    EXPECT_EQ(parseCommand("SHOW search_path;"), "SQL");
}

TEST_F(SqlSplitting, LineEndsMarkWhereEachStatementEnds) {
    StatementAssembler assembler;
    assembler.addLine("SELECT 1; SELECT");
    EXPECT_EQ(assembler.lineEnds(), QList<qsizetype>({9}));
    assembler.addLine("  (2); SELECT '");
    EXPECT_EQ(assembler.lineEnds(), QList<qsizetype>({6}));
    EXPECT_TRUE(assembler.holdsOpenStatement());
    assembler.addLine("/* in a literal */';");
    EXPECT_EQ(assembler.lineEnds(), QList<qsizetype>({20}));
    EXPECT_TRUE(assembler.idle());
    EXPECT_EQ(assembler.takeStatements(),
              QStringList({"SELECT 1;", "SELECT\n  (2);", "SELECT '\n/* in a literal */';"}));
}

} // namespace
