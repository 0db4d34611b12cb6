#include "core/variables.h"
#include "engine/dispatcher.h"
#include "engine/statements.h"
#include "engine/variable_commands.h"
#include "fake_windows.h"

namespace {

class Variables : public EngineTest {};

QString valueOf(const QString &name) {
    const int slot = var_find(name);
    return slot ? engine.vars[slot].value : QStringLiteral("<none>");
}

// Runs a DEFINE/UNDEF/ACCEPT statement through the parser and its handler.
void command(const QString &statement) {
    const QString keyword = parseCommand(statement);
    if (keyword == u"DEFINE")
        cmd_var(nullptr);
    else if (keyword == u"ACCEPT")
        cmd_accept();
    else
        cmd_undefine();
}

TEST_F(Variables, StartupDefinesTheDefaultVariables) {
    EXPECT_EQ(valueOf("VERSION"), "9.7.0");
    EXPECT_EQ(valueOf("quote"), "\"");
    EXPECT_EQ(var_sub("a&semi b &Date", false), "a; b 2009-11-16");
    EXPECT_NE(var_find("norqdiag"), 0);
}

TEST_F(Variables, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    var_add("a", "  'D11' trailing ");
    var_add("b", "\"it's\"");
    var_add("c", "'unclosed");
    var_add("d", "'it''s'");
    EXPECT_EQ(valueOf("A"), "D11");
    EXPECT_EQ(valueOf("b"), "it's");
    EXPECT_EQ(valueOf("c"), "'unclosed");
    EXPECT_EQ(valueOf("d"), "it");
    // Names are case-insensitive, values are not; redefinition keeps the slot.
    const int slot = var_find("a");
    EXPECT_EQ(var_add("A", "x"), slot);
    EXPECT_EQ(var_sub("&a|&A", false), "x|x");
    var_add("e", "Mixed");
    EXPECT_EQ(var_sub("&E", false), "Mixed");
}

TEST_F(Variables, SubstitutionKeepsTheCharacterAfterTheName) {
    var_add("dept", "D11");
    EXPECT_EQ(var_sub("WORKDEPT='&dept'", true), "WORKDEPT='D11'");
    EXPECT_EQ(var_sub("&DEPT.", true), "D11.");
    EXPECT_EQ(var_sub("no references", true), "no references");
    // A value holding "&" is not substituted again.
    var_add("amp", "&dept");
    EXPECT_EQ(var_sub("&amp", true), "&dept");
    EXPECT_TRUE(windows.prompts.empty());
}

TEST_F(Variables, UnknownNamesAreAskedOnceWhenPrompting) {
    windows.answers = {"  'E21'  "};
    EXPECT_EQ(var_sub("X=&newvar AND Y=&NEWVAR", true), "X=  'E21'   AND Y=E21");
    ASSERT_EQ(windows.prompts.size(), 1u);
    EXPECT_EQ(windows.prompts[0].title, "Enter value for newvar");
    EXPECT_EQ(windows.prompts[0].prompt, "");
    EXPECT_EQ(valueOf("NEWVAR"), "E21");
    // Cancelled: an empty value is defined.
    EXPECT_EQ(var_sub("[&other]", true), "[]");
    EXPECT_NE(var_find("other"), 0);
    EXPECT_EQ(valueOf("other"), "");
}

TEST_F(Variables, WithoutPromptingTheReferenceStaysAndIsRemembered) {
    EXPECT_EQ(var_sub("v=&x", false), "v=&x");
    EXPECT_EQ(valueOf("X"), "&x");
    EXPECT_EQ(var_sub("v=&x", true), "v=&x");
    EXPECT_TRUE(windows.prompts.empty());
}

TEST_F(Variables, DoubleAmpersandForgetsAndAsksAgain) {
    var_add("x", "old");
    windows.answers = {"new"};
    EXPECT_EQ(var_sub("&&x and &x", true), "new and new");
    EXPECT_EQ(windows.prompts.size(), 1u);
    EXPECT_EQ(valueOf("x"), "new");
    // Without prompting the forgotten name stays as a reference.
    EXPECT_EQ(var_sub("&&x", false), "&x");
}

TEST_F(Variables, AmpersandsInDataStayAsWritten) {
    // No name after it: text, an operator, a Unicode string's prefix.
    const QString data = "SELECT 'Tom & Jerry', a & b, x && y, U&'d\\0061t' FROM t";
    EXPECT_EQ(var_sub(data, true), data);
    // Inside a literal, comment or quoted name only a defined variable is filled in.
    const QString literals = "SELECT 'R&B/Soul', \"A&T\", $$&body$$ -- &note\nFROM t";
    EXPECT_EQ(var_sub(literals, true), literals);
    EXPECT_TRUE(windows.prompts.empty());
    var_add("B", "Blues");
    EXPECT_EQ(var_sub("SELECT 'R&B/Soul'", false), "SELECT 'RBlues/Soul'");
    // Outside literals, or as all a literal holds, an undefined name is still asked for.
    windows.answers = {"7", "D01"};
    EXPECT_EQ(var_sub("SELECT &n, 'n&m' WHERE d = '&dept'", true),
              "SELECT 7, 'n&m' WHERE d = 'D01'");
    EXPECT_EQ(windows.prompts.size(), 2u);
    // A script can turn substitution off altogether.
    engine.substitution = false;
    EXPECT_EQ(var_sub("SELECT &n, '&B'", true), "SELECT &n, '&B'");
    engine.substitution = true;
    EXPECT_EQ(var_sub("SELECT &n", true), "SELECT 7");
}

TEST_F(Variables, TheTableHolds1024VariablesAndReusesFreedSlots) {
    const int defaults = engine.varCount;
    for (int i = defaults + 1; i <= kVariableSlots; ++i)
        ASSERT_EQ(var_add(QStringLiteral("v%1").arg(i), "x"), i);
    EXPECT_EQ(var_add("overflow", "x"), 0);
    EXPECT_EQ(var_find("overflow"), 0);
    EXPECT_EQ(engine.varCount, kVariableSlots);
    // Substitution still inserts the answer when nothing can be stored.
    windows.answers = {"typed"};
    EXPECT_EQ(var_sub("&full", true), "typed");

    const int freed = var_find("v500");
    command("UNDEF V500");
    EXPECT_EQ(var_find("v500"), 0);
    EXPECT_EQ(var_add("newcomer", "y"), freed);
    EXPECT_EQ(var_add("another", "z"), 0);
}

TEST_F(Variables, DefineUndefineAndAccept) {
    command("DEFINE dept = 'D11'");
    EXPECT_EQ(valueOf("DEPT"), "D11");
    EXPECT_EQ(engine.msgText, "Command completed.");
    command("DEFINE dept D21 extra");
    EXPECT_EQ(valueOf("dept"), "D21");
    command("DEFINE empty");
    EXPECT_EQ(valueOf("EMPTY"), "");
    command("DEFINE x ''");
    EXPECT_EQ(valueOf("X"), "");

    engine.msgText.clear();
    command("UNDEFINE");
    EXPECT_EQ(engine.msgText, "No arguments supplied.");
    EXPECT_EQ(engine.msgCode, -1);
    command("UNDEF nosuch");
    EXPECT_EQ(engine.msgText, "Command completed.");
    EXPECT_EQ(engine.msgCode, 0);
    command("UNDEF dept");
    EXPECT_EQ(var_find("dept"), 0);

    windows.answers = {"'A00'"};
    command("ACCEPT dept PROMPT 'Department: ' PROMPT \"Which department?\"");
    ASSERT_EQ(windows.prompts.size(), 1u);
    EXPECT_EQ(windows.prompts[0].title, "Enter Variable");
    EXPECT_EQ(windows.prompts[0].prompt, "Which department?");
    EXPECT_EQ(valueOf("DEPT"), "A00");
    command("ACCEPT region");
    EXPECT_EQ(windows.prompts.at(1).prompt, "Enter value for REGION");
    EXPECT_EQ(valueOf("region"), "");
    EXPECT_EQ(engine.msgText, "Command completed.");
}

TEST_F(Variables, ARefusedValueStopsTheStatementAndLeavesTheVariableUnset) {
    windows.refusal = "no value for ";
    runScript("DEFINE first = &missing\rDEFINE second = 2", nullptr, nullptr);
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(engine.msgText, "no value for MISSING");
    EXPECT_EQ(windows.refusedNames, QStringList{"MISSING"});
    // Neither the statement with the hole nor the one after it ran.
    EXPECT_EQ(var_find("first"), 0);
    EXPECT_EQ(var_find("second"), 0);
    EXPECT_EQ(var_find("missing"), 0);
    // Nothing of the refusal lingers into the next run.
    runScript("DEFINE third = 3", nullptr, nullptr);
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_EQ(valueOf("third"), "3");

    // A value given meanwhile is used without asking; &&name always asks again.
    var_add("missing", "here");
    EXPECT_EQ(var_sub("[&missing]", true), "[here]");
    EXPECT_EQ(var_sub("[&&missing]", true), "[&missing]");
    EXPECT_EQ(takeVariableRefusal(), "no value for MISSING");
    EXPECT_EQ(takeVariableRefusal(), "");
    // A refusal nobody read is not carried into the next substitution.
    var_sub("[&nothere]", true);
    var_sub("plain text", true);
    EXPECT_EQ(takeVariableRefusal(), "");

    var_add("dept", "A00");
    command("ACCEPT dept");
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(engine.msgText, "no value for DEPT");
    EXPECT_EQ(valueOf("dept"), "A00");
    EXPECT_TRUE(windows.prompts.empty());
}

} // namespace
