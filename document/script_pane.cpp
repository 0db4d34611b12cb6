#include "document/script_pane.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/text_files.h"
#include "core/window_interface.h"
#include "database/cli/cli.h"
#include "document/document_model.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "engine/busy_pointer.h"
#include "engine/dispatcher.h"

#include <QChartView>
#include <QLabel>
#include <QLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>

using namespace ScriptRow;

namespace {

constexpr int kChartMargin = 120; // twips below a chart taller than its row
constexpr int kChangedTipLines = 16;

QString changedTip(const QStringList &changes) {
    QStringList lines = changes.mid(0, kChangedTipLines);
    if (changes.size() > kChangedTipLines) lines << QStringLiteral("  ...");
    return QStringLiteral("Differs from the snapshot:\n") + lines.join(u'\n') +
           QStringLiteral("\nView > Compare with Snapshot shows both.");
}

// Runs started from any script pane, counted: a run lets window events in while it waits,
// so a press in either window can start a run of its own, whose outcome then replaces the
// first one's in the engine state.
int runsStarted = 0;

// The script grid is a document: its current cell is not painted as a selection.
void hidePlainSelection(Grid *grid) {
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 0, 0));
    palette.setColor(QPalette::HighlightedText, palette.color(QPalette::Text));
    grid->setPalette(palette);
    grid->setShowGrid(false);
}

bool isLink(Grid *grid, int row) {
    return grid->textMatrix(row, tagCol) == QLatin1String("0");
}

} // namespace

CellInfo cellInfoAt(Grid *grid, int row, int col) {
    grid->setRow(row);
    grid->setCol(col);
    CellInfo info;
    info.top = grid->cellTop();
    info.left = grid->cellLeft();
    info.width = grid->cellWidth();
    info.height = grid->cellHeight();
    if (info.top < 0) info.top = 45;
    if (info.left < 0) info.left = 540;
    if (info.width < 0) info.width = 10700;
    if (info.height < 0) info.height = 1230;
    if (grid->gridHeight() < info.height) info.height = grid->gridHeight() - 90;
    info.fontName = grid->cellFontName();
    info.fontSize = static_cast<int>(std::lround(grid->cellFontSize()));
    return info;
}

ScriptPane::ScriptPane(QWidget *window) {
    grid_ = new Grid(window);
    grid_->setObjectName(QStringLiteral("CLP"));
    grid_->setCols(columnCount);
    grid_->setRows(1);
    hidePlainSelection(grid_);
    // The grid is hidden while a page is rebuilt; it keeps its place in the window's
    // layout meanwhile, so that the page is measured at the width it is shown at.
    QSizePolicy policy = grid_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    grid_->setSizePolicy(policy);
    // Overlays live on the grid so that cell geometry maps straight onto them.
    overlay_ = new Grid(grid_);
    overlay_->setObjectName(QStringLiteral("DataValues"));
    overlay_->hide();
    chart_ = new QChartView(window);
    chart_->setObjectName(QStringLiteral("Chart"));
    chart_->hide();
    testImage_ = new QLabel(window);
    testImage_->setObjectName(QStringLiteral("TestImage"));
    testImage_->hide();
    document_.attach(grid_, &measure_, testImage_, &lines_);
    grid_->setToolTips([this](int row, int col) { return toolTip(row, col); });
    grid_->setRowFocusBand(true);
    // What can be pressed shows so under the pointer.
    QObject::connect(grid_, &Grid::gridMouseMove, grid_, [this] {
        const bool pressable =
            grid_->mouseRow() >= 0 && !pressHint(grid_->mouseRow(), grid_->mouseCol()).isEmpty();
        grid_->viewport()->setCursor(pressable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    });
}

QString ScriptPane::pressHint(int row, int col) const {
    if (row < 0 || row >= grid_->rows()) return {};
    const RowKind kind = document_.kindOf(row);
    if (col == markerCol && kind == RowKind::sql) return runHint_;
    if (col == markerCol && kind == RowKind::result) return QStringLiteral("Show the whole result");
    if (col != textCol || kind != RowKind::heading || !isLink(grid_, row)) return {};
    const QString target = grid_->textMatrix(row, rawCol).trimmed().toUpper();
    if (target.isEmpty()) return {};
    if (target.contains(QLatin1String(".NORQ")))
        return QStringLiteral("Go to the page ") + grid_->textMatrix(row, rawCol).trimmed();
    for (int r = 0; r < grid_->rows(); ++r)
        if (grid_->textMatrix(r, rawCol).toUpper() == target && !isLink(grid_, r))
            return QStringLiteral("Go to \u201C%1\u201D").arg(grid_->textMatrix(r, textCol));
    return {};
}

QString ScriptPane::toolTip(int row, int col) const {
    const QStringList changes = grid_->rowData(row).value<RowOutcome>().changes;
    if (!changes.isEmpty()) return changedTip(changes);
    const QString hint = pressHint(row, col);
    if (!hint.isEmpty() || col != textCol) return hint;
    // A statement that ran with variables filled in shows how, its own text unchanged.
    QString ran = grid_->rowData(row).value<RowOutcome>().ran;
    if (ran.isEmpty() || ran == grid_->textMatrix(row, textCol)) return QString();
    return QStringLiteral("As it ran:\n") + ran.replace(u'\r', u'\n');
}

// ---- layout -------------------------------------------------------------------------

void ScriptPane::takeFinalSize() {
    QWidget *window = grid_->window();
    if (window->isVisible()) return;
    for (QWidget *widget = grid_->parentWidget(); widget; widget = widget->parentWidget()) {
        if (widget->layout()) widget->layout()->activate();
        if (widget == window) break;
    }
}

void ScriptPane::layOutColumns(int margin) {
    const int width = std::max(markerWidth, grid_->gridWidth() - margin);
    grid_->setColWidth(markerCol, markerWidth);
    grid_->setColAlignment(markerCol, 4);
    grid_->setColWidth(textCol, width);
    grid_->setColAlignment(textCol, 1);
    for (int col = kindCol; col < columnCount; ++col)
        grid_->setColWidth(col, 0);
    measure_.setWidthTwips(width);
}

// ---- links --------------------------------------------------------------------------

int ScriptPane::followLink(int row) {
    if (!isLink(grid_, row)) return -1;
    const QString target = grid_->textMatrix(row, rawCol).trimmed().toUpper();
    if (target.isEmpty()) return -1;
    if (target.contains(QLatin1String(".NORQ"))) {
        if (pageOpener_) pageOpener_(target);
        return -1;
    }
    for (int r = 0; r < grid_->rows(); ++r) {
        if (grid_->textMatrix(r, rawCol).toUpper() != target || isLink(grid_, r)) continue;
        grid_->setRow(r);
        grid_->setTopRow(r);
        return r;
    }
    return -1;
}

// ---- running and output rows --------------------------------------------------------

bool ScriptPane::run(const QString &statement) {
    if (cli::executing()) return false; // a press while a statement runs: only Stop acts
    const int mine = ++runsStarted;
    runScript(statement, overlay_, chart_);
    return mine == runsStarted;
}

void ScriptPane::markRan(int row, int number) {
    RowOutcome outcome;
    outcome.ran = textAsRan(grid_->textMatrix(row, textCol));
    outcome.number = number;
    grid_->setRowData(row, QVariant::fromValue(outcome));
}

// A failure must not pass for a success at a glance: its own marker and background.
void ScriptPane::markFailure(int row) {
    const Grid::QuietMoves moves(grid_);
    grid_->setRow(row);
    grid_->setCol(markerCol);
    grid_->setText(RowStyle::failureMarker);
    grid_->setCellForeColor(RowStyle::failureMarkerColour);
    grid_->setCol(textCol);
    grid_->setCellBackColor(RowStyle::failureBackground);
}

// Another colour than a failure's, which stays when the output failed too.
void ScriptPane::markChanged(int row, const QStringList &changes) {
    RowOutcome outcome = grid_->rowData(row).value<RowOutcome>();
    outcome.changes = changes;
    grid_->setRowData(row, QVariant::fromValue(outcome));
    if (outcome.failed()) return;
    const Grid::QuietMoves moves(grid_);
    if (changes.isEmpty()) {
        document_.styleRow(row, document_.kindOf(row));
        return;
    }
    grid_->setRow(row);
    grid_->setCol(markerCol);
    grid_->setText(RowStyle::changedMarker);
    grid_->setCellForeColor(RowStyle::changedMarkerColour);
    grid_->setCol(textCol);
    grid_->setCellBackColor(RowStyle::changedBackground);
}

ScriptPane::Output ScriptPane::placeOutput(int position) {
    const RunOutput output = runOutput(engine, engine);
    if (!output.shown) return {};
    DocumentRow row;
    row.kind = output.kind;
    row.text = output.text;
    row.tag = output.statement;
    row.outcome = output.outcome;
    row.picture = output.picture;
    return {putOutput(position, row), output.step};
}

int ScriptPane::putOutput(int position, const DocumentRow &output) {
    RowKind kind = output.kind;
    const int row = document_.addRow(kind, output.text, output.tag, position);
    grid_->setRowData(row, QVariant::fromValue(output.outcome));
    if (output.outcome.failed() && traitsOf(kind).textOutput) markFailure(row);
    if (!output.outcome.changes.isEmpty()) markChanged(row, output.outcome.changes);
    if (kind == RowKind::chart) {
        grid_->setRow(row);
        grid_->setCol(textCol);
        grid_->setCellAlignment(4);
        grid_->setCellPicture(QPixmap::fromImage(output.picture));
        if (!output.picture.isNull())
            grid_->setRowHeight(row,
                                std::max(grid_->rowHeight(row),
                                         pixelsToTwips(output.picture.height()) + kChartMargin));
    }
    return row;
}

// ---- the result overlay -------------------------------------------------------------

bool ScriptPane::toggleResult(int row) {
    if (overlay_->isVisible()) {
        overlay_->hide();
        return false;
    }
    const QString statement = grid_->textMatrix(row, tagCol);
    if (statement.isEmpty()) return false;
    const BusyPointer busy;
    engine.gridMode = true;
    const CellInfo cell = cellInfoAt(grid_, row, textCol);
    overlay_->setGeometry(twipsRect(cell.left, cell.top, cell.width, cell.height));
    overlay_->setEnabled(true);
    if (!run(statement) || engine.resultKind != kResultRows) return false;
    overlay_->show();
    overlay_->raise();
    return true;
}
