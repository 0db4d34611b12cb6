// Highlighting of SQL in the editors: what is coloured, and what is left alone.
#include "document/sql_highlighter.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {

// The highlighting colour at a position of a line, invalid where there is none.
QColor colourAt(const QPlainTextEdit &editor, int line, int column) {
    const QTextBlock block = editor.document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange &range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length)
            return range.format.foreground().color();
    return {};
}

} // namespace

TEST(SqlHighlighter, ColoursStatementsAndLeavesProseAlone) {
    QPlainTextEdit editor;
    setSqlHighlighting(&editor, true);
    editor.setPlainText("select 'it''s' from t -- note\n"
                        "/* a comment\n"
                        "   going on */ where x = &limit and y > 12.5\n"
                        "DEFINE name = \"select\"");
    const QColor keyword = colourAt(editor, 0, 0);
    ASSERT_TRUE(keyword.isValid());
    const QColor string = colourAt(editor, 0, 8);
    const QColor comment = colourAt(editor, 0, 25);
    EXPECT_NE(string, keyword);
    EXPECT_EQ(colourAt(editor, 0, 12), string);      // the doubled quote stays inside
    EXPECT_EQ(colourAt(editor, 0, 15), keyword);     // from
    EXPECT_FALSE(colourAt(editor, 0, 19).isValid()); // a table name
    EXPECT_NE(comment, keyword);
    EXPECT_EQ(colourAt(editor, 1, 5), comment);
    EXPECT_EQ(colourAt(editor, 2, 5), comment);  // the comment goes on past its line
    EXPECT_EQ(colourAt(editor, 2, 15), keyword); // where, after the comment's end
    const QColor variable = colourAt(editor, 2, 27);
    EXPECT_TRUE(variable.isValid());
    EXPECT_NE(variable, keyword);
    EXPECT_TRUE(colourAt(editor, 2, 42).isValid());  // a number
    EXPECT_EQ(colourAt(editor, 3, 0), keyword);      // a script command
    EXPECT_FALSE(colourAt(editor, 3, 16).isValid()); // a quoted name is no keyword

    // Turned off for prose, nothing is coloured.
    setSqlHighlighting(&editor, false);
    editor.setPlainText("select the rows you want");
    EXPECT_FALSE(colourAt(editor, 0, 0).isValid());
}
