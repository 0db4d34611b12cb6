#include "windows/result_panes.h"

#include "core/platform_units.h"
#include "document/grid.h"
#include "windows/xml_tree.h"

#include <QTreeWidget>

namespace {

constexpr int kSortAscending = 1;
constexpr int kSortDescending = 2;
constexpr int kLeftCentre = 1;
// The tree opens this far right of the click, or ends at the click when it would not fit.
constexpr int kTreeOffset = 300;
constexpr int kTreeTopOffset = 400;
constexpr int kTreeHeightLoss = 500;
constexpr int kPairColumnLoss = 60;

} // namespace

bool isXmlCellText(const QString &text) {
    return text.startsWith(QLatin1Char('<')) &&
           !text.left(5).startsWith(QLatin1String("<HTML"), Qt::CaseInsensitive);
}

ResultPanes::ResultPanes(Grid *grid, Grid *singleView, QTreeWidget *xmlView)
    : grid_(grid), singleView_(singleView), xmlView_(xmlView) {}

void ResultPanes::gridMouseDown(int x, int windowWidth) {
    const int row = grid_->mouseRow();
    const int col = grid_->mouseCol();
    if (row < 0 || col < 0) return;
    if (row == 0) {
        if (grid_->rows() > 1) sortByColumn(col);
        return;
    }
    if (col == 0) {
        if (grid_->rows() > 1) showSingleRecord(row);
        return;
    }
    xmlView_->hide();
    showXmlTree(grid_->textMatrix(row, col), x, windowWidth);
}

void ResultPanes::sortByColumn(int col) {
    grid_->setCol(col);
    grid_->setColSel(col);
    grid_->setRow(1);
    grid_->setRowSel(grid_->rows() - 1);
    const int order = sortDirection_ == 1 ? kSortDescending : kSortAscending;
    grid_->sort(order);
    sortDirection_ = order == kSortDescending ? 2 : 1;
}

void ResultPanes::showSingleRecord(int row) {
    const int width = grid_->gridWidth();
    singleView_->setGridGeometry(grid_->gridLeft(), grid_->gridTop(), width, grid_->gridHeight());
    singleView_->setFixedRows(0);
    singleView_->setFixedCols(0);
    singleView_->setCols(2);
    singleView_->setRows(grid_->cols());
    singleView_->clear();
    singleView_->setColWidth(0, width / 4 - kPairColumnLoss);
    singleView_->setColWidth(1, width * 3 / 4 - kPairColumnLoss);
    singleView_->setColAlignment(0, kLeftCentre);
    singleView_->setColAlignment(1, kLeftCentre);
    for (int c = 0; c < grid_->cols(); ++c) {
        singleView_->setTextMatrix(c, 0, grid_->textMatrix(0, c).trimmed());
        singleView_->setTextMatrix(c, 1, grid_->textMatrix(row, c).trimmed());
    }
    singleView_->setGridVisible(true);
    singleView_->bringToFront();
    grid_->setGridVisible(false);
}

bool ResultPanes::showXmlTree(const QString &text, int x, int windowWidth) {
    if (!isXmlCellText(text)) return false;
    QString xml = text;
    xmlToTree(xml, xmlView_);
    const int treeWidth = pixelsToTwips(xmlView_->width());
    int left = x + grid_->gridLeft() + kTreeOffset;
    if (left + treeWidth > windowWidth) left = x + grid_->gridLeft() - treeWidth;
    xmlView_->setGeometry(twipsRect(left, grid_->gridTop() + kTreeTopOffset, treeWidth,
                                    grid_->gridHeight() - kTreeHeightLoss));
    xmlView_->show();
    xmlView_->raise();
    return true;
}
