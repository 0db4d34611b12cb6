#pragma once
// A result grid that keeps nothing: the script runs read the outcome from the engine's
// state, not from the grid.

#include "core/result_grid.h"

class DiscardingGrid : public ResultGrid {
public:
    int rows() const override { return rows_; }
    void setRows(int rows) override { rows_ = rows; }
    int cols() const override { return cols_; }
    void setCols(int cols) override { cols_ = cols; }
    void setFixedRows(int) override {}
    void setFixedCols(int) override {}
    void setTopRow(int) override {}
    void setLeftCol(int) override {}
    void setRow(int) override {}
    int colWidth(int) const override { return 0; }
    void setColWidth(int, int) override {}
    void setColAlignment(int, int) override {}
    QString textMatrix(int, int) const override { return {}; }
    void setTextMatrix(int, int, const QString &) override {}
    void addItem(const QString &, int) override { ++rows_; }
    void clear() override {}
    void setGridVisible(bool) override {}
    void bringToFront() override {}
    void showRunning(bool) override {}
    int textWidthTwips(const QString &text) const override { return int(text.size()) * 120; }

private:
    int rows_ = 0;
    int cols_ = 0;
};
