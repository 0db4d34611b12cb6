#pragma once
// The grid operations SQL execution and the variable listing need of a window's result
// grid. The windows' grid class implements it; the engine never sees a widget.
// Sizes are in twips; rows and columns count from 0 (row 0 holds the column names).

#include <QString>
#include <QStringList>
#include <vector>

class ResultGrid {
public:
    virtual ~ResultGrid() = default;

    virtual int rows() const = 0;
    virtual void setRows(int rows) = 0;
    virtual int cols() const = 0;
    virtual void setCols(int cols) = 0;
    virtual void setFixedRows(int rows) = 0;
    virtual void setFixedCols(int cols) = 0;
    virtual void setTopRow(int row) = 0;
    virtual void setLeftCol(int col) = 0;
    virtual void setRow(int row) = 0;

    virtual int colWidth(int col) const = 0;
    virtual void setColWidth(int col, int twips) = 0;
    // 1 left-centre, 7 right-centre.
    virtual void setColAlignment(int col, int alignment) = 0;

    virtual QString textMatrix(int row, int col) const = 0;
    virtual void setTextMatrix(int row, int col, const QString &text) = 0;
    // One row from a TAB-separated record, appended (index < 0) or inserted at index.
    virtual void addItem(const QString &record, int index = -1) = 0;
    // The same row from its cells, as addItem takes them joined by TABs; a grid that
    // stores cells can keep them without joining and splitting each row again.
    virtual void addCells(std::vector<QString> &&cells, int index = -1) {
        addItem(QStringList(cells.begin(), cells.end()).join(QLatin1Char('\t')), index);
    }
    virtual void clear() = 0;

    virtual void setGridVisible(bool visible) = 0;
    virtual void bringToFront() = 0;
    // The owning window's " Running..." indicator, laid over the grid while rows load.
    virtual void showRunning(bool shown) = 0;
    // Width in twips of a text in the grid's font.
    virtual int textWidthTwips(const QString &text) const = 0;
};
