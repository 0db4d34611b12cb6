#pragma once
// Stand-ins for the windows: a result grid that records what it is told, and a window
// interface that answers Yes/No from a queue and remembers the connect status lines.

#include "core/result_grid.h"
#include "core/window_interface.h"

#include <QStringList>
#include <deque>
#include <map>
#include <vector>

class FakeGrid : public ResultGrid {
public:
    std::vector<QStringList> cells{QStringList()};
    int colCount = 2, fixedRows = 0, fixedCols = 0, topRow = 0, leftCol = 0, currentRow = 0;
    std::map<int, int> widths, alignments;
    bool visible = true, running = false, raised = false;

    int rows() const override { return static_cast<int>(cells.size()); }
    void setRows(int rows) override { cells.resize(std::max(0, rows)); }
    int cols() const override { return colCount; }
    void setCols(int cols) override { colCount = cols; }
    void setFixedRows(int rows) override { fixedRows = rows; }
    void setFixedCols(int cols) override { fixedCols = cols; }
    void setTopRow(int row) override { topRow = row; }
    void setLeftCol(int col) override { leftCol = col; }
    void setRow(int row) override { currentRow = row; }
    int colWidth(int col) const override { return widths.count(col) ? widths.at(col) : 0; }
    void setColWidth(int col, int twips) override { widths[col] = twips; }
    void setColAlignment(int col, int alignment) override { alignments[col] = alignment; }
    QString textMatrix(int row, int col) const override {
        if (row < 0 || row >= rows() || col < 0 || col >= cells[row].size()) return {};
        return cells[row][col];
    }
    void setTextMatrix(int row, int col, const QString &text) override {
        if (row < 0 || row >= rows() || col < 0 || col >= colCount) return;
        while (cells[row].size() <= col)
            cells[row] << QString();
        cells[row][col] = text;
    }
    void addItem(const QString &record, int index) override {
        QStringList row = record.split('\t').mid(0, colCount);
        if (index < 0 || index > rows())
            cells.push_back(row);
        else
            cells.insert(cells.begin() + index, row);
    }
    void clear() override {
        for (auto &row : cells)
            row.clear();
    }
    void setGridVisible(bool shown) override { visible = shown; }
    void bringToFront() override { raised = true; }
    void showRunning(bool shown) override { running = shown; }
    int textWidthTwips(const QString &text) const override {
        return 100 * static_cast<int>(text.size());
    }
};

class FakeWindows : public SilentWindowInterface {
public:
    std::deque<bool> answers;
    QStringList questions;
    QStringList statuses;

    bool askYesNo(const QString &title, const QString &text) override {
        questions << title + ": " + text;
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void connectStatus(const QString &text) override { statuses << text; }
};
