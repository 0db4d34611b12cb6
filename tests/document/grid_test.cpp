#include "core/platform_units.h"
#include "document/grid.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <random>

namespace {

QStringList rowTexts(const Grid &grid, int row) {
    QStringList texts;
    for (int c = 0; c < grid.cols(); ++c)
        texts << grid.textMatrix(row, c);
    return texts;
}

QStringList columnTexts(const Grid &grid, int col) {
    QStringList texts;
    for (int r = 0; r < grid.rows(); ++r)
        texts << grid.textMatrix(r, col);
    return texts;
}

} // namespace

TEST(Grid, AddItemSplitsTabsAppendsAndInserts) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(0);
    grid.addItem("a\tb\tc");
    grid.addItem("x");             // fewer fields: the rest stay empty
    grid.addItem("1\t2\t3\t4\t5"); // extra fields are dropped
    grid.addItem("ins\tert", 1);   // rows below move down
    ASSERT_EQ(grid.rows(), 4);
    EXPECT_EQ(rowTexts(grid, 0), QStringList({"a", "b", "c"}));
    EXPECT_EQ(rowTexts(grid, 1), QStringList({"ins", "ert", ""}));
    EXPECT_EQ(rowTexts(grid, 2), QStringList({"x", "", ""}));
    EXPECT_EQ(rowTexts(grid, 3), QStringList({"1", "2", "3"}));
    EXPECT_EQ(grid.textMatrix(2, 2), QString());  // empty, never garbage
    EXPECT_EQ(grid.textMatrix(99, 0), QString()); // out of range reads empty
    grid.setTextMatrix(99, 0, "ignored");         // and writes nowhere
    EXPECT_EQ(grid.rows(), 4);

    grid.removeItem(0);
    EXPECT_EQ(columnTexts(grid, 0), QStringList({"ins", "x", "1"}));
    grid.removeItem(7); // out of range: nothing
    EXPECT_EQ(grid.rows(), 3);
}

TEST(Grid, InsertingAmongEmptyRowsKeepsLaterContent) {
    Grid grid;
    grid.setCols(2);
    grid.setRows(6);
    grid.setTextMatrix(4, 1, "kept");
    grid.addItem("r1\tx", 1); // among empty rows, yet a later row holds text
    grid.addItem("r2\ty", 2);
    ASSERT_EQ(grid.rows(), 8);
    EXPECT_EQ(grid.textMatrix(6, 1), "kept");
    EXPECT_EQ(grid.textMatrix(1, 0), "r1");
    EXPECT_EQ(grid.textMatrix(2, 1), "y");
    grid.setRowHeight(7, 300);
    grid.addItem("r7", 7); // a row with a height of its own moves down with it
    EXPECT_EQ(grid.rowHeight(8), 300);
    EXPECT_EQ(grid.textMatrix(7, 0), "r7");
    grid.clear();
    grid.addItem("again", 3);
    EXPECT_EQ(grid.textMatrix(3, 0), "again");
    EXPECT_EQ(grid.rowHeight(9), 300);
}

// Rows keep their place and content whatever mix of insertions, removals, edits, resizes
// and sorts comes, wherever in the grid each lands: checked against a plain list.
TEST(Grid, RowsFollowAnyMixOfChangesAsAListWould) {
    Grid grid;
    grid.setCols(1);
    grid.setRows(0);
    QStringList expected;
    std::mt19937 random(7);
    const auto pick = [&](int below) {
        return below <= 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(below));
    };
    for (int step = 0; step < 3000; ++step) {
        const QString text = QString::number(step);
        switch (pick(10)) {
        case 0:
        case 1:
        case 2:
        case 3: { // mostly just below the last place, as Run all inserts
            const int at = pick(expected.size() + 1);
            grid.addItem(text, at);
            expected.insert(at, text);
            break;
        }
        case 4:
        case 5:
            if (!expected.isEmpty()) {
                const int at = pick(expected.size());
                grid.removeItem(at);
                expected.removeAt(at);
            }
            break;
        case 6:
        case 7:
            if (!expected.isEmpty()) {
                const int at = pick(expected.size());
                grid.setTextMatrix(at, 0, text);
                expected[at] = text;
            }
            break;
        case 8: { // the count changes: rows are cut or empty ones added
            const int count = std::max(0, static_cast<int>(expected.size()) + pick(9) - 4);
            grid.setRows(count);
            while (expected.size() > count)
                expected.removeLast();
            while (expected.size() < count)
                expected.append(QString());
            break;
        }
        default:
            if (expected.size() > 2) {
                const int first = pick(expected.size() - 1), last = expected.size() - 1;
                grid.setRow(first);
                grid.setRowSel(last);
                grid.sort(1);
                // The sort's own order is tested elsewhere: here, that it moved the rows.
                const QStringList sorted = columnTexts(grid, 0).mid(first);
                QStringList before = expected.mid(first), after = sorted;
                before.sort();
                after.sort();
                ASSERT_EQ(after, before) << "step " << step;
                expected = expected.mid(0, first) + sorted;
            }
        }
        ASSERT_EQ(grid.rows(), expected.size()) << "step " << step;
        if (step % 50 == 0 || step > 2950) {
            ASSERT_EQ(columnTexts(grid, 0), expected) << "step " << step;
        }
    }
}

TEST(Grid, CountsTruncateAndGrowEmpty) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(3);
    grid.setTextMatrix(2, 2, "corner");
    grid.setTextMatrix(0, 0, "keep");
    grid.setCols(2);
    grid.setRows(2);
    grid.setCols(3);
    grid.setRows(3);
    EXPECT_EQ(grid.textMatrix(2, 2), QString()); // what was cut off does not come back
    EXPECT_EQ(grid.textMatrix(0, 0), "keep");

    grid.setRow(1);
    grid.setCol(1);
    grid.setText("current");
    EXPECT_EQ(grid.textMatrix(1, 1), "current");
    EXPECT_EQ(grid.text(), "current");
    grid.setCellBackColor(Qt::red);
    grid.clear(); // texts and styles go, the shape stays
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.cols(), 3);
    EXPECT_EQ(grid.textMatrix(0, 0), QString());
    EXPECT_NE(grid.cellBackColor(), QColor(Qt::red));
}

TEST(Grid, SizesInTwipsAndZeroHides) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(5);
    grid.resize(400, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    grid.setColWidth(1, 1500);
    grid.setRowHeight(2, 600);
    EXPECT_EQ(grid.colWidth(1), 1500);
    EXPECT_EQ(grid.rowHeight(2), 600);
    EXPECT_EQ(grid.columnWidth(1), twipsToPixels(1500));

    grid.setRowHeight(3, 0);
    grid.setColWidth(2, 0);
    EXPECT_EQ(grid.rowHeight(3), 0);
    EXPECT_EQ(grid.colWidth(2), 0);
    EXPECT_TRUE(grid.isRowHidden(3));
    EXPECT_TRUE(grid.isColumnHidden(2));
    EXPECT_FALSE(grid.isRowVisible(3));
    grid.setRowHeight(3, 300);
    EXPECT_FALSE(grid.isRowHidden(3));
    EXPECT_TRUE(grid.isRowVisible(3));

    // Sizes survive a batched reshape while hidden.
    grid.hide();
    grid.addItem("new", 0);
    grid.show();
    grid.syncView();
    EXPECT_EQ(grid.rowHeight(3), 600); // the row moved down with its height
    EXPECT_EQ(grid.QTableView::rowHeight(3), twipsToPixels(600));
    EXPECT_TRUE(grid.isColumnHidden(2));

    // Sizes set while hidden with nothing else pending reach the view when it is shown.
    grid.hide();
    grid.setColWidth(1, 2400);
    grid.setRowHeight(2, 900);
    grid.setRowHeight(4, 0);
    grid.show();
    EXPECT_EQ(grid.columnWidth(1), twipsToPixels(2400));
    EXPECT_EQ(grid.QTableView::rowHeight(2), twipsToPixels(900));
    EXPECT_TRUE(grid.isRowHidden(4));
}

TEST(Grid, RowsWithoutAHeightFollowTheFont) {
    Grid grid;
    grid.setCols(2);
    grid.setRows(3);
    grid.setRowHeight(2, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.setFontSize(14);
    const int line = QFontMetrics(grid.gridFont()).height();
    EXPECT_GE(grid.QTableView::rowHeight(0), line);
    EXPECT_GE(grid.rowHeight(1), pixelsToTwips(line));
    EXPECT_EQ(grid.rowHeight(2), 300); // a row's own height stays
}

TEST(Grid, TheCurrentCellShowsItsOwnBackground) {
    Grid grid;
    grid.setCols(2);
    grid.setRows(2);
    grid.resize(300, 200);
    const QColor green(0, 160, 0);
    grid.setRow(0);
    grid.setCol(0);
    grid.setCellBackColor(green);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.setRow(0);
    grid.setCol(0);
    grid.setFocus();
    const QRect cell = grid.visualRect(grid.model()->index(0, 0));
    const QImage painted = grid.viewport()->grab().toImage();
    // Inside the cell, clear of a focus frame at its edge.
    EXPECT_EQ(painted.pixelColor(cell.center() + QPoint(cell.width() / 4, 0)), green);
    // A cell without a colour of its own still shows the selection.
    grid.setRow(1);
    grid.setCol(1);
    const QRect plain = grid.visualRect(grid.model()->index(1, 1));
    const QImage again = grid.viewport()->grab().toImage();
    EXPECT_NE(again.pixelColor(plain.center() + QPoint(plain.width() / 4, 0)),
              grid.palette().color(QPalette::Base));
}

TEST(Grid, FixedRowAndColumnStayAsHeaders) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(200);
    grid.setTextMatrix(0, 1, "NAME");
    grid.setTextMatrix(5, 0, "5");
    grid.setTextMatrix(5, 1, "five");
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.resize(400, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    EXPECT_TRUE(grid.horizontalHeader()->isVisible());
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), "NAME");
    EXPECT_EQ(grid.model()->headerData(4, Qt::Vertical).toString(), "5");
    EXPECT_EQ(grid.model()->index(4, 0).data().toString(), "five");

    grid.setTopRow(50);
    EXPECT_EQ(grid.topRow(), 50);
    EXPECT_TRUE(grid.isRowVisible(50));
    EXPECT_FALSE(grid.isRowVisible(10));
    EXPECT_TRUE(grid.isRowVisible(0)); // the header row never scrolls away

    // Geometry of the current cell: negative once it is scrolled out.
    grid.setRow(50);
    grid.setCol(1);
    EXPECT_GE(grid.cellTop(), 0);
    EXPECT_GT(grid.cellHeight(), 0);
    EXPECT_GE(grid.cellLeft(), pixelsToTwips(grid.verticalHeader()->width()));
    grid.setRow(5);
    EXPECT_LT(grid.cellTop(), 0);
    EXPECT_LT(grid.cellLeft(), 0);
    grid.setRow(0); // header cells have their place too
    EXPECT_GE(grid.cellTop(), 0);
}

TEST(Grid, CellStylesStayWithTheirCellAndKeepTheSelection) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(3);
    grid.setRow(1);
    grid.setCol(2);
    grid.setCellFontName("Tahoma");
    grid.setCellFontSize(9.75);
    grid.setCellFontBold(true);
    grid.setCellFontItalic(true);
    grid.setCellFontUnderline(true);
    grid.setCellForeColor(QColor(1, 2, 3));
    grid.setCellBackColor(QColor(4, 5, 6));
    grid.setCellAlignment(2);
    QPixmap picture(8, 8);
    picture.fill(Qt::blue);
    grid.setCellPicture(picture);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 2);

    EXPECT_EQ(grid.cellFontName(), "Tahoma");
    EXPECT_DOUBLE_EQ(grid.cellFontSize(), 9.75);
    EXPECT_TRUE(grid.cellFontBold());
    EXPECT_TRUE(grid.cellFontItalic());
    EXPECT_TRUE(grid.cellFontUnderline());
    EXPECT_EQ(grid.cellForeColor(), QColor(1, 2, 3));
    EXPECT_EQ(grid.cellBackColor(), QColor(4, 5, 6));
    EXPECT_EQ(grid.cellAlignment(), 2);
    EXPECT_FALSE(grid.cellPicture().isNull());
    const QModelIndex cell = grid.model()->index(1, 2);
    EXPECT_EQ(cell.data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignLeft | Qt::AlignBottom);
    EXPECT_TRUE(cell.data(Qt::FontRole).value<QFont>().bold());

    // Another cell keeps the grid's font.
    grid.setCol(1);
    EXPECT_FALSE(grid.cellFontBold());
    EXPECT_DOUBLE_EQ(grid.cellFontSize(), grid.fontSize());
    EXPECT_TRUE(grid.cellPicture().isNull());

    // Styles move with their row.
    grid.addItem("top", 0);
    grid.setRow(2);
    grid.setCol(2);
    EXPECT_TRUE(grid.cellFontBold());
    grid.setCellPicture(QPixmap());
    EXPECT_TRUE(grid.cellPicture().isNull());
}

TEST(Grid, MovesInsideQuietMovesReachTheViewOnceAtTheEnd) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(3);
    grid.show();
    QSignalSpy moves(grid.selectionModel(), &QItemSelectionModel::currentChanged);
    {
        const Grid::QuietMoves quiet(&grid);
        grid.setRow(1);
        grid.setCol(0);
        grid.setCellBackColor(Qt::red); // the cell moved to, though the view has not moved
        grid.setCol(2);
        EXPECT_EQ(moves.count(), 0);
    }
    EXPECT_EQ(moves.count(), 1);
    EXPECT_EQ(grid.selectionModel()->currentIndex(), grid.model()->index(1, 2));
    EXPECT_EQ(grid.model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
}

TEST(Grid, SortsSelectedRowsBySelectedColumns) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(1);
    grid.setTextMatrix(0, 1, "header");
    for (const char *record : {"\t10\tb", "\t9\ta", "\t100\tc", "\t9\t0"})
        grid.addItem(record);
    grid.setFixedRows(1);
    grid.setRow(1);
    grid.setRowSel(grid.rows() - 1);
    grid.setCol(1);
    grid.setColSel(2);
    grid.sort(1);
    EXPECT_EQ(columnTexts(grid, 1), QStringList({"header", "9", "9", "10", "100"}));
    EXPECT_EQ(columnTexts(grid, 2), QStringList({"", "0", "a", "b", "c"}));
    grid.setRow(1);
    grid.setRowSel(grid.rows() - 1);
    grid.setCol(1);
    grid.setColSel(1);
    grid.sort(2);
    EXPECT_EQ(columnTexts(grid, 1), QStringList({"header", "100", "10", "9", "9"}));
    grid.sort(3); // unknown order: nothing
    EXPECT_EQ(grid.textMatrix(1, 1), "100");
}

TEST(Grid, CarriageReturnBreaksTheLineInACell) {
    Grid grid;
    grid.setCols(1);
    grid.setRows(2);
    grid.setColWidth(0, 3000);
    grid.setTextMatrix(0, 0, "one");
    grid.setTextMatrix(1, 0, "one\rtwo");
    QStyleOptionViewItem option;
    option.initFrom(&grid);
    option.rect = QRect(0, 0, twipsToPixels(3000), 100);
    QAbstractItemDelegate *delegate = grid.itemDelegate();
    const int single = delegate->sizeHint(option, grid.model()->index(0, 0)).height();
    const int twoLines = delegate->sizeHint(option, grid.model()->index(1, 0)).height();
    EXPECT_GT(twoLines, single + single / 2);
}

TEST(Grid, MouseRowAndColumnFollowTheLastMouseEvent) {
    Grid grid;
    grid.setCols(3);
    grid.setRows(10);
    grid.setFixedRows(1);
    grid.resize(400, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy downs(&grid, &Grid::gridMouseDown);
    const QRect cell = grid.visualRect(grid.model()->index(2, 1)); // grid row 3
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(grid.mouseRow(), 3);
    EXPECT_EQ(grid.mouseCol(), 1);
    EXPECT_EQ(grid.row(), 3); // the click moved the current cell before the signal
    EXPECT_EQ(grid.col(), 1);
    EXPECT_EQ(downs.count(), 1);
}

TEST(Grid, LoadsManyRowsWhileHidden) {
    Grid grid;
    grid.setGridVisible(false);
    grid.setRows(1000);
    grid.clear();
    grid.setCols(11);
    for (int r = 1; r <= 32000; ++r)
        grid.addItem(QString::number(r) + "\tAAAA\tBBBB\t1\t2\t3\t4\t5\t6\t7\tlast", r);
    grid.setRows(32001);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.setTopRow(1);
    grid.setGridVisible(true);
    grid.syncView();
    EXPECT_EQ(grid.rows(), 32001);
    EXPECT_EQ(grid.model()->rowCount(), 32000);
    EXPECT_EQ(grid.textMatrix(32000, 0), "32000");
    EXPECT_EQ(grid.textMatrix(32000, 10), "last");
    EXPECT_EQ(grid.textMatrix(1, 0), "1");
}

TEST(Grid, TextWidthGrowsWithTheText) {
    Grid grid;
    EXPECT_GT(grid.textWidthTwips("OOOOOOOOOO"), grid.textWidthTwips("OOOOO"));
    EXPECT_EQ(grid.textWidthTwips(""), 0);
    grid.setFontSize(20);
    EXPECT_DOUBLE_EQ(grid.fontSize(), 20);
}

TEST(Grid, CtrlCCopiesTheSelectedCellsWithLineFeeds) {
    Grid grid;
    grid.setCols(4);
    grid.setRows(0);
    for (const char *record : {"\tNAME", "\tone\rtwo\tx\r\ny\thidden", "\tthree\tfour", ""})
        grid.addItem(record);
    grid.setFixedRows(1);
    grid.setColWidth(3, 0);
    grid.resize(400, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QApplication::clipboard()->clear();

    // The current cell alone: its line breaks become line feeds.
    grid.setRow(1);
    grid.setCol(1);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "one\ntwo");

    // A range: tabs between cells, line feeds between rows, hidden columns left out.
    grid.setRowSel(2);
    grid.setColSel(3);
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "one\ntwo\tx\ny\nthree\tfour");
    EXPECT_FALSE(QApplication::clipboard()->text().contains('\r'));
}
