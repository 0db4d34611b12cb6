// The main window in daily use: the find bar, outputs across a view change, a small
// window, what the pointer and tool tips say, the help viewer's history and the keys
// that move between the panes.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "document/marked_text.h"
#include "document/norqhelp.h"
#include "document/row_style.h"
#include "mainwindow/find_bar.h"
#include "tests/mainwindow/fixture.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using Usability = MainWindowTest;

namespace {

QRect cellRect(Grid *grid, int row, int col) {
    grid->syncView();
    return grid->visualRect(grid->model()->index(row, col));
}

// Pixels of a colour the grid shows in a cell now.
int pixelsOf(Grid *grid, int row, int col, const QColor &colour) {
    const QImage image = grid->viewport()->grab().toImage();
    const QRect rect = cellRect(grid, row, col).intersected(image.rect());
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb()) ++count;
    return count;
}

QString manyStatements(int count) {
    QString script = QStringLiteral("/* {h1} Numbers */\n\n");
    for (int n = 1; n <= count; ++n)
        script += QStringLiteral("/*\n  Step %1.\n*/\n\nVALUES %1;\n\n").arg(n);
    return script;
}

} // namespace

TEST_F(Usability, FindBarMarksEveryHitCountsAndStepsThroughThem) {
    openScript(writeFile("numbers.norq", manyStatements(30)), ViewMode::script);
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 30);
    Grid *grid = window->CLP;
    FindBar *bar = window->findBar();
    activate(window.get());
    grid->setFocus();
    grid->setRow(0);

    QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    ASSERT_EQ(focused(), bar->entry());
    QTest::keyClicks(focused(), "values");
    EXPECT_EQ(bar->status(), "1 of 30");
    EXPECT_EQ(grid->row(), statements[0]);
    // Each hit is marked in the text itself, the current one apart from the others.
    EXPECT_GT(pixelsOf(grid, statements[0], NorqSQL::textCol, FindMarks::currentHitBackground), 0);
    EXPECT_GT(pixelsOf(grid, statements[1], NorqSQL::textCol, FindMarks::hitBackground), 0);
    EXPECT_EQ(pixelsOf(grid, statements[1], NorqSQL::markerCol, FindMarks::hitBackground), 0);

    QTest::keyClick(focused(), Qt::Key_F3);
    EXPECT_EQ(bar->status(), "2 of 30");
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_EQ(bar->status(), "3 of 30");
    EXPECT_EQ(grid->row(), statements[2]);
    QTest::keyClick(focused(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(focused(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(bar->status(), "1 of 30");
    // Back from the first goes round to the last, brought into sight.
    QTest::keyClick(focused(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(bar->status(), "30 of 30");
    EXPECT_TRUE(grid->isRowVisible(statements.last()));
    EXPECT_FALSE(grid->isRowVisible(0));

    bar->entry()->setText("values 7;");
    EXPECT_EQ(bar->status(), "1 of 1");
    EXPECT_EQ(grid->row(), statements[6]);
    bar->entry()->setText("no such words");
    EXPECT_EQ(bar->status(), "No match");
    bar->entry()->setText("values 7;");
    QTest::keyClick(focused(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(pixelsOf(grid, statements[6], NorqSQL::textCol, FindMarks::currentHitBackground), 0);

    // Text View: the same bar over the editor.
    window->modeText_Click();
    activate(window.get());
    window->FullEdit->setFocus();
    window->FullEdit->moveCursor(QTextCursor::Start); // hits are counted from the caret
    QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->status(), "1 of 1"); // the text of before, found here
    bar->entry()->clear();
    window->FullEdit->moveCursor(QTextCursor::Start);
    QTest::keyClicks(focused(), "step 2");
    EXPECT_EQ(bar->status(), "1 of 11"); // 2, 20..29
    EXPECT_EQ(window->FullEdit->extraSelections().size(), 11);
    QTest::keyClick(focused(), Qt::Key_Escape);
    EXPECT_TRUE(window->FullEdit->extraSelections().isEmpty());

    // SQL View: the bar searches the result.
    window->modeSQL_Click();
    window->TextEdit->setPlainText("SELECT DEPTNAME FROM DEPARTMENT");
    window->TB_ButtonClick("run");
    activate(window.get());
    window->TextEdit->setFocus();
    QTest::keyClick(focused(), Qt::Key_F, Qt::ControlModifier);
    bar->entry()->setText("plan");
    EXPECT_EQ(bar->status(), "1 of 1");
    EXPECT_EQ(window->DataValues->text(), "PLANNING");
}

TEST_F(Usability, OutputsSurviveAViewChangeUnlessTheirStatementChanged) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    window->runAllRows();
    const QList<int> statements = rowsOfKind(RowKind::sql);
    const int outputs = outputRowCount();
    ASSERT_EQ(outputs, statements.size());
    const auto failureRows = [&] {
        QList<int> rows;
        for (int row = 0; row < window->CLP->rows(); ++row)
            if (cell(row, NorqSQL::markerCol) == RowStyle::failureMarker) rows << row;
        return rows;
    };
    ASSERT_EQ(failureRows().size(), 1);

    window->modeText_Click();
    window->modeScript_Click();
    EXPECT_EQ(outputRowCount(), outputs);
    ASSERT_EQ(failureRows().size(), 1);
    EXPECT_TRUE(window->CLP->rowData(failureRows()[0]).value<RowOutcome>().failed());
    EXPECT_FALSE(window->CLP->rowData(statements[0]).value<RowOutcome>().ran.isEmpty());
    EXPECT_FALSE(window->scriptModified());

    // An edited statement loses its output; the others keep theirs, in any view.
    window->modeText_Click();
    QString text = window->FullEdit->toPlainText();
    text.replace("SELECT * FROM DEPARTMENT;", "SELECT DEPTNO FROM DEPARTMENT;");
    window->FullEdit->setPlainText(text);
    window->modeEdit_Click();
    EXPECT_EQ(outputRowCount(), outputs - 1);
    const int edited = rowsOfKind(RowKind::sql)[1];
    EXPECT_EQ(cell(edited, NorqSQL::sqlCol), "SELECT DEPTNO FROM DEPARTMENT;");
    EXPECT_EQ(kindOf(edited + 1), RowKind::heading);
    window->modeSQL_Click();
    window->modeScript_Click();
    EXPECT_EQ(outputRowCount(), outputs - 1);
    EXPECT_EQ(failureRows().size(), 1);
}

TEST_F(Usability, SmallWindowWrapsHeadingsAndKeepsThePanelWhole) {
    const QSize least = window->minimumSize();
    EXPECT_LE(least.width(), 1024);
    EXPECT_LE(least.height(), 600 - 80); // the frame and a panel of the desktop
    openScript(writeFile("long.norq",
                         "/* {h1} Short */\n\nVALUES 1;\n\n"
                         "/* {h1} A heading far too long to be read in one line of a "
                         "small window, which wraps it instead of cutting it off */\n\n"
                         "VALUES 2;\n"),
               ViewMode::script);
    window->resize(least);
    QApplication::processEvents();
    ASSERT_EQ(window->size(), least);
    const QList<int> headings = rowsOfKind(RowKind::heading);
    ASSERT_EQ(headings.size(), 2);
    EXPECT_GT(window->CLP->rowHeight(headings[1]), window->CLP->rowHeight(headings[0]) + 200);

    // The panel views fit their grid: the editor keeps room for a few lines.
    for (const int view : {ViewMode::text, ViewMode::sql}) {
        view == ViewMode::text ? window->modeText_Click() : window->modeSQL_Click();
        QApplication::processEvents();
        int height = 0;
        for (int row = 0; row < 4; ++row)
            height += twipsToPixels(window->CLP->rowHeight(row));
        EXPECT_LE(height, window->CLP->viewport()->height() + 4) << view;
    }
    window->modeText_Click();
    EXPECT_GE(window->FullEdit->height(), 5 * window->FullEdit->fontMetrics().lineSpacing());
}

TEST_F(Usability, PressableCellsShowAHandAndSayWhatAPressDoes) {
    openScript(writeFile("links.norq", "/* {h0:LAST} To the last part */\n\n"
                                       "/*\n  Plain words.\n*/\n\n"
                                       "SELECT * FROM DEPARTMENT;\n\n"
                                       "/* {h2:LAST} The last part */\n"),
               ViewMode::script);
    Grid *grid = window->CLP;
    const int link = 0, prose = rowsOfKind(RowKind::comment)[0],
              statement = rowsOfKind(RowKind::sql)[0];
    const auto tip = [&](int row, int col) {
        return grid->model()->index(row, col).data(Qt::ToolTipRole).toString();
    };
    EXPECT_EQ(tip(statement, NorqSQL::markerCol), "Run this statement (Ctrl+Enter)");
    EXPECT_EQ(tip(link, NorqSQL::textCol), QString::fromUtf8("Go to \u201CThe last part\u201D"));
    EXPECT_EQ(tip(prose, NorqSQL::textCol), "");
    press(grid, statement, NorqSQL::markerCol);
    ASSERT_EQ(kindOf(statement + 1), RowKind::result);
    EXPECT_EQ(tip(statement + 1, NorqSQL::markerCol), "Show the whole result");

    const auto pointerOver = [&](int row, int col) {
        QTest::mouseMove(grid->viewport(), cellRect(grid, row, col).center());
        return grid->viewport()->cursor().shape();
    };
    EXPECT_EQ(pointerOver(statement, NorqSQL::markerCol), Qt::PointingHandCursor);
    EXPECT_EQ(pointerOver(prose, NorqSQL::textCol), Qt::ArrowCursor);
    EXPECT_EQ(pointerOver(link, NorqSQL::textCol), Qt::PointingHandCursor);
}

TEST_F(Usability, HelpGoesBackAndForwardAcrossTheLinksFollowed) {
    QString first = "/* {h1} First page */\n\n/* {h0:END} To the end */\n\n"
                    "/* {h0:second.norq} To the second page */\n\n";
    for (int n = 0; n < 40; ++n)
        first += QStringLiteral("/*\n  Filler paragraph %1.\n*/\n\n").arg(n);
    first += "/* {h2:END} The end */\n";
    const QString firstPath = writeFile("first.norq", first);
    writeFile("second.norq", "/* {h1} Second page */\n");
    NorqHelp help;
    help.resize(600, 400);
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    help.showFile(firstPath);
    EXPECT_FALSE(help.backAction()->isEnabled());

    const auto rowOf = [&](const QString &text) {
        for (int row = 0; row < help.CLP->rows(); ++row)
            if (help.CLP->textMatrix(row, NorqHelp::textCol) == text) return row;
        return -1;
    };
    help.CLP_MouseDown(Qt::LeftButton, rowOf("To the end"), NorqHelp::textCol);
    const int end = help.CLP->topRow();
    ASSERT_GT(end, 10);
    // Out of sight now, but a press there is the same.
    help.CLP_MouseDown(Qt::LeftButton, rowOf("To the second page"), NorqHelp::textCol);
    EXPECT_EQ(help.windowTitle(), "Second page");

    activate(&help);
    QTest::keyClick(&help, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(help.windowTitle(), "First page");
    EXPECT_EQ(help.CLP->topRow(), end);
    help.goBack();
    EXPECT_EQ(help.CLP->topRow(), 0);
    EXPECT_FALSE(help.backAction()->isEnabled());
    QTest::keyClick(&help, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(help.CLP->topRow(), end);
    help.goForward();
    EXPECT_EQ(help.windowTitle(), "Second page");
    EXPECT_FALSE(help.forwardAction()->isEnabled());
}

TEST_F(Usability, F6ReachesTheSqlBoxAndTheCurrentRowShowsABand) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::text);
    activate(window.get());
    window->FullEdit->setFocus();
    QTest::keyClick(focused(), Qt::Key_F6);
    EXPECT_EQ(focused(), window->TextEdit);
    QTest::keyClick(focused(), Qt::Key_F6);
    EXPECT_EQ(focused(), window->FullEdit);

    for (const int view : {ViewMode::script, ViewMode::edit}) {
        openScript(MainWindowEnvironment::scratch() + "/staff.norq", view);
        activate(window.get());
        const int prose = rowsOfKind(RowKind::comment)[0];
        window->CLP->setFocus();
        window->CLP->setRow(prose);
        window->CLP->setCol(NorqSQL::textCol);
        QApplication::processEvents();
        const QColor band = Grid::focusBandColour();
        // Along the row's length, over both of its shown cells.
        EXPECT_GT(pixelsOf(window->CLP, prose, NorqSQL::textCol, band),
                  cellRect(window->CLP, prose, NorqSQL::textCol).width())
            << view;
        EXPECT_GT(pixelsOf(window->CLP, prose, NorqSQL::markerCol, band), 0) << view;
        EXPECT_EQ(pixelsOf(window->CLP, prose + 1, NorqSQL::textCol, band), 0) << view;
    }
}
