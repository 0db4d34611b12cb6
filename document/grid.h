#pragma once
// The flexible grid: a table of text (or picture) cells addressed by row and column from
// 0, with sizes in twips. Row 0 and column 0 are ordinary cells unless fixed rows or
// columns are set, in which case the first fixed row/column stays in place as the view's
// header while the rest scrolls.
//
// Cell operations without coordinates act on the current cell (row(), col()); setting a
// style never moves the current cell. Cells are stored compactly (one vector of texts
// per row, styles in a sparse per-row map), so tens of thousands of rows load fast;
// while the grid is hidden, structural changes are batched and applied once it is shown
// or queried for its on-screen layout.
//
// Operations (flexible-grid name -> method):
//   Rows/Cols                  rows(), setRows(), cols(), setCols()
//   FixedRows/FixedCols        fixedRows(), setFixedRows(), fixedCols(), setFixedCols()
//   Row/Col/RowSel/ColSel      row(), setRow(), col(), setCol(), rowSel(), setRowSel(), ...
//   Text / TextMatrix          text(), setText(), textMatrix(), setTextMatrix()
//   AddItem/RemoveItem/Clear   addItem(), removeItem(), clear()
//   RowHeight/ColWidth         rowHeight(), setRowHeight(), colWidth(), setColWidth() (0 hides)
//   ColAlignment               colAlignment(), setColAlignment()
//   TopRow/LeftCol             topRow(), setTopRow(), leftCol(), setLeftCol()
//   RowIsVisible               isRowVisible()
//   MouseRow/MouseCol          mouseRow(), mouseCol()
//   CellLeft/Top/Width/Height  cellLeft(), cellTop(), cellWidth(), cellHeight()
//   CellBackColor/ForeColor    cellBackColor(), setCellBackColor(), cellForeColor(), ...
//   CellAlignment              cellAlignment(), setCellAlignment()
//   CellFontName/Size/Bold/Italic/Underline   cellFontName(), setCellFontName(), ...
//   CellPicture                cellPicture(), setCellPicture() (a null pixmap clears it)
//   Sort                       sort(1 ascending | 2 descending)
//   Refresh/ZOrder/Font        refresh(), bringToFront(), gridFont(), setGridFont()
//   Visible/Left/Top/Width/Height  setGridVisible(), gridLeft(), ..., setGridGeometry()
//
// Alignment codes: 0 left-top, 1 left-centre, 2 left-bottom, 3 centre-top,
// 4 centre-centre, 5 centre-bottom, 6 right-top, 7 right-centre, 8 right-bottom,
// 9 general (numbers right, text left; the default).

#include "core/result_grid.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <QVariant>
#include <functional>

class GridModel;
class QLabel;

class Grid : public QTableView, public ResultGrid {
    Q_OBJECT

public:
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    // While one lives, moves of the current cell from code reach the view once, when it
    // ends: each move resynchronises the view's selection, and styling a row takes several.
    class QuietMoves {
    public:
        explicit QuietMoves(Grid *grid) : grid_(grid) { ++grid_->quietMoves_; }
        ~QuietMoves();
        QuietMoves(const QuietMoves &) = delete;
        QuietMoves &operator=(const QuietMoves &) = delete;

    private:
        Grid *grid_;
    };

    // While one lives, the view follows the rows only at refresh(), not change by change:
    // a live view re-lays its rows out at every inserted one, which a long Run all pays
    // for at each statement, though nothing is painted in between.
    class HeldView {
    public:
        explicit HeldView(Grid *grid);
        ~HeldView();
        HeldView(const HeldView &) = delete;
        HeldView &operator=(const HeldView &) = delete;

    private:
        Grid *grid_;
    };

    // Counts.
    int rows() const override;
    void setRows(int rows) override;
    int cols() const override;
    void setCols(int cols) override;
    int fixedRows() const;
    void setFixedRows(int rows) override;
    int fixedCols() const;
    void setFixedCols(int cols) override;

    // Current cell and selection range (RowSel/ColSel extend it from the current cell).
    int row() const;
    void setRow(int row) override;
    int col() const;
    void setCol(int col);
    int rowSel() const;
    void setRowSel(int row);
    int colSel() const;
    void setColSel(int col);

    // Texts.
    QString text() const;
    void setText(const QString &text);
    QString textMatrix(int row, int col) const override;
    void setTextMatrix(int row, int col, const QString &text) override;
    void addItem(const QString &record, int index = -1) override;
    void addCells(std::vector<QString> &&cells, int index = -1) override;
    void removeItem(int index);
    // Empties every cell (texts, pictures and cell styles); counts and sizes stay.
    void clear() override;

    // Sizes in twips; 0 hides the row or column.
    int rowHeight(int row) const;
    void setRowHeight(int row, int twips);
    int colWidth(int col) const override;
    void setColWidth(int col, int twips) override;
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment) override;

    // Scrolling.
    int topRow() const;
    void setTopRow(int row) override;
    int leftCol() const;
    void setLeftCol(int col) override;
    bool isRowVisible(int row) const;

    // The cell under the mouse at the last mouse event (-1 outside any cell).
    int mouseRow() const { return mouseRow_; }
    int mouseCol() const { return mouseCol_; }

    // Current cell's geometry relative to the grid, in twips; left and top are negative
    // when the cell is scrolled out of view (or hidden).
    int cellLeft() const;
    int cellTop() const;
    int cellWidth() const;
    int cellHeight() const;

    // Current cell's style.
    QColor cellBackColor() const;
    void setCellBackColor(const QColor &colour);
    QColor cellForeColor() const;
    void setCellForeColor(const QColor &colour);
    int cellAlignment() const;
    void setCellAlignment(int alignment);
    QString cellFontName() const;
    void setCellFontName(const QString &name);
    double cellFontSize() const;
    void setCellFontSize(double points);
    bool cellFontBold() const;
    void setCellFontBold(bool on);
    bool cellFontItalic() const;
    void setCellFontItalic(bool on);
    bool cellFontUnderline() const;
    void setCellFontUnderline(bool on);
    QPixmap cellPicture() const;
    void setCellPicture(const QPixmap &picture);
    // A cell's picture without moving the current cell.
    QPixmap pictureAt(int row, int col) const;

    // A value of the caller's that moves with its row (inserted, removed or sorted
    // around it); clear() empties it too.
    QVariant rowData(int row) const;
    // What a cell's tool tip says, asked when it is about to show; empty for none.
    void setToolTips(std::function<QString(int row, int col)> tips);
    void setRowData(int row, const QVariant &data);
    // Marks every occurrence of key (any case) in the cells' texts, the ordinal-th (from
    // 0) of cell (row, col) as the current one; an empty key marks nothing.
    void setFindMarks(const QString &key, int row = -1, int col = -1, int ordinal = -1);
    // The current row shows a band along it while the grid has the focus.
    void setRowFocusBand(bool on);
    static QColor focusBandColour();

    // Sorts the rows row()..rowSel() by the columns col()..colSel(): 1 ascending,
    // 2 descending (numbers compare as numbers).
    void sort(int order);

    void refresh();
    void bringToFront() override;
    QFont gridFont() const;
    void setGridFont(const QFont &font);
    double fontSize() const;
    void setFontSize(double points);

    // Placement in the parent, in twips.
    void setGridVisible(bool visible) override;
    int gridLeft() const;
    int gridTop() const;
    int gridWidth() const;
    int gridHeight() const;
    void setGridGeometry(int left, int top, int width, int height);

    // The " Running..." indicator laid over the grid while rows load: the window's own
    // widget when one is set, else a label the grid makes in its parent.
    void setRunningIndicator(QWidget *indicator);
    void showRunning(bool shown) override;
    int textWidthTwips(const QString &text) const override;

    // Applies batched structural changes to the view now.
    void syncView() const;

    // The selected cells (the current cell when none is) as other programs take text:
    // cells apart by tabs, rows and the lines within a cell by LF. Hidden rows and
    // columns are left out. Ctrl+C puts it on the clipboard.
    QString selectedText() const;

signals:
    // The current cell changed by the user (click or keys).
    void cellChanged(int row, int col);
    // Mouse events anywhere on the cells (headers included), after the grid has handled
    // them (so row()/col() and mouseRow()/mouseCol() are up to date); x, y in twips
    // relative to the grid.
    void gridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void gridMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void gridMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void gridDoubleClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void trackMouse(QWidget *source, const QPoint &pos);
    bool emitMouseSignal(QWidget *source, QEvent *event);
    int firstShownModelCol() const;
    void updateHeaders() const;
    void applySectionSizes() const;
    void selectCurrentInView() const;
    bool cellOnScreen(int row, int col, QRect *rect) const;
    QRect cellRect(int row, int col) const;
    void insertItem(std::vector<QString> &&cells, int index);

    GridModel *model_;
    int row_ = 0, col_ = 0, rowSel_ = 0, colSel_ = 0;
    int mouseRow_ = -1, mouseCol_ = -1;
    QPointer<QWidget> runningIndicator_;
    QPointer<QLabel> ownRunningLabel_;
    bool selecting_ = false;
    int quietMoves_ = 0;
    mutable bool movePending_ = false;
};
