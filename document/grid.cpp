#include "document/grid.h"

#include "core/platform_units.h"
#include "core/text_files.h"
#include "document/marked_text.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kGeneralAlignment = 9;
constexpr int kDefaultColWidthTwips = 1200;
const QColor kFixedBackground(0xE0, 0xE0, 0xE0);

// Style of one cell; unset members fall back to the grid's.
struct CellStyle {
    QColor back;
    QColor fore;
    int alignment = -1;
    QString fontName;
    double fontSize = 0;
    int bold = -1, italic = -1, underline = -1; // -1 unset
    QPixmap picture;

    bool hasFont() const {
        return !fontName.isEmpty() || fontSize > 0 || bold >= 0 || italic >= 0 || underline >= 0;
    }
};

struct GridRow {
    std::vector<QString> cells; // may be shorter than the column count
    std::unique_ptr<std::map<int, CellStyle>> styles;
    int heightTwips = -1; // -1: default height
    QVariant data;        // the caller's, travelling with the row

    GridRow() = default;
    GridRow(GridRow &&) = default;
    GridRow &operator=(GridRow &&) = default;
};

// The rows, with a gap of spare ones where the last insertion or removal was: Run all
// inserts each output under its statement, a little further down each time, so rows
// move past the gap a few at a time instead of all those below at every insertion.
class GapRows {
public:
    qsizetype size() const { return static_cast<qsizetype>(rows_.size()) - gapSize(); }
    bool empty() const { return size() == 0; }
    GridRow &operator[](qsizetype i) { return rows_[slot(i)]; }
    const GridRow &operator[](qsizetype i) const { return rows_[slot(i)]; }

    void insert(qsizetype at, GridRow &&row) {
        moveGapTo(at);
        if (gapSize() == 0) widenGap();
        rows_[gapStart_++] = std::move(row);
    }
    void erase(qsizetype at) {
        moveGapTo(at);
        rows_[gapEnd_++] = GridRow();
    }
    void emplace_back() { insert(size(), GridRow()); }
    void resize(qsizetype count) {
        contiguous().resize(count);
        gapStart_ = gapEnd_ = count;
    }
    // The rows in order, without a gap (for sorting a range of them).
    std::vector<GridRow> &contiguous() {
        moveGapTo(size());
        rows_.resize(gapStart_);
        gapEnd_ = gapStart_;
        return rows_;
    }

private:
    qsizetype gapSize() const { return gapEnd_ - gapStart_; }
    size_t slot(qsizetype i) const {
        return static_cast<size_t>(i < gapStart_ ? i : i + gapSize());
    }

    void moveGapTo(qsizetype at) {
        const auto data = rows_.begin();
        if (gapSize() == 0) {
            // Nothing to move, and moving a row onto itself would empty it.
        } else if (at < gapStart_) {
            std::move_backward(data + at, data + gapStart_, data + gapEnd_);
        } else if (at > gapStart_) {
            std::move(data + gapEnd_, data + gapEnd_ + (at - gapStart_), data + gapStart_);
        }
        gapEnd_ += at - gapStart_;
        gapStart_ = at;
    }
    void widenGap() {
        std::vector<GridRow> spare(static_cast<size_t>(std::max<qsizetype>(16, size() / 8)));
        rows_.insert(rows_.begin() + gapStart_, std::make_move_iterator(spare.begin()),
                     std::make_move_iterator(spare.end()));
        gapEnd_ += static_cast<qsizetype>(spare.size());
    }

    std::vector<GridRow> rows_;
    qsizetype gapStart_ = 0, gapEnd_ = 0; // spare rows_[gapStart_, gapEnd_)
};

Qt::Alignment toQtAlignment(int code, const QString &text) {
    if (code == kGeneralAlignment || code < 0) {
        bool numeric = false;
        text.trimmed().toDouble(&numeric);
        code = numeric ? 7 : 1;
    }
    Qt::Alignment horizontal = code <= 2   ? Qt::AlignLeft
                               : code <= 5 ? Qt::AlignHCenter
                                           : Qt::AlignRight;
    const int vertical = code % 3;
    return horizontal | (vertical == 0   ? Qt::AlignTop
                         : vertical == 1 ? Qt::AlignVCenter
                                         : Qt::AlignBottom);
}

// Numbers compare as numbers, anything else as text.
int compareCells(const QString &a, const QString &b) {
    bool aNumeric = false, bNumeric = false;
    const double x = a.trimmed().toDouble(&aNumeric);
    const double y = b.trimmed().toDouble(&bNumeric);
    if (aNumeric && bNumeric) return x < y ? -1 : x > y ? 1 : 0;
    if (aNumeric != bNumeric) return aNumeric ? -1 : 1;
    return a.localeAwareCompare(b);
}

} // namespace

// The cells of a Grid. The first fixed row and column are shown as the view's headers,
// so model rows/columns are grid rows/columns less those.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(QObject *parent) : QAbstractTableModel(parent) {}

    GapRows rows;
    int colCount = 2;
    int fixedRows = 0, fixedCols = 0;
    std::vector<int> colWidths; // twips, -1 default
    std::vector<int> colAligns; // alignment codes
    QFont font;
    bool live = false;         // the view follows each change (else changes are batched)
    bool shown = false;        // live unless held
    int held = 0;              // HeldView objects alive
    bool dirty = false;        // batched changes wait for a reset
    bool sizesPending = false; // row heights or column widths set while not live
    // Rows from here on have never held anything (no text, style or height): inserting
    // among them can take the place of one instead of moving all below.
    int pristineFrom = 0;
    std::function<QString(int row, int col)> toolTips;
    QString findKey;                                  // occurrences marked in every cell
    int findRow = -1, findCol = -1, findOrdinal = -1; // the current one
    bool rowFocusBand = false;

    void touch(int r) { pristineFrom = std::max(pristineFrom, r + 1); }
    void followShownAndHeld() { live = shown && held == 0; }
    void resizeRows(int count) {
        rows.resize(count);
        pristineFrom = std::min(pristineFrom, count);
    }

    int headerRows() const { return fixedRows > 0 && !rows.empty() ? 1 : 0; }
    int headerCols() const { return fixedCols > 0 && colCount > 0 ? 1 : 0; }
    int gridRowCount() const { return static_cast<int>(rows.size()); }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, gridRowCount() - headerRows());
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : std::max(0, colCount - headerCols());
    }

    const QString &text(int r, int c) const {
        static const QString empty;
        if (r < 0 || r >= gridRowCount() || c < 0 || c >= colCount) return empty;
        const auto &cells = rows[r].cells;
        return c < static_cast<int>(cells.size()) ? cells[c] : empty;
    }

    void setText(int r, int c, const QString &value) {
        if (r < 0 || r >= gridRowCount() || c < 0 || c >= colCount) return;
        auto &cells = rows[r].cells;
        if (c >= static_cast<int>(cells.size())) {
            if (value.isEmpty()) return;
            cells.resize(c + 1);
        }
        touch(r);
        cells[c] = value;
        cellChanged(r, c);
    }

    const CellStyle *style(int r, int c) const {
        if (r < 0 || r >= gridRowCount() || !rows[r].styles) return nullptr;
        const auto found = rows[r].styles->find(c);
        return found == rows[r].styles->end() ? nullptr : &found->second;
    }

    CellStyle *editStyle(int r, int c) {
        if (r < 0 || r >= gridRowCount() || c < 0 || c >= colCount) return nullptr;
        touch(r);
        auto &styles = rows[r].styles;
        if (!styles) styles = std::make_unique<std::map<int, CellStyle>>();
        return &(*styles)[c];
    }

    int colAlign(int c) const {
        return c >= 0 && c < static_cast<int>(colAligns.size()) ? colAligns[c] : kGeneralAlignment;
    }

    void cellChanged(int r, int c) {
        if (!live || dirty) return;
        const int mr = r - headerRows(), mc = c - headerCols();
        if (mr < 0 && mc < 0) return;
        if (mr < 0) {
            emit headerDataChanged(Qt::Horizontal, mc, mc);
        } else if (mc < 0) {
            emit headerDataChanged(Qt::Vertical, mr, mr);
        } else {
            const QModelIndex at = index(mr, mc);
            emit dataChanged(at, at);
        }
    }

    // Row insertion and removal that a live view follows row by row (a change of the
    // header row resets it instead).
    void insertRow(int at, GridRow &&row) {
        if ((!live || dirty) && at >= pristineFrom && at < gridRowCount()) {
            // Same outcome as inserting: the row lands at `at`, an empty row is added.
            rows[at] = std::move(row);
            rows.emplace_back();
            pristineFrom = at + 1;
            dirty = true;
            return;
        }
        pristineFrom = at < pristineFrom ? pristineFrom + 1 : at + 1;
        const int hr = headerRows();
        const bool fine = live && !dirty && at >= hr && !(fixedRows > 0 && rows.empty());
        if (fine) beginInsertRows({}, at - hr, at - hr);
        rows.insert(at, std::move(row));
        if (fine)
            endInsertRows();
        else
            dirty = true;
    }

    void removeRow(int at) {
        if (at < pristineFrom) --pristineFrom;
        const int hr = headerRows();
        const bool fine = live && !dirty && at >= hr && !(fixedRows > 0 && rows.size() == 1);
        if (fine) beginRemoveRows({}, at - hr, at - hr);
        rows.erase(at);
        if (fine)
            endRemoveRows();
        else
            dirty = true;
    }

    // Any other change of shape: the view is reset at the next sync.
    void structureChanged() { dirty = true; }

    // Returns true when the view was reset (so its section sizes need reapplying).
    bool flush() {
        if (!dirty) return false;
        beginResetModel();
        dirty = false;
        endResetModel();
        return true;
    }

    void everythingChanged() {
        if (!live || dirty) return;
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, std::max(0, rowCount() - 1));
    }

    QFont cellFont(int r, int c) const {
        const CellStyle *s = style(r, c);
        if (!s || !s->hasFont()) return font;
        QFont f = s->fontName.isEmpty() ? font : platformFont(s->fontName, font.pointSizeF());
        if (s->fontSize > 0) f.setPointSizeF(s->fontSize);
        if (s->bold >= 0) f.setBold(s->bold);
        if (s->italic >= 0) f.setItalic(s->italic);
        if (s->underline >= 0) f.setUnderline(s->underline);
        return f;
    }

    QVariant cellData(int r, int c, int role) const {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return text(r, c);
        case Qt::ToolTipRole: {
            const QString tip = toolTips ? toolTips(r, c) : QString();
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        case Qt::TextAlignmentRole: {
            const CellStyle *s = style(r, c);
            const int code = s && s->alignment >= 0 ? s->alignment : colAlign(c);
            return QVariant::fromValue(toQtAlignment(code, text(r, c)));
        }
        case Qt::FontRole:
            return cellFont(r, c);
        case Qt::BackgroundRole: {
            const CellStyle *s = style(r, c);
            if (s && s->back.isValid()) return s->back;
            if (r < fixedRows || c < fixedCols) return kFixedBackground;
            return {};
        }
        case Qt::ForegroundRole: {
            const CellStyle *s = style(r, c);
            return s && s->fore.isValid() ? QVariant(s->fore) : QVariant();
        }
        case Qt::DecorationRole: {
            const CellStyle *s = style(r, c);
            return s && !s->picture.isNull() ? QVariant(s->picture) : QVariant();
        }
        default:
            return {};
        }
    }

    QVariant data(const QModelIndex &at, int role) const override {
        if (!at.isValid()) return {};
        return cellData(at.row() + headerRows(), at.column() + headerCols(), role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::DecorationRole) return {};
        if (orientation == Qt::Horizontal) {
            if (!headerRows()) return {};
            return cellData(0, section + headerCols(), role);
        }
        if (!headerCols()) return {};
        return cellData(section + headerRows(), 0, role);
    }

    Qt::ItemFlags flags(const QModelIndex &at) const override {
        return at.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
};

namespace {

// Wraps at word boundaries, breaks lines at CR, and draws a cell's picture centred.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // A cell's own background and marks show whether or not it is current or
        // selected; the focus frame alone tells the current cell.
        if (option->backgroundBrush.style() != Qt::NoBrush)
            option->state &= ~QStyle::State_Selected;
        option->features |= QStyleOptionViewItem::WrapText;
        option->features &= ~QStyleOptionViewItem::HasDecoration;
        option->icon = QIcon();
        if (option->text.contains(QLatin1Char('\r')) || option->text.contains(QLatin1Char('\n'))) {
            option->text = withLineFeeds(option->text).replace(u'\n', QChar::LineSeparator);
        }
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        const auto *model = static_cast<const GridModel *>(index.model());
        const bool band = model->rowFocusBand && inFocusedRow(index);
        // The style's focus mark tints the whole cell; a coloured cell gets a thin frame.
        const bool frame = !band && (option.state & QStyle::State_HasFocus) &&
                           index.data(Qt::BackgroundRole).isValid();
        QStyleOptionViewItem cell(option);
        if (frame || band) cell.state &= ~QStyle::State_HasFocus;
        const QString &key = model->findKey;
        if (!key.isEmpty() && index.data().toString().contains(key, Qt::CaseInsensitive))
            paintMarked(painter, cell, index, *model);
        else
            QStyledItemDelegate::paint(painter, cell, index);
        if (frame) {
            painter->save();
            painter->setPen(QPen(option.palette.color(QPalette::Text), 1, Qt::DotLine));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
        if (band) paintBand(painter, option.rect, index);
        const QVariant picture = index.data(Qt::DecorationRole);
        if (!picture.isValid()) return;
        const QPixmap pixmap = picture.value<QPixmap>();
        if (pixmap.isNull()) return;
        const QSize size = pixmap.deviceIndependentSize().toSize();
        const QRect target(option.rect.x() + (option.rect.width() - size.width()) / 2,
                           option.rect.y() + (option.rect.height() - size.height()) / 2,
                           size.width(), size.height());
        painter->save();
        painter->setClipRect(option.rect);
        painter->drawPixmap(target, pixmap);
        painter->restore();
    }

private:
    const QTableView *view() const { return static_cast<const QTableView *>(parent()); }

    bool inFocusedRow(const QModelIndex &index) const {
        return view()->hasFocus() && view()->currentIndex().row() == index.row();
    }

    void paintMarked(QPainter *painter, const QStyleOptionViewItem &cell, const QModelIndex &index,
                     const GridModel &model) const {
        QStyleOptionViewItem item(cell);
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget *widget = item.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        item.text = text;
        const bool current = index.row() + model.headerRows() == model.findRow &&
                             index.column() + model.headerCols() == model.findCol;
        FindMarks::paintText(painter, item, model.findKey, current ? model.findOrdinal : -1);
    }

    // The current row of a document grid: a band along the row, closed at its ends.
    void paintBand(QPainter *painter, const QRect &rect, const QModelIndex &index) const {
        const QTableView *table = view();
        int last = index.model()->columnCount() - 1;
        while (last > 0 && table->isColumnHidden(last))
            --last;
        painter->save();
        painter->setPen(QPen(Grid::focusBandColour(), 2));
        const QRect inner = rect.adjusted(1, 1, -1, -1);
        painter->drawLine(inner.topLeft(), inner.topRight());
        painter->drawLine(inner.bottomLeft(), inner.bottomRight());
        if (index.column() == 0) painter->drawLine(inner.topLeft(), inner.bottomLeft());
        if (index.column() == last) painter->drawLine(inner.topRight(), inner.bottomRight());
        painter->restore();
    }
};

} // namespace

Grid::Grid(QWidget *parent) : QTableView(parent), model_(new GridModel(this)) {
    model_->font = font();
    model_->resizeRows(2);
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setWordWrap(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTabKeyNavigation(false);
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->viewport()->installEventFilter(this);
        header->viewport()->setMouseTracking(true);
        header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    horizontalHeader()->setDefaultSectionSize(twipsToPixels(kDefaultColWidthTwips));
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    viewport()->setMouseTracking(true);
    updateHeaders();
}

Grid::~Grid() = default;

// ---- batching -----------------------------------------------------------------------

void Grid::syncView() const {
    const bool reset = model_->flush();
    if (reset || (model_->shown && model_->sizesPending)) {
        model_->sizesPending = false;
        applySectionSizes();
    }
    if (reset) selectCurrentInView();
    updateHeaders();
}

void Grid::showEvent(QShowEvent *event) {
    model_->shown = true;
    model_->followShownAndHeld();
    syncView();
    QTableView::showEvent(event);
}

void Grid::focusInEvent(QFocusEvent *event) {
    QTableView::focusInEvent(event);
    if (model_->rowFocusBand) viewport()->update();
}

void Grid::focusOutEvent(QFocusEvent *event) {
    QTableView::focusOutEvent(event);
    if (model_->rowFocusBand) viewport()->update();
}

void Grid::hideEvent(QHideEvent *event) {
    model_->shown = false;
    model_->followShownAndHeld();
    QTableView::hideEvent(event);
}

void Grid::updateHeaders() const {
    auto *self = const_cast<Grid *>(this);
    const bool top = model_->headerRows() > 0 && rowHeight(0) > 0;
    const bool side = model_->headerCols() > 0 && colWidth(0) > 0;
    self->horizontalHeader()->setVisible(top);
    self->verticalHeader()->setVisible(side);
    if (top) self->horizontalHeader()->setFixedHeight(twipsToPixels(rowHeight(0)));
    if (side) self->verticalHeader()->setFixedWidth(twipsToPixels(colWidth(0)));
    if (side) {
        self->verticalHeader()->setDefaultAlignment(
            toQtAlignment(model_->colAlign(0), QStringLiteral("0")));
    }
}

void Grid::applySectionSizes() const {
    auto *self = const_cast<Grid *>(this);
    const int hr = model_->headerRows(), hc = model_->headerCols();
    for (int c = hc; c < model_->colCount; ++c) {
        const int twips =
            c < static_cast<int>(model_->colWidths.size()) ? model_->colWidths[c] : -1;
        self->setColumnHidden(c - hc, twips == 0);
        if (twips > 0) self->setColumnWidth(c - hc, twipsToPixels(twips));
    }
    for (int r = hr; r < model_->gridRowCount(); ++r) {
        const int twips = model_->rows[r].heightTwips;
        if (twips < 0) continue;
        self->setRowHidden(r - hr, twips == 0);
        if (twips > 0) self->QTableView::setRowHeight(r - hr, twipsToPixels(twips));
    }
}

// ---- counts -------------------------------------------------------------------------

int Grid::rows() const {
    return model_->gridRowCount();
}

void Grid::setRows(int rows) {
    rows = std::max(0, rows);
    if (rows == model_->gridRowCount()) return;
    model_->resizeRows(rows);
    model_->structureChanged();
    row_ = std::min(row_, std::max(0, rows - 1));
    rowSel_ = std::min(rowSel_, std::max(0, rows - 1));
    if (model_->live && model_->dirty) syncView();
}

int Grid::cols() const {
    return model_->colCount;
}

void Grid::setCols(int cols) {
    cols = std::max(0, cols);
    if (cols == model_->colCount) return;
    if (cols < model_->colCount) {
        for (GridRow &row : model_->rows.contiguous()) {
            if (static_cast<int>(row.cells.size()) > cols) row.cells.resize(cols);
            if (row.styles) row.styles->erase(row.styles->lower_bound(cols), row.styles->end());
        }
        if (static_cast<int>(model_->colWidths.size()) > cols) model_->colWidths.resize(cols);
        if (static_cast<int>(model_->colAligns.size()) > cols) model_->colAligns.resize(cols);
    }
    model_->colCount = cols;
    model_->structureChanged();
    col_ = std::min(col_, std::max(0, cols - 1));
    colSel_ = std::min(colSel_, std::max(0, cols - 1));
    if (model_->live && model_->dirty) syncView();
}

int Grid::fixedRows() const {
    return model_->fixedRows;
}

void Grid::setFixedRows(int rows) {
    rows = std::max(0, rows);
    if (rows == model_->fixedRows) return;
    model_->fixedRows = rows;
    model_->structureChanged();
    if (model_->live && model_->dirty) syncView();
}

int Grid::fixedCols() const {
    return model_->fixedCols;
}

void Grid::setFixedCols(int cols) {
    cols = std::max(0, cols);
    if (cols == model_->fixedCols) return;
    model_->fixedCols = cols;
    model_->structureChanged();
    if (model_->live && model_->dirty) syncView();
}

// ---- current cell -------------------------------------------------------------------

int Grid::row() const {
    return row_;
}
int Grid::col() const {
    return col_;
}
int Grid::rowSel() const {
    return rowSel_;
}
int Grid::colSel() const {
    return colSel_;
}

void Grid::setRow(int row) {
    if (row < 0 || row >= rows()) return;
    row_ = rowSel_ = row;
    selectCurrentInView();
}

void Grid::setCol(int col) {
    if (col < 0 || col >= cols()) return;
    col_ = colSel_ = col;
    selectCurrentInView();
}

void Grid::setRowSel(int row) {
    if (row < 0 || row >= rows()) return;
    rowSel_ = row;
    selectCurrentInView();
}

void Grid::setColSel(int col) {
    if (col < 0 || col >= cols()) return;
    colSel_ = col;
    selectCurrentInView();
}

Grid::HeldView::HeldView(Grid *grid) : grid_(grid) {
    ++grid_->model_->held;
    grid_->model_->followShownAndHeld();
}

Grid::HeldView::~HeldView() {
    --grid_->model_->held;
    grid_->model_->followShownAndHeld();
    // Cells changed while held told the view nothing: it starts again from the rows.
    grid_->model_->structureChanged();
    if (grid_->model_->live) grid_->syncView();
}

Grid::QuietMoves::~QuietMoves() {
    if (--grid_->quietMoves_ > 0 || !grid_->movePending_) return;
    grid_->movePending_ = false;
    grid_->selectCurrentInView();
}

void Grid::selectCurrentInView() const {
    // A held view in step with the rows shows the current cell too.
    if (!model_->shown || model_->dirty) return;
    if (quietMoves_ > 0) {
        movePending_ = true;
        return;
    }
    auto *self = const_cast<Grid *>(this);
    const int hr = model_->headerRows(), hc = model_->headerCols();
    const int top = std::max(std::min(row_, rowSel_) - hr, 0);
    const int bottom = std::max(row_, rowSel_) - hr;
    const int left = std::max(std::min(col_, colSel_) - hc, 0);
    const int right = std::max(col_, colSel_) - hc;
    QItemSelectionModel *selection = selectionModel();
    // Moving the current cell from code never scrolls; TopRow does that.
    const bool autoScrolls = hasAutoScroll();
    self->setAutoScroll(false);
    self->selecting_ = true;
    if (bottom < 0 || right < 0 || bottom >= model_->rowCount() || right >= model_->columnCount()) {
        selection->clear();
    } else {
        const QModelIndex current = model_->index(std::max(row_ - hr, 0), std::max(col_ - hc, 0));
        selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        selection->select(QItemSelection(model_->index(top, left), model_->index(bottom, right)),
                          QItemSelectionModel::ClearAndSelect);
    }
    self->selecting_ = false;
    self->setAutoScroll(autoScrolls);
}

QString Grid::selectedText() const {
    syncView();
    const int hr = model_->headerRows(), hc = model_->headerCols();
    int top = row_, bottom = row_, left = col_, right = col_;
    const QModelIndexList picked =
        selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    if (!picked.isEmpty()) {
        top = left = std::numeric_limits<int>::max();
        bottom = right = -1;
        for (const QModelIndex &index : picked) {
            top = std::min(top, index.row() + hr);
            bottom = std::max(bottom, index.row() + hr);
            left = std::min(left, index.column() + hc);
            right = std::max(right, index.column() + hc);
        }
    }
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        if (rowHeight(r) == 0) continue;
        QStringList cells;
        for (int c = left; c <= right; ++c)
            if (colWidth(c) != 0) cells << withLineFeeds(textMatrix(r, c));
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n');
}

void Grid::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Copy)) {
        if (QClipboard *board = QGuiApplication::clipboard()) board->setText(selectedText());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void Grid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    if (model_->rowFocusBand) viewport()->update(); // the band spans the row
    if (selecting_ || !current.isValid()) return;
    row_ = rowSel_ = current.row() + model_->headerRows();
    col_ = colSel_ = current.column() + model_->headerCols();
    emit cellChanged(row_, col_);
}

// ---- texts --------------------------------------------------------------------------

QString Grid::text() const {
    return model_->text(row_, col_);
}

void Grid::setText(const QString &text) {
    model_->setText(row_, col_, text);
}

QString Grid::textMatrix(int row, int col) const {
    return model_->text(row, col);
}

void Grid::setTextMatrix(int row, int col, const QString &text) {
    model_->setText(row, col, text);
}

void Grid::addItem(const QString &record, int index) {
    GridRow row;
    const int columns = model_->colCount;
    row.cells.reserve(columns);
    qsizetype start = 0;
    while (static_cast<int>(row.cells.size()) < columns) {
        const qsizetype tab = record.indexOf(QLatin1Char('\t'), start);
        row.cells.push_back(record.mid(start, tab < 0 ? -1 : tab - start));
        if (tab < 0) break;
        start = tab + 1;
    }
    insertItem(std::move(row.cells), index);
}

void Grid::addCells(std::vector<QString> &&cells, int index) {
    // A TAB inside a value parts cells as it does in a record.
    const bool tabbed = std::any_of(cells.begin(), cells.end(), [](const QString &cell) {
        return cell.contains(QLatin1Char('\t'));
    });
    if (tabbed) {
        ResultGrid::addCells(std::move(cells), index);
        return;
    }
    if (static_cast<int>(cells.size()) > model_->colCount)
        cells.resize(std::max(0, model_->colCount));
    insertItem(std::move(cells), index);
}

void Grid::insertItem(std::vector<QString> &&cells, int index) {
    GridRow row;
    row.cells = std::move(cells);
    const int at = index < 0 || index > rows() ? rows() : index;
    model_->insertRow(at, std::move(row));
    if (at <= row_ && rows() > 1 && index >= 0) {
        // The current cell keeps its content, as rows below an insertion move down.
        row_ = std::min(row_ + 1, rows() - 1);
        rowSel_ = std::min(rowSel_ + 1, rows() - 1);
    }
    if (model_->live && model_->dirty) syncView();
}

void Grid::removeItem(int index) {
    if (index < 0 || index >= rows()) return;
    model_->removeRow(index);
    row_ = std::clamp(row_ > index ? row_ - 1 : row_, 0, std::max(0, rows() - 1));
    rowSel_ = std::clamp(rowSel_ > index ? rowSel_ - 1 : rowSel_, 0, std::max(0, rows() - 1));
    if (model_->live && model_->dirty) syncView();
}

void Grid::clear() {
    int lastSized = -1;
    for (int r = 0; r < model_->gridRowCount(); ++r) {
        GridRow &row = model_->rows[r];
        row.cells.clear();
        row.styles.reset();
        row.data.clear();
        if (row.heightTwips >= 0) lastSized = r;
    }
    model_->pristineFrom = lastSized + 1;
    model_->everythingChanged();
}

// ---- sizes --------------------------------------------------------------------------

int Grid::rowHeight(int row) const {
    if (row < 0 || row >= rows()) return 0;
    const int twips = model_->rows[row].heightTwips;
    return twips >= 0 ? twips : pixelsToTwips(verticalHeader()->defaultSectionSize());
}

void Grid::setRowHeight(int row, int twips) {
    if (row < 0 || row >= rows()) return;
    twips = std::max(0, twips);
    model_->rows[row].heightTwips = twips;
    model_->touch(row);
    const int hr = model_->headerRows();
    if (row < hr) {
        updateHeaders();
        return;
    }
    if (!model_->live || model_->dirty) {
        model_->sizesPending = true;
        return;
    }
    setRowHidden(row - hr, twips == 0);
    if (twips > 0) QTableView::setRowHeight(row - hr, twipsToPixels(twips));
}

int Grid::colWidth(int col) const {
    if (col < 0 || col >= cols()) return 0;
    const int twips =
        col < static_cast<int>(model_->colWidths.size()) ? model_->colWidths[col] : -1;
    if (twips >= 0) return twips;
    return pixelsToTwips(horizontalHeader()->defaultSectionSize());
}

void Grid::setColWidth(int col, int twips) {
    if (col < 0 || col >= cols()) return;
    twips = std::max(0, twips);
    if (col >= static_cast<int>(model_->colWidths.size())) model_->colWidths.resize(col + 1, -1);
    model_->colWidths[col] = twips;
    const int hc = model_->headerCols();
    if (col < hc) {
        updateHeaders();
        return;
    }
    if (!model_->live || model_->dirty) {
        model_->sizesPending = true;
        return;
    }
    setColumnHidden(col - hc, twips == 0);
    if (twips > 0) setColumnWidth(col - hc, twipsToPixels(twips));
}

int Grid::colAlignment(int col) const {
    return model_->colAlign(col);
}

void Grid::setColAlignment(int col, int alignment) {
    if (col < 0 || col >= cols() || alignment < 0 || alignment > kGeneralAlignment) return;
    if (col >= static_cast<int>(model_->colAligns.size()))
        model_->colAligns.resize(col + 1, kGeneralAlignment);
    model_->colAligns[col] = alignment;
    if (col < model_->headerCols()) updateHeaders();
    model_->everythingChanged();
}

// ---- scrolling ----------------------------------------------------------------------

int Grid::firstShownModelCol() const {
    for (int c = 0; c < model_->columnCount(); ++c)
        if (!isColumnHidden(c)) return c;
    return -1;
}

int Grid::topRow() const {
    syncView();
    const int hr = model_->headerRows();
    const int first = rowAt(0);
    return first < 0 ? std::min(hr, std::max(0, rows() - 1)) : first + hr;
}

void Grid::setTopRow(int row) {
    syncView();
    const int mr = row - model_->headerRows();
    if (mr < 0 || mr >= model_->rowCount()) return;
    const int mc = firstShownModelCol();
    if (mc >= 0 && !isRowHidden(mr))
        scrollTo(model_->index(mr, mc), QAbstractItemView::PositionAtTop);
    else
        verticalScrollBar()->setValue(verticalHeader()->visualIndex(mr));
}

int Grid::leftCol() const {
    syncView();
    const int first = columnAt(0);
    return first < 0 ? model_->headerCols() : first + model_->headerCols();
}

void Grid::setLeftCol(int col) {
    syncView();
    const int mc = col - model_->headerCols();
    if (mc < 0 || mc >= model_->columnCount() || isColumnHidden(mc)) {
        if (mc <= 0) horizontalScrollBar()->setValue(0);
        return;
    }
    horizontalScrollBar()->setValue(horizontalHeader()->visualIndex(mc));
}

bool Grid::isRowVisible(int row) const {
    syncView();
    if (row < 0 || row >= rows() || model_->rows[row].heightTwips == 0) return false;
    const int mr = row - model_->headerRows();
    if (mr < 0) return horizontalHeader()->isVisible() || !isVisible();
    const int top = verticalHeader()->sectionViewportPosition(mr);
    const int height = verticalHeader()->sectionSize(mr);
    return top + height > 0 && top < viewport()->height();
}

// ---- mouse --------------------------------------------------------------------------

void Grid::trackMouse(QWidget *source, const QPoint &pos) {
    const int hr = model_->headerRows(), hc = model_->headerCols();
    int r = -1, c = -1;
    if (source == viewport()) {
        const int mr = rowAt(pos.y()), mc = columnAt(pos.x());
        r = mr < 0 ? -1 : mr + hr;
        c = mc < 0 ? -1 : mc + hc;
    } else if (source == horizontalHeader()->viewport()) {
        const int mc = horizontalHeader()->logicalIndexAt(pos.x());
        r = 0;
        c = mc < 0 ? -1 : mc + hc;
    } else if (source == verticalHeader()->viewport()) {
        const int mr = verticalHeader()->logicalIndexAt(pos.y());
        r = mr < 0 ? -1 : mr + hr;
        c = 0;
    }
    mouseRow_ = r;
    mouseCol_ = c;
}

bool Grid::emitMouseSignal(QWidget *source, QEvent *event) {
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint local = source->mapTo(this, mouse->position().toPoint());
    const int x = pixelsToTwips(local.x()), y = pixelsToTwips(local.y());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        emit gridMouseDown(mouse->button(), mouse->modifiers(), x, y);
        return true;
    case QEvent::MouseButtonRelease:
        emit gridMouseUp(mouse->button(), mouse->modifiers(), x, y);
        return true;
    case QEvent::MouseMove:
        emit gridMouseMove(mouse->buttons(), mouse->modifiers(), x, y);
        return true;
    case QEvent::MouseButtonDblClick:
        emit gridDoubleClick();
        return true;
    default:
        return false;
    }
}

static bool isMouseEvent(const QEvent *event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

bool Grid::viewportEvent(QEvent *event) {
    if (!isMouseEvent(event)) return QTableView::viewportEvent(event);
    trackMouse(viewport(), static_cast<QMouseEvent *>(event)->position().toPoint());
    const bool handled = QTableView::viewportEvent(event);
    emitMouseSignal(viewport(), event);
    return handled;
}

bool Grid::eventFilter(QObject *watched, QEvent *event) {
    auto *source = qobject_cast<QWidget *>(watched);
    if (source && isMouseEvent(event) &&
        (source == horizontalHeader()->viewport() || source == verticalHeader()->viewport())) {
        trackMouse(source, static_cast<QMouseEvent *>(event)->position().toPoint());
        emitMouseSignal(source, event);
    }
    return QTableView::eventFilter(watched, event);
}

// ---- cell geometry ------------------------------------------------------------------

QRect Grid::cellRect(int row, int col) const {
    const int hr = model_->headerRows(), hc = model_->headerCols();
    const int mr = row - hr, mc = col - hc;
    int x, w, y, h;
    if (mc < 0) {
        x = verticalHeader()->x();
        w = verticalHeader()->width();
    } else {
        x = viewport()->x() + horizontalHeader()->sectionViewportPosition(mc);
        w = horizontalHeader()->sectionSize(mc);
    }
    if (mr < 0) {
        y = horizontalHeader()->y();
        h = horizontalHeader()->height();
    } else {
        y = viewport()->y() + verticalHeader()->sectionViewportPosition(mr);
        h = verticalHeader()->sectionSize(mr);
    }
    return {x, y, w, h};
}

bool Grid::cellOnScreen(int row, int col, QRect *rect) const {
    syncView();
    if (row < 0 || row >= rows() || col < 0 || col >= cols()) return false;
    *rect = cellRect(row, col);
    if (rect->width() <= 0 || rect->height() <= 0) return false;
    const int mr = row - model_->headerRows(), mc = col - model_->headerCols();
    if (mr >= 0 && (isRowHidden(mr) || rect->bottom() < viewport()->y() ||
                    rect->top() > viewport()->geometry().bottom()))
        return false;
    if (mc >= 0 && (isColumnHidden(mc) || rect->right() < viewport()->x() ||
                    rect->left() > viewport()->geometry().right()))
        return false;
    return true;
}

int Grid::cellLeft() const {
    QRect rect;
    return cellOnScreen(row_, col_, &rect) ? pixelsToTwips(rect.x()) : -1;
}

int Grid::cellTop() const {
    QRect rect;
    return cellOnScreen(row_, col_, &rect) ? pixelsToTwips(rect.y()) : -1;
}

int Grid::cellWidth() const {
    syncView();
    return colWidth(col_) == 0 ? 0 : pixelsToTwips(cellRect(row_, col_).width());
}

int Grid::cellHeight() const {
    syncView();
    return rowHeight(row_) == 0 ? 0 : pixelsToTwips(cellRect(row_, col_).height());
}

// ---- cell styles --------------------------------------------------------------------

QColor Grid::cellBackColor() const {
    const CellStyle *s = model_->style(row_, col_);
    return s && s->back.isValid() ? s->back : palette().color(QPalette::Base);
}

void Grid::setCellBackColor(const QColor &colour) {
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->back = colour;
        model_->cellChanged(row_, col_);
    }
}

QColor Grid::cellForeColor() const {
    const CellStyle *s = model_->style(row_, col_);
    return s && s->fore.isValid() ? s->fore : palette().color(QPalette::Text);
}

void Grid::setCellForeColor(const QColor &colour) {
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->fore = colour;
        model_->cellChanged(row_, col_);
    }
}

int Grid::cellAlignment() const {
    const CellStyle *s = model_->style(row_, col_);
    return s && s->alignment >= 0 ? s->alignment : model_->colAlign(col_);
}

void Grid::setCellAlignment(int alignment) {
    if (alignment < 0 || alignment > kGeneralAlignment) return;
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->alignment = alignment;
        model_->cellChanged(row_, col_);
    }
}

QString Grid::cellFontName() const {
    const CellStyle *s = model_->style(row_, col_);
    return s && !s->fontName.isEmpty() ? s->fontName : model_->font.family();
}

void Grid::setCellFontName(const QString &name) {
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->fontName = name;
        model_->cellChanged(row_, col_);
    }
}

double Grid::cellFontSize() const {
    const CellStyle *s = model_->style(row_, col_);
    return s && s->fontSize > 0 ? s->fontSize : model_->font.pointSizeF();
}

void Grid::setCellFontSize(double points) {
    if (points <= 0) return;
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->fontSize = points;
        model_->cellChanged(row_, col_);
    }
}

bool Grid::cellFontBold() const {
    return model_->cellFont(row_, col_).bold();
}

void Grid::setCellFontBold(bool on) {
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->bold = on;
        model_->cellChanged(row_, col_);
    }
}

bool Grid::cellFontItalic() const {
    return model_->cellFont(row_, col_).italic();
}

void Grid::setCellFontItalic(bool on) {
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->italic = on;
        model_->cellChanged(row_, col_);
    }
}

bool Grid::cellFontUnderline() const {
    return model_->cellFont(row_, col_).underline();
}

void Grid::setCellFontUnderline(bool on) {
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->underline = on;
        model_->cellChanged(row_, col_);
    }
}

QPixmap Grid::cellPicture() const {
    const CellStyle *s = model_->style(row_, col_);
    return s ? s->picture : QPixmap();
}

QPixmap Grid::pictureAt(int row, int col) const {
    const CellStyle *s = model_->style(row, col);
    return s ? s->picture : QPixmap();
}

void Grid::setToolTips(std::function<QString(int row, int col)> tips) {
    model_->toolTips = std::move(tips);
}

void Grid::setFindMarks(const QString &key, int row, int col, int ordinal) {
    model_->findKey = key;
    model_->findRow = row;
    model_->findCol = col;
    model_->findOrdinal = ordinal;
    viewport()->update();
}

QColor Grid::focusBandColour() {
    return {0, 110, 200};
}

void Grid::setRowFocusBand(bool on) {
    model_->rowFocusBand = on;
    viewport()->update();
}

QVariant Grid::rowData(int row) const {
    return row >= 0 && row < rows() ? model_->rows[row].data : QVariant();
}

void Grid::setRowData(int row, const QVariant &data) {
    if (row < 0 || row >= rows()) return;
    model_->touch(row);
    model_->rows[row].data = data;
}

void Grid::setCellPicture(const QPixmap &picture) {
    if (picture.isNull() && !model_->style(row_, col_)) return;
    if (CellStyle *s = model_->editStyle(row_, col_)) {
        s->picture = picture;
        model_->cellChanged(row_, col_);
    }
}

// ---- sort ---------------------------------------------------------------------------

void Grid::sort(int order) {
    if (order != 1 && order != 2) return;
    const int first = std::max(std::min(row_, rowSel_), model_->fixedRows);
    const int last = std::max(row_, rowSel_);
    const int left = std::min(col_, colSel_), right = std::max(col_, colSel_);
    if (first >= last || last >= rows()) return;
    auto &all = model_->rows.contiguous();
    auto cellOf = [](const GridRow &row, int c) -> const QString & {
        static const QString empty;
        return c < static_cast<int>(row.cells.size()) ? row.cells[c] : empty;
    };
    model_->touch(last);
    std::stable_sort(all.begin() + first, all.begin() + last + 1,
                     [&](const GridRow &a, const GridRow &b) {
                         for (int c = left; c <= right; ++c) {
                             const int cmp = compareCells(cellOf(a, c), cellOf(b, c));
                             if (cmp != 0) return order == 1 ? cmp < 0 : cmp > 0;
                         }
                         return false;
                     });
    model_->structureChanged();
    if (model_->live && model_->dirty) syncView();
}

// ---- window -------------------------------------------------------------------------

void Grid::refresh() {
    syncView();
    viewport()->update();
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
}

void Grid::bringToFront() {
    raise();
}

QFont Grid::gridFont() const {
    return model_->font;
}

void Grid::setGridFont(const QFont &font) {
    model_->font = font;
    setFont(font);
    horizontalHeader()->setFont(font);
    verticalHeader()->setFont(font);
    // Rows without a height of their own follow the font.
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
    model_->everythingChanged();
}

double Grid::fontSize() const {
    return model_->font.pointSizeF();
}

void Grid::setFontSize(double points) {
    if (points <= 0) return;
    QFont font = model_->font;
    font.setPointSizeF(points);
    setGridFont(font);
}

void Grid::setGridVisible(bool visible) {
    setVisible(visible);
}

int Grid::gridLeft() const {
    return pixelsToTwips(x());
}
int Grid::gridTop() const {
    return pixelsToTwips(y());
}
int Grid::gridWidth() const {
    return pixelsToTwips(width());
}
int Grid::gridHeight() const {
    return pixelsToTwips(height());
}

void Grid::setGridGeometry(int left, int top, int width, int height) {
    setGeometry(twipsRect(left, top, width, height));
}

void Grid::setRunningIndicator(QWidget *indicator) {
    runningIndicator_ = indicator;
}

void Grid::showRunning(bool shown) {
    QWidget *indicator = runningIndicator_;
    if (!indicator) {
        if (!ownRunningLabel_ && parentWidget()) {
            ownRunningLabel_ = new QLabel(QStringLiteral(" Running..."), parentWidget());
            ownRunningLabel_->setAutoFillBackground(true);
            ownRunningLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            ownRunningLabel_->hide();
        }
        indicator = ownRunningLabel_;
    }
    if (!indicator) return;
    if (!shown) {
        indicator->hide();
        return;
    }
    if (indicator->parentWidget() == parentWidget()) indicator->setGeometry(geometry());
    indicator->show();
    indicator->raise();
}

int Grid::textWidthTwips(const QString &text) const {
    return pixelsToTwips(QFontMetrics(model_->font).horizontalAdvance(text));
}
