// Editing commands (Text View editor, row clipboard, New Script) and search marks.

#include "core/engine_state.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "mainwindow/norqfind.h"
#include "mainwindow/norqsearch.h"
#include "mainwindow/search_colours.h"
#include "tests/mainwindow/fixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using Editing = MainWindowTest;
using Search = MainWindowTest;

namespace {

void select(QPlainTextEdit *editor, int start, int length) {
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
}

QColor colourAt(QPlainTextEdit *editor, int position) {
    QTextCursor cursor(editor->document());
    cursor.setPosition(position + 1); // the format of the character before the cursor
    return cursor.charFormat().foreground().color();
}

QColor markerColour(Grid *grid, int row) {
    grid->setRow(row);
    grid->setCol(NorqSQL::markerCol);
    return grid->cellBackColor();
}

} // namespace

TEST_F(Editing, TextViewCutLeavesTheCaretBeforeTheCut) {
    window->setViewMode(ViewMode::text);
    window->FullEdit->setPlainText("abcdefghij");
    select(window->FullEdit, 0, 3);
    window->editCut_Click();
    EXPECT_EQ(window->FullEdit->toPlainText(), "defghij");
    EXPECT_EQ(window->FullEdit->textCursor().position(), 0);
    EXPECT_EQ(engine.ui->clipboardText(), "abc");

    window->FullEdit->setPlainText("abcdefghij");
    select(window->FullEdit, 4, 3);
    window->editDelete_Click();
    EXPECT_EQ(window->FullEdit->toPlainText(), "abcdhij");
    EXPECT_EQ(window->FullEdit->textCursor().position(), 3);
    EXPECT_EQ(engine.ui->clipboardText(), "abc");

    select(window->FullEdit, 1, 2);
    window->editUpper_Click();
    EXPECT_EQ(window->FullEdit->toPlainText(), "aBCdhij");
    EXPECT_EQ(window->FullEdit->textCursor().position(), 1);
    EXPECT_FALSE(window->FullEdit->textCursor().hasSelection());

    // Paste inserts at the caret and does not replace a selection.
    engine.ui->setClipboardText("X\r\nY");
    select(window->FullEdit, 0, 2);
    window->editPaste_Click();
    EXPECT_EQ(window->FullEdit->toPlainText(), "X\nYaBCdhij");
    EXPECT_EQ(window->FullEdit->textCursor().position(), 3);

    // With nothing selected the selection commands do nothing.
    select(window->FullEdit, 2, 0);
    window->editCut_Click();
    window->copySQL_Click();
    EXPECT_EQ(window->FullEdit->toPlainText(), "X\nYaBCdhij");
    select(window->FullEdit, 2, 3);
    window->copySQL_Click();
    EXPECT_EQ(window->TextEdit->toPlainText(), "YaB");
}

TEST_F(Editing, SnippetsPutTheCaretWhereTheUserTypesNext) {
    window->setViewMode(ViewMode::text);
    window->FullEdit->clear();
    window->insertHeading_Click();
    EXPECT_EQ(window->FullEdit->toPlainText(), "\n/* {h1}Title */\n\n");
    EXPECT_EQ(window->FullEdit->textCursor().position(), 8);

    window->FullEdit->setPlainText("ab");
    select(window->FullEdit, 1, 1);
    window->insertSQL_Click();
    EXPECT_EQ(window->FullEdit->toPlainText(), "a\n/* {sql}\nexample\n*/\n\nb");
    EXPECT_EQ(window->FullEdit->textCursor().position(), 1 + 10);

    window->FullEdit->clear();
    window->insertComment_Click();
    EXPECT_EQ(window->FullEdit->textCursor().position(), 4);
    window->FullEdit->clear();
    window->insertImage_Click();
    EXPECT_EQ(window->FullEdit->textCursor().position(), 11);
}

TEST_F(Editing, RowClipboardCopiesCutsPastesAndDuplicates) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::edit);
    const int heading = rowsOfKind(RowKind::heading)[1];
    const int rows = window->CLP->rows();
    window->currentRow = heading;
    window->scriptDuplicate_Click();
    EXPECT_EQ(window->CLP->rows(), rows + 1);
    EXPECT_EQ(kindOf(heading + 1), RowKind::heading);
    EXPECT_EQ(cell(heading + 1, NorqSQL::textCol), cell(heading, NorqSQL::textCol));
    EXPECT_EQ(cell(heading + 1, NorqSQL::tagCol), "2");
    window->scriptPaste_Click();
    EXPECT_EQ(window->CLP->rows(), rows + 2);

    // A comment is copied from its source and renders again from it.
    const int comment = rowsOfKind(RowKind::comment)[0];
    window->currentRow = comment;
    window->scriptCut_Click();
    EXPECT_EQ(window->rowClipText, "Who works here.");
    EXPECT_EQ(window->CLP->rows(), rows + 1);
    window->currentRow = 0;
    window->scriptPaste_Click();
    EXPECT_EQ(kindOf(1), RowKind::comment);
    EXPECT_EQ(cell(1, NorqSQL::rawCol), "Who works here.");

    // The end marker cannot be cut.
    window->currentRow = window->CLP->rows() - 1;
    window->scriptCut_Click();
    EXPECT_EQ(kindOf(window->CLP->rows() - 1), RowKind::endMarker);
}

TEST_F(Editing, InsertedRowsOpenTheEditorAndAnEmptyOneIsRemoved) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::edit);
    const int rows = window->CLP->rows();
    window->currentRow = 0;
    window->scriptInsertSQL_Click();
    EXPECT_EQ(window->CLP->rows(), rows + 1);
    EXPECT_EQ(kindOf(1), RowKind::sql);
    EXPECT_EQ(window->editRow, 1);
    EXPECT_TRUE(window->EditBox->isVisible());
    // Left empty, the new row goes when the editor closes.
    press(window->CLP, 0, NorqSQL::textCol);
    EXPECT_EQ(window->CLP->rows(), rows);
}

TEST_F(Editing, NewScriptWithoutATemplateGivesTheBuiltInRows) {
    QDir::setCurrent(MainWindowEnvironment::scratch());
    QFile::remove("template.norq");
    window->currentFile = "old.norq";
    window->editNew_Click();
    EXPECT_EQ(engine.viewMode, ViewMode::edit);
    ASSERT_EQ(window->CLP->rows(), 4);
    EXPECT_EQ(kindOf(0), RowKind::heading);
    EXPECT_EQ(cell(0, NorqSQL::textCol), "Script Title");
    EXPECT_EQ(cell(0, NorqSQL::tagCol), "1");
    EXPECT_EQ(kindOf(1), RowKind::comment);
    EXPECT_TRUE(cell(1, NorqSQL::textCol).contains("Enter your script here"));
    EXPECT_EQ(kindOf(2), RowKind::sql);
    EXPECT_EQ(cell(2, NorqSQL::sqlCol), "SELECT * FROM EMPLOYEE");
    EXPECT_EQ(kindOf(3), RowKind::endMarker);
    EXPECT_TRUE(window->currentFile.isEmpty());

    // With a template in the working folder, the template is the new script.
    writeFile("template.norq", "/* {h1} From the template */\n");
    window->editNew_Click();
    EXPECT_EQ(cell(0, NorqSQL::textCol), "From the template");
    QFile::remove("template.norq");
}

TEST_F(Search, OverlappingMatchesAreColouredInTextView) {
    openScript(writeFile("letters.norq", "xaaay\n"), ViewMode::text);
    ASSERT_TRUE(window->FullEdit->toPlainText().startsWith("xaaay"));
    EXPECT_TRUE(window->highlightMatches(" aa "));
    EXPECT_EQ(colourAt(window->FullEdit, 0), QColor(Qt::black));
    EXPECT_EQ(colourAt(window->FullEdit, 1), matchTextColour());
    EXPECT_EQ(colourAt(window->FullEdit, 2), matchTextColour());
    EXPECT_EQ(colourAt(window->FullEdit, 3), matchTextColour());
    EXPECT_EQ(colourAt(window->FullEdit, 4), QColor(Qt::black));
    EXPECT_EQ(window->FullEdit->textCursor().position(), 1);
    EXPECT_FALSE(window->FullEdit->textCursor().hasSelection());

    EXPECT_FALSE(window->highlightMatches("zz"));
    EXPECT_EQ(colourAt(window->FullEdit, 2), QColor(Qt::black));
    EXPECT_FALSE(window->highlightMatches("   "));
}

TEST_F(Search, MatchingRowsGetColouredMarkersInScriptView) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    EXPECT_TRUE(window->highlightMatches("department"));
    const QList<int> statements = rowsOfKind(RowKind::sql);
    const int departments = rowsOfKind(RowKind::heading)[1];
    EXPECT_EQ(window->CLP->row(), departments);
    EXPECT_TRUE(window->CLP->isRowVisible(departments));
    EXPECT_EQ(markerColour(window->CLP, departments), searchHitColour());
    EXPECT_EQ(markerColour(window->CLP, statements[1]), searchHitColour());
    EXPECT_EQ(markerColour(window->CLP, statements[0]), plainMarkerColour());

    window->searchReset_Click();
    EXPECT_EQ(markerColour(window->CLP, statements[1]), plainMarkerColour());
    EXPECT_FALSE(window->highlightMatches("no such words"));
}

TEST_F(Search, LibrarySearchMarksNodesAndMarksTheOpenedScript) {
    writeFile("staff.norq", kTestScript);
    writeFile("other.norq", "/* {h1} Other */\nVALUES 1;\n");
    writeFile("nested.norq", "/* {h1} Nested */\nselect lastname from employee;\n");
    const QString index =
        writeFile("library.sql", "staff.norq\nother.norq\n{\nnested.norq\n}\nmissing.norq\n");
    ASSERT_EQ(window->readLibrary(index), 4);
    window->setViewMode(ViewMode::script);

    EXPECT_TRUE(window->searchLibrary("employee"));
    EXPECT_EQ(engine.lastSearch, "EMPLOYEE");
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(window->TV); *it; ++it)
        nodes << *it;
    ASSERT_EQ(nodes.size(), 4);
    QMap<QString, QColor> colours;
    for (QTreeWidgetItem *node : nodes)
        colours[QFileInfo(node->data(0, Qt::UserRole).toString()).fileName()] =
            node->background(0).color();
    EXPECT_EQ(colours["staff.norq"], searchHitColour());
    EXPECT_EQ(colours["nested.norq"], searchHitColour());
    EXPECT_EQ(colours["other.norq"], plainNodeColour());
    EXPECT_EQ(colours["missing.norq"], plainNodeColour());

    // Opening a marked script from the tree marks its matches at once.
    QTreeWidgetItem *staff = nullptr;
    for (QTreeWidgetItem *node : nodes)
        if (node->data(0, Qt::UserRole).toString().endsWith("staff.norq")) staff = node;
    ASSERT_NE(staff, nullptr);
    window->openTreeNode(staff);
    const int first = rowsOfKind(RowKind::sql)[0];
    EXPECT_EQ(markerColour(window->CLP, first), searchHitColour());

    // The dialog: nothing found collapses the tree and says so.
    NorqSearch *dialog = NorqSearch::shared(window.get(), window->search());
    dialog->SearchString->setText("nowhere at all");
    dialog->FindSearch_Click();
    EXPECT_EQ(dialog->windowTitle(), "String not found");
    EXPECT_TRUE(engine.lastSearch.isEmpty());
    for (QTreeWidgetItem *node : nodes) {
        EXPECT_EQ(node->background(0).color(), plainNodeColour());
        EXPECT_FALSE(node->isExpanded());
    }
    dialog->SearchString->setText("values");
    dialog->FindSearch_Click();
    EXPECT_EQ(dialog->windowTitle(), "Search Examples");
    EXPECT_FALSE(dialog->isVisible());

    window->searchReset_Click();
    EXPECT_TRUE(engine.lastSearch.isEmpty());
    for (QTreeWidgetItem *node : nodes)
        EXPECT_EQ(node->background(0).color(), plainNodeColour());
}

TEST_F(Search, FindDialogRefusesSqlViewAndHidesOnSuccess) {
    window->setViewMode(ViewMode::sql);
    window->searchScript_Click();
    EXPECT_EQ(NorqFind::existing() && NorqFind::existing()->isVisible(), false);

    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    window->searchScript_Click();
    NorqFind *find = NorqFind::existing();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    find->SearchString->setText("no such words");
    find->FindPattern_Click();
    EXPECT_EQ(find->windowTitle(), "String not found");
    find->SearchString->setText("staff");
    find->FindPattern_Click();
    EXPECT_EQ(find->windowTitle(), "Search Script");
    EXPECT_FALSE(find->isVisible());
    EXPECT_EQ(find->SearchString->text(), "staff");
}

TEST_F(Editing, RowCommandsCommitAnOpenEditorBeforeRowsMove) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::edit);
    const int statement = rowsOfKind(RowKind::sql)[1];
    doublePress(window->CLP, statement, NorqSQL::textCol);
    ASSERT_EQ(window->editRow, statement);
    window->TextEdit->setPlainText("SELECT DEPTNO FROM DEPARTMENT;");
    // Inserting above the edited row moves it down; the typed text goes with it.
    window->currentRow = 0;
    window->scriptInsertComment_Click();
    EXPECT_EQ(cell(statement + 1, NorqSQL::sqlCol), "SELECT DEPTNO FROM DEPARTMENT;");
    EXPECT_EQ(window->editRow, 1);
}
