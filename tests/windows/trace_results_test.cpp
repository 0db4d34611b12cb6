#include "core/engine_state.h"
#include "document/grid.h"
#include "engine/dispatcher.h"
#include "grid_clicks.h"
#include "test_support.h"
#include "windows/norq_sql_results.h"
#include "windows/norq_trace.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

TEST(TraceWindow, TracedRunFillsTheHistoryAndClicksExpandStatements) {
    testWindows(); // the trace window receives the history
    NorqTrace *trace = NorqTrace::shared();
    trace->prepareHistory();
    trace->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(trace));
    engine.traceOn = true;
    runScript("TEST one\rNOSUCHCOMMAND 2", nullptr, nullptr);
    runScript("TEST a\rb", nullptr, nullptr); // a new run replaces the rows
    engine.traceOn = false;

    Grid *history = trace->History;
    ASSERT_EQ(history->rows(), 2);
    EXPECT_EQ(history->textMatrix(0, 1), "SQL");
    EXPECT_EQ(history->textMatrix(1, 0), "1");
    EXPECT_EQ(history->textMatrix(1, 2), "Command completed.");
    history->setRow(1);
    history->setCol(2);
    EXPECT_EQ(history->cellBackColor(), QColor(0, 255, 0));

    pressCell(history, 1, 1);
    EXPECT_EQ(trace->expandCell->toPlainText(),
              history->textMatrix(1, 1).replace(QChar(0x2022), '\n'));
    EXPECT_TRUE(trace->expandCell->toPlainText().contains('\n'));
    trace->expandCell->setPlainText("kept");
    pressCell(history, 0, 1);
    EXPECT_EQ(trace->expandCell->toPlainText(), "kept") << "the header row expands nothing";
    trace->close();
}

TEST(ResultsWindow, EscapeReturnsFromTheRecordToTheGrid) {
    testWindows();
    NorqSQLResults *results = NorqSQLResults::shared();
    results->resize(800, 400);
    results->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(results));
    Grid *grid = results->DataValues;
    grid->setCols(3);
    grid->setRows(0);
    grid->addItem("\tID\tDOC");
    grid->addItem("1\t7\t<r><s/></r>");
    grid->addItem("2\t5\tplain");
    grid->setFixedRows(1);
    grid->setFixedCols(1);

    pressCell(grid, 0, 1);
    EXPECT_EQ(grid->textMatrix(1, 1), "7") << "descending first";
    pressCell(grid, 0, 1);
    EXPECT_EQ(grid->textMatrix(1, 1), "5");

    pressCell(grid, 2, 0);
    ASSERT_TRUE(results->SingleView->isVisible());
    EXPECT_EQ(results->SingleView->textMatrix(2, 1), "<r><s/></r>");
    QTest::keyClick(results->SingleView, Qt::Key_Escape);
    EXPECT_FALSE(results->SingleView->isVisible());
    EXPECT_TRUE(grid->isVisible());

    pressCell(grid, 2, 2);
    EXPECT_TRUE(results->XMLView->isVisible());
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(results->XMLView->isVisible());
    results->close();
}
