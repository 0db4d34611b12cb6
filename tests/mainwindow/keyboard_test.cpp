// The main window used from the keyboard and its tool windows on first use: focus and
// Escape in the search dialogs, typing over a read-only message, the shortcuts and menu
// mnemonics, and the rows after a font change.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "document/norqhelp.h"
#include "mainwindow/norqfind.h"
#include "mainwindow/norqsearch.h"
#include "tests/mainwindow/fixture.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>
#include <QTest>
#include <QTreeWidget>

using Keyboard = MainWindowTest;

TEST_F(Keyboard, SearchDialogsTakeTheKeysAndEscapeHidesThem) {
    writeFile("staff.norq", kTestScript);
    writeFile("other.norq", "/* {h1} Other */\nVALUES 1;\n");
    ASSERT_EQ(window->readLibrary(writeFile("library.sql", "staff.norq\nother.norq\n")), 2);
    openScript(MainWindowEnvironment::scratch() + "/staff.norq", ViewMode::script);

    // Opened again while the main window has the keyboard: the dialog gets it.
    window->searchExamples_Click();
    activate(window.get());
    window->TV->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return focused() == window->TV; }));
    QTreeWidgetItem *other = nullptr;
    for (int n = 0; n < window->TV->topLevelItemCount(); ++n)
        if (window->TV->topLevelItem(n)->data(0, Qt::UserRole).toString().endsWith("other.norq"))
            other = window->TV->topLevelItem(n);
    ASSERT_NE(other, nullptr);
    ASSERT_NE(window->TV->currentItem(), other);
    window->searchExamples_Click();
    NorqSearch *examples = NorqSearch::existing();
    ASSERT_TRUE(QTest::qWaitFor([&] { return focused() == examples->SearchString; }));
    QTest::keyClicks(focused(), "other");
    EXPECT_EQ(examples->SearchString->text(), "other");
    EXPECT_NE(window->TV->currentItem(), other); // the tree's type-ahead got nothing
    QTest::keyClick(focused(), Qt::Key_Escape);
    EXPECT_FALSE(examples->isVisible());

    // Ctrl+Shift+F opens Search Script; Escape there hides it and leaves the main window
    // alone.
    activate(window.get());
    window->CLP->setFocus();
    QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    NorqFind *find = NorqFind::existing();
    ASSERT_NE(find, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return focused() == find->SearchString; }));
    QTest::keyClicks(focused(), "staff");
    EXPECT_EQ(find->SearchString->text(), "staff");
    QTest::keyClick(focused(), Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible());
}

TEST_F(Keyboard, TypingOverAReadOnlyMessageLeavesTheGridAlone) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int failing = rowsOfKind(RowKind::sql)[2];
    press(window->CLP, failing, NorqSQL::markerCol);
    press(window->CLP, failing + 1, NorqSQL::markerCol);
    ASSERT_TRUE(window->TextEdit->isReadOnly());
    ASSERT_TRUE(window->EditBox->isVisible());
    const int row = window->CLP->row(), top = window->CLP->topRow();
    QTest::keyClicks(window->TextEdit, "staff"); // the first row's heading
    EXPECT_EQ(window->CLP->row(), row);
    EXPECT_EQ(window->CLP->topRow(), top);
    EXPECT_TRUE(window->EditBox->isVisible());
}

TEST_F(Keyboard, ShortcutsRunSearchAndOpenHelp) {
    engine.helpFolder = QStringLiteral(PAVONA_SOURCE_DIR "/help");
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    activate(window.get());
    window->CLP->setFocus();

    // Ctrl+Enter runs the current statement row.
    const int first = rowsOfKind(RowKind::sql)[0];
    window->CLP->setRow(first);
    QTest::keyClick(focused(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(kindOf(first + 1), RowKind::result);

    // In the cell editor it runs the text being edited.
    openScript(MainWindowEnvironment::scratch() + "/staff.norq", ViewMode::edit);
    const int statement = rowsOfKind(RowKind::sql)[1];
    doublePress(window->CLP, statement, NorqSQL::textCol);
    ASSERT_EQ(window->editRow, statement);
    window->TextEdit->setPlainText("VALUES 4242;");
    QTest::keyClick(window->TextEdit, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(cell(statement, NorqSQL::sqlCol), "VALUES 4242;");
    EXPECT_EQ(window->TextEdit->toPlainText(), "VALUES 4242;"); // no line break typed
    EXPECT_EQ(kindOf(statement + 1), RowKind::result);

    // F5 is Run all: every statement gets its output.
    openScript(MainWindowEnvironment::scratch() + "/staff.norq", ViewMode::script);
    window->CLP->setFocus();
    QTest::keyClick(focused(), Qt::Key_F5);
    EXPECT_EQ(outputRowCount(), static_cast<int>(rowsOfKind(RowKind::sql).size()));

    // F1 opens the help of the view in use.
    window->CLP->setFocus();
    QTest::keyClick(focused(), Qt::Key_F1);
    NorqHelp *help = NorqHelp::shared();
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->windowTitle().contains("Script")) << help->windowTitle().toStdString();
    help->close();
}

TEST_F(Keyboard, EveryMenuEntryHasAMnemonicOfItsOwn) {
    QList<QMenu *> menus{window->editmnu, window->mnuScript, window->viewMenu};
    for (QAction *top : window->menuBar()->actions())
        if (top->menu()) menus << top->menu();
    for (int m = 0; m < menus.size(); ++m) {
        QSet<QChar> letters;
        for (QAction *entry : menus[m]->actions()) {
            if (entry->isSeparator()) continue;
            if (entry->menu()) menus << entry->menu();
            const QString text = entry->text();
            const qsizetype mark = text.indexOf('&');
            if (mark < 0) {
                // Only a caption whose every character is taken goes without.
                for (const QChar c : text)
                    EXPECT_TRUE(!c.isLetterOrNumber() || letters.contains(c.toLower()))
                        << text.toStdString();
                continue;
            }
            EXPECT_FALSE(letters.contains(text[mark + 1].toLower())) << text.toStdString();
            letters.insert(text[mark + 1].toLower());
        }
    }
    QSet<QChar> bar;
    for (QAction *top : window->menuBar()->actions())
        bar.insert(top->text()[top->text().indexOf('&') + 1].toLower());
    EXPECT_EQ(bar.size(), window->menuBar()->actions().size());
}

TEST_F(Keyboard, AFontChangeMeasuresEveryRowAgain) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int prose = rowsOfKind(RowKind::comment)[0];
    const int small = window->CLP->rowHeight(prose);
    window->mnuFontSizeValue_Click(5); // 14 points
    EXPECT_GT(window->CLP->rowHeight(prose), small);
    for (int row = 0; row < window->CLP->rows(); ++row) {
        const int twips = window->CLP->rowHeight(row);
        if (twips > 0) {
            EXPECT_EQ(window->CLP->QTableView::rowHeight(row), twipsToPixels(twips)) << row;
        }
    }
    window->mnuFontSizeValue_Click(2);
}
