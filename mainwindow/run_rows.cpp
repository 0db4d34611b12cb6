// Running the script from the view: presses on statement, result, message and heading
// rows, the result overlay, links, the cell editor, Run all, Reset Examples and the table
// of contents.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/text_files.h"
#include "core/window_interface.h"
#include "database/cli/cli.h"
#include "database/session.h"
#include "document/document_run.h"
#include "document/editor_text.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "document/sql_highlighter.h"
#include "engine/busy_pointer.h"
#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "engine/statements.h"
#include "mainwindow/editor_commit.h"
#include "mainwindow/norqsql.h"
#include "mainwindow/run_guard.h"
#include "windows/norq_sql_results.h"
#include "windows/xml_tree.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextCursor>
#include <QToolBar>
#include <QTreeWidget>
#include <optional>
#include <utility>

namespace {

constexpr int kMaxHeadings = 1000;
constexpr int kMinResultsWidth = 6000; // twips
constexpr int kMinResultsHeight = 3000;
constexpr int kXmlViewWidth = 5000;
constexpr int kPaintIntervalMs = 80;

// The text a row was written from, as its editor opens with it.
QString sourceText(const Grid *grid, int row, RowKind kind) {
    switch (traitsOf(kind).source) {
    case SourceField::raw:
        return grid->textMatrix(row, ScriptRow::rawCol);
    case SourceField::heading: {
        const QString anchor = grid->textMatrix(row, ScriptRow::rawCol);
        const QString shown = grid->textMatrix(row, ScriptRow::textCol);
        return anchor.isEmpty() ? shown : QLatin1Char('[') + anchor + QStringLiteral("] ") + shown;
    }
    case SourceField::picture:
        return grid->textMatrix(row, ScriptRow::tagCol);
    case SourceField::statement:
    case SourceField::none:
        break;
    }
    return grid->textMatrix(row, ScriptRow::sqlCol);
}

// How a run shows itself. The view moves only when the running row has left it, and
// the window paints at most every kPaintIntervalMs while events still come after each
// row: painting after every statement was most of a run's time. A grid nobody sees
// (pavona --run) is neither scrolled nor refreshed.
class RunView {
public:
    RunView(QWidget *window, Grid *grid)
        : window_(window), grid_(grid), seen_(window->updatesEnabled() && grid->isVisible()) {
        if (!seen_) return;
        window_->setUpdatesEnabled(false);
        held_.emplace(grid_);
        clock_.start();
    }
    // Updates held back since the last paint would otherwise wait for something else to
    // expose the window: a short run would show none of its outputs.
    ~RunView() {
        if (!seen_) return;
        held_.reset();
        showFollowed();
        window_->setUpdatesEnabled(true);
        grid_->refresh();
        window_->repaint();
    }
    RunView(const RunView &) = delete;
    RunView &operator=(const RunView &) = delete;

    // Scrolled to when the window next paints: the view is in step with the rows only then.
    void follow(int row) {
        if (seen_) followed_ = row;
    }

    // The running row carries the grid's current-row band, so a long statement shows
    // which one it is.
    void markRunning(int row) const {
        if (seen_) grid_->setRow(row);
    }

    void rowDone() {
        if (!seen_ || clock_.elapsed() < kPaintIntervalMs) return;
        grid_->refresh();
        showFollowed();
        window_->setUpdatesEnabled(true);
        window_->repaint();
        window_->setUpdatesEnabled(false);
        clock_.restart();
    }

private:
    void showFollowed() {
        const int row = std::exchange(followed_, -1);
        if (row >= 0 && grid_->rowHeight(row) > 0 && !grid_->isRowVisible(row))
            grid_->setTopRow(row);
    }

    QWidget *window_;
    Grid *grid_;
    bool seen_;
    std::optional<Grid::HeldView> held_;
    int followed_ = -1;
    QElapsedTimer clock_;
};

} // namespace

// ---- presses ------------------------------------------------------------------------

void NorqSQL::CLP_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    currentRow = CLP->mouseRow();
    currentCol = CLP->mouseCol();
    XMLView->hide();
    if (!isDocumentView(settings_.viewMode) || currentRow < 0 || currentCol < 0) return;

    if ((editRow >= 0 && editRow != currentRow) || editRow == -2) commitOpenEditor(*this);
    if (currentRow >= CLP->rows()) return;
    setTopRow(currentRow);
    const RowKind kind = rowKindAt(CLP, currentRow);

    if (button == Qt::RightButton) {
        if (currentCol == markerCol) return;
        if (settings_.viewMode == ViewMode::edit)
            mnuScript->popup(QCursor::pos());
        else
            viewMenu->popup(QCursor::pos());
        return;
    }
    if (settings_.viewMode == ViewMode::script && kind == RowKind::heading &&
        currentCol == textCol) {
        followLink();
        return;
    }
    if (currentCol != markerCol) return;
    switch (kind) {
    case RowKind::sql:
        runStatementRow();
        break;
    case RowKind::message:
        beginCellEdit();
        break;
    case RowKind::result:
        showResultRow();
        break;
    case RowKind::heading:
        if (settings_.viewMode == ViewMode::edit) cycleHeadingLevel();
        break;
    default:
        break;
    }
}

void NorqSQL::CLP_DblClick() {
    currentRow = CLP->mouseRow();
    currentCol = CLP->mouseCol();
    if (currentRow < 0 || currentCol != textCol) return;
    const RowKind kind = rowKindAt(CLP, currentRow);
    if ((settings_.viewMode == ViewMode::script && kind == RowKind::sql) ||
        settings_.viewMode == ViewMode::edit)
        beginCellEdit();
}

void NorqSQL::CLP_Scroll() {
    if (scrollingItself() || settings_.viewMode == ViewMode::sql) return;
    SaveCellEdit(editRow);
    ResetCellEdit();
    settings_.gridMode = false;
}

// ---- running a statement row --------------------------------------------------------

void NorqSQL::runStatementRow() {
    settings_.gridMode = false;
    QString statement;
    if (editRow == currentRow) {
        const QString text = withCarriageReturns(textFromEditor(TextEdit->document()));
        CLP->setTextMatrix(currentRow, textCol, getRawSQL(text));
        CLP->setTextMatrix(currentRow, sqlCol, text);
        statement = removeComments(text);
    } else {
        statement = removeComments(CLP->textMatrix(currentRow, sqlCol));
    }
    if (!mayStartChildPrograms(statement)) return;
    const int row = currentRow;
    {
        BusyPointer busy;
        if (!pane_.run(statement)) return;
    }
    currentRow = row;
    pane_.markRan(row, 0);
    placeOutput(currentRow + 1);
    if (editRow == currentRow) {
        CLP->setRow(currentRow);
        placeCellEditor();
    }
    showTransactionState();
}

void NorqSQL::showTransactionState() {
    refreshCaption();
}

int NorqSQL::placeOutput(int position) {
    const ScriptPane::Output output = pane_.placeOutput(position);
    if (output.row >= 0) currentRow = output.row + output.step;
    snapshotMarks_.markOutputs(position - 1);
    return output.step;
}

// ---- result rows --------------------------------------------------------------------

void NorqSQL::showResultRow() {
    const QString statement = CLP->textMatrix(currentRow, tagCol);
    if (!settings_.detached) {
        if (pane_.toggleResult(currentRow)) editRow = CLP->row();
        return;
    }
    if (statement.isEmpty()) return;
    BusyPointer busy;
    settings_.gridMode = true;
    NorqSQLResults *results = NorqSQLResults::shared();
    runScript(statement, results->DataValues, Chart);
    const CellInfo cell = getCellInfo(currentRow, textCol);
    const QPoint origin = CLP->mapToGlobal(QPoint(0, 0));
    // A one-line result row would make a window too small to read: keep a usable size.
    results->setGeometry(origin.x() + twipsToPixels(cell.left + 60),
                         origin.y() + twipsToPixels(cell.top + 740),
                         twipsToPixels(std::max(cell.width, kMinResultsWidth)),
                         twipsToPixels(std::max(cell.height, kMinResultsHeight)));
    results->show();
}

void NorqSQL::DataValues_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int) {
    XMLView->hide();
    const int row = DataValues->mouseRow();
    const int col = DataValues->mouseCol();
    if (button != Qt::LeftButton || row <= 0 || col < 0) return;
    QString text = DataValues->textMatrix(row, col);
    if (text.toUpper().startsWith(QLatin1String("<HTML")) || !text.startsWith(u'<')) return;
    xmlToTree(text, XMLView);
    const int overlayLeft = pixelsToTwips(DataValues->x());
    const int overlayTop = pixelsToTwips(DataValues->y());
    const int treeWidth = std::max(pixelsToTwips(XMLView->width()), kXmlViewWidth);
    int left = overlayLeft + x + 300;
    if (left + treeWidth > pixelsToTwips(width())) left = overlayLeft + x - treeWidth;
    const int height = pixelsToTwips(DataValues->height()) - 500;
    XMLView->setGeometry(twipsRect(left, overlayTop + 400, treeWidth, height));
    XMLView->show();
    XMLView->raise();
}

void NorqSQL::DataValues_Scroll() {
    XMLView->hide();
}

// ---- links and heading levels -------------------------------------------------------

void NorqSQL::followLink() {
    const int target = pane_.followLink(currentRow);
    if (target >= 0) currentRow = target;
}

void NorqSQL::cycleHeadingLevel() {
    int level = CLP->textMatrix(currentRow, tagCol).toInt() + 1;
    if (level > 4) level = 0;
    CLP->setTextMatrix(currentRow, markerCol, RowStyle::headingMarker(level));
    CLP->setTextMatrix(currentRow, tagCol, QString::number(level));
}

// ---- the cell editor ----------------------------------------------------------------

void NorqSQL::beginCellEdit() {
    if (currentRow < 0 || currentRow >= CLP->rows()) return;
    const CellInfo cell = getCellInfo(currentRow, textCol);
    CLP->setCol(textCol);
    const int boxHeight = cell.height + (settings_.viewMode == ViewMode::script ? 10 : 0);
    EditBox->setGeometry(twipsRect(cell.left, cell.top, cell.width, boxHeight));
    // A one-line row still gets an editor a line high.
    const int lineHeight = InfoRTF.lineHeightTwips(cell.fontName, cell.fontSize);
    TextEdit->setGeometry(
        twipsRect(45, 90, cell.width - 100, std::max(boxHeight - 180, lineHeight)));
    TextEdit->setFont(platformFont(cell.fontName, cell.fontSize));
    QPalette palette = TextEdit->palette();
    palette.setColor(QPalette::Base, Qt::white);
    TextEdit->setPalette(palette);
    QPalette boxPalette = EditBox->palette();
    boxPalette.setColor(QPalette::Window, Qt::white);
    EditBox->setPalette(boxPalette);
    EditBox->raise();

    TextEdit->clear();
    const RowKind kind = rowKindAt(CLP, currentRow);
    QString text;
    if (kind == RowKind::message) {
        // A message opens read-only, a coded one with the code's explanation.
        text = CLP->textMatrix(currentRow, textCol);
        if (text.startsWith(QLatin1String("SQL")) && text.indexOf(u' ') == 8) {
            const QString explained = sqlErrorMessage(text.left(8));
            if (!explained.isEmpty()) text = explained;
        } else if (text.startsWith(QLatin1String("Command"))) {
            return;
        }
        text = crLfAsCr(withoutLeadingLineBreaks(text));
    } else {
        text = sourceText(CLP, currentRow, kind);
    }
    setSqlHighlighting(TextEdit, kind == RowKind::sql);
    TextEdit->setPlainText(textForEditor(text));
    TextEdit->moveCursor(QTextCursor::Start);
    const bool readOnly = kind == RowKind::message;
    TextEdit->setReadOnly(readOnly);
    editRow = readOnly ? -2 : currentRow;
    EditBox->show();
    TextEdit->show();
    if (settings_.viewMode == ViewMode::text || settings_.viewMode == ViewMode::sql) {
        TB->show();
        TB->setFocus();
    }
    TextEdit->setFocus();
}

void NorqSQL::placeCellEditor() {
    if (currentRow < 0 || currentRow >= CLP->rows()) return;
    CellInfo cell = getCellInfo(currentRow, textCol);
    const QString text = CLP->textMatrix(currentRow, textCol);
    const int lines = std::clamp(InfoRTF.lineCount(text, cell.fontName, cell.fontSize, 30), 8, 30);
    if (settings_.viewMode == ViewMode::script)
        CLP->setRowHeight(currentRow,
                          lines * InfoRTF.lineHeightTwips(cell.fontName, cell.fontSize));
    cell = getCellInfo(currentRow, textCol);
    CLP->setCol(textCol);
    EditBox->setGeometry(twipsRect(cell.left, cell.top, cell.width, cell.height));
    TextEdit->setGeometry(twipsRect(45, 90, cell.width - 100, cell.height - 300));
    TextEdit->setFont(platformFont(cell.fontName, cell.fontSize));
    EditBox->raise();
}

// ---- whole script -------------------------------------------------------------------

namespace {

// The window's rows for Run all: the view follows the running row and paints now and
// then; leaving the document views or closing the window ends the run.
class WindowRows : public RunnableRows {
public:
    WindowRows(NorqSQL &window, ScriptPane &pane, Grid *grid)
        : window_(window), pane_(pane), grid_(grid), view_(&window, grid) {}

    int count() const override { return grid_->rows(); }
    RowKind kind(int row) const override { return rowKindAt(grid_, row); }
    QString statement(int row) const override { return grid_->textMatrix(row, ScriptRow::sqlCol); }
    bool run(const QString &statement) override { return pane_.run(statement); }
    int placeOutput(int row, int number) override {
        window_.currentRow = row;
        pane_.markRan(row, number);
        return window_.placeOutput(row + 1);
    }
    void beforeRow(int row) override {
        view_.follow(row);
        if (!traitsOf(kind(row)).runs) return;
        window_.currentRow = row;
        view_.markRunning(row);
        ++started_;
        window_.statusBar()->showMessage(
            QStringLiteral("Running statement %1 of %2 (%3 s) - Escape or Options > Stop Run "
                           "stops it")
                .arg(started_)
                .arg(total_)
                .arg(static_cast<double>(clock_.elapsed()) / 1000.0, 0, 'f', 1));
    }
    void setTotal(int total) {
        total_ = total;
        clock_.start();
    }
    void afterRow() override { view_.rowDone(); }
    bool stopped() const override {
        return !isDocumentView(engine.viewMode) || windowClosing(&window_) ||
               RunnableRows::stopped();
    }

private:
    NorqSQL &window_;
    ScriptPane &pane_;
    Grid *grid_;
    RunView view_;
    int started_ = 0;
    int total_ = 0;
    QElapsedTimer clock_;
};

// "9 statements, 1 failed, 0.41 s": what the last Run all did, until the next one.
QString runSummary(int statements, int failures, int notRun, double seconds) {
    QString text = QStringLiteral("%1 statement%2, %3 failed")
                       .arg(statements)
                       .arg(statements == 1 ? QString() : QStringLiteral("s"))
                       .arg(failures);
    if (notRun > 0) text += QStringLiteral(", %1 not run").arg(notRun);
    return text + QStringLiteral(", %1 s").arg(seconds, 0, 'f', 2);
}

} // namespace

int NorqSQL::runAllRows(const std::function<void(const StatementRun &)> &progress) {
    // A stop belongs to the run it ended: a new Run all starts unstopped.
    run_control::clearStop();
    int statements = 0;
    int ran = 0;
    int failed = 0;
    int total = 0;
    QElapsedTimer clock;
    clock.start();
    RunAllOutcome outcome;
    {
        WindowRows rows(*this, pane_, CLP);
        BusyPointer busy; // once for the run: setting the pointer for every row costs a round trip
        const auto tally = [&](const StatementRun &run) {
            if (total == 0) rows.setTotal(total = run.total);
            ran += std::max(run.statements, 1);
            failed += std::max(run.failures, engine.msgCode != 0 ? 1 : 0);
            if (progress) progress(run);
        };
        statements = ::runAllRows(rows, tally, &outcome);
    }
    statusBar()->showMessage(
        runSummary(ran, failed, outcome.rowsNotRun, static_cast<double>(clock.elapsed()) / 1000.0));
    CLP->setTopRow(0);
    showTransactionState();
    return statements;
}

void NorqSQL::runAll_Click() {
    // Its reset would move the rows under a statement that is still running.
    if (!isDocumentView(settings_.viewMode) || cli::executing()) return;
    ResetCellEdit();
    if (!mayStartChildPrograms()) return;
    mnuReset_Click();
    runAllRows();
}

void NorqSQL::nextFailure_Click() {
    const int rows = CLP->rows();
    for (int step = 1; step <= rows; ++step) {
        const int row = (CLP->row() + step) % rows;
        if (!traitsOf(rowKindAt(CLP, row)).textOutput) continue;
        if (!CLP->rowData(row).value<RowOutcome>().failed()) continue;
        currentRow = row;
        CLP->setRow(row);
        CLP->setCol(textCol);
        if (!CLP->isRowVisible(row)) CLP->setTopRow(std::max(0, row - 1));
        return;
    }
    statusBar()->showMessage(QStringLiteral("No statement failed."));
}

void NorqSQL::mnuReset_Click() {
    if (!isDocumentView(settings_.viewMode) || cli::executing()) return;
    ResetCellEdit();
    int row = 0;
    while (row < CLP->rows()) {
        if (traitsOf(rowKindAt(CLP, row)).output) {
            CLP->removeItem(row);
        } else {
            CLP->setRowData(row, {}); // how it ran last time is no longer what it shows
            ++row;
        }
    }
    CLP->setTopRow(0);
}

void NorqSQL::doToc_Click() {
    commitOpenEditor(*this);
    QStringList entries;
    for (int row = 0; row < CLP->rows() && entries.size() < kMaxHeadings; ++row) {
        if (rowKindAt(CLP, row) != RowKind::heading) continue;
        if (CLP->textMatrix(row, tagCol) == QLatin1String("0")) continue;
        entries << CLP->textMatrix(row, textCol);
        CLP->setTextMatrix(row, rawCol, QString::number(entries.size()));
    }
    for (int n = 1; n <= entries.size(); ++n) {
        RowKind kind = RowKind::comment;
        addRow(kind, QStringLiteral("{h0:%1} ").arg(n) + entries[n - 1], QString(), n);
    }
}
