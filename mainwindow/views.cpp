// The four views of the main window, their layout, and the cell helpers other commands
// use to place controls over the grid.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "document/sql_highlighter.h"
#include "engine/text_layout.h"
#include "mainwindow/find_bar.h"
#include "mainwindow/norqsql.h"

#include <QPlainTextEdit>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>

using namespace ScriptRow;

namespace {

constexpr int kPanelMargin = 605;      // grid width less the text column's, interactive panel
constexpr int kFlexibleMinimum = 1500; // twips: Text View's editor, SQL View's result
const QColor kFullEditCell(204, 255, 255);
const QString kPanelTitle = QStringLiteral("Interactive SQL Window");

} // namespace

// ---- layout -------------------------------------------------------------------------

void NorqSQL::setTextColumnWidth() {
    pane_.layOutColumns(isDocumentView(engine.viewMode) ? ScriptPane::documentMargin
                                                        : kPanelMargin);
}

void NorqSQL::measureWrapWidths() {
    const int width = InfoRTF.widthTwips();
    engine.sqlLineWidth = measureLineWidth(RowStyle::codeFont, engine.fontSize, width);
    engine.textLineWidth = measureLineWidth(RowStyle::proseFont, engine.fontSize, width);
}

void NorqSQL::setViewMode(int viewModeIN) {
    engine.viewMode = viewModeIN;
    findBar_->dismiss();
    editRow = -1;
    EditBox->hide();
    DataValues->hide();
    FullEdit->hide();
    XMLView->hide();
    TB->hide();
    CLP->setGridVisible(false);

    CLP->setFixedRows(0);
    CLP->setFixedCols(0);
    CLP->setRows(1);
    CLP->clear();
    setTextColumnWidth();
    measureWrapWidths();
    if (!isDocumentView(viewModeIN)) buildInteractivePanel();
    // What the view held is gone; what it shows next comes from the lines.
    takeRowsAsRead();
    takeEditorAsRead();
}

void NorqSQL::buildInteractivePanel() {
    int kind = RowKind::heading;
    addRow(kind, kPanelTitle, QStringLiteral("1"), -1);
    kind = RowKind::sql;
    addRow(kind, QString(), QString(), -1);
    kind = RowKind::result;
    addRow(kind, QStringLiteral("Running..."), QString(), -1);
    kind = RowKind::message;
    addRow(kind, QString(), QString(), -1);
    kind = RowKind::endMarker;
    addRow(kind, QString(), QString(), -1);
    CLP->removeItem(0);
    CLP->setRow(0);
    CLP->setCol(textCol);
    CLP->setGridVisible(true);
    CLP->setTopRow(0);
    if (engine.viewMode == ViewMode::sql) {
        CLP->setRow(0);
        CLP->setCol(textCol);
        CLP->setCellFontBold(false);
        CLP->setCellFontUnderline(false);
        CLP->setCellBackColor(RowStyle::headingEditBackground);
        CLP->setCellAlignment(1);
    }
    layoutPanel();
    if (engine.viewMode == ViewMode::text) {
        FullEdit->clear();
        FullEdit->show();
        CLP->setRow(0);
        CLP->setCol(textCol);
        CLP->setCellBackColor(kFullEditCell);
        CLP->setTextMatrix(0, textCol, QString());
        FullEdit->raise();
    }
    DataValues->setRows(1);
    DataValues->setCols(1);
    DataValues->clear();
    placeOverCell(DataValues, 2, textCol);
    DataValues->setEnabled(true);
    DataValues->show();
    DataValues->raise();
    TB->show();
    currentRow = 1;
    openPanelEditor();
}

// Row heights of the interactive panel, and the controls laid over it.
void NorqSQL::layoutPanel() {
    const int gridHeight = CLP->gridHeight();
    const bool textView = engine.viewMode == ViewMode::text;
    // The part that takes what the window leaves keeps room for a few lines: below that
    // the grid scrolls rather than squeeze it to a sliver.
    const int heights[] = {
        textView ? std::max(kFlexibleMinimum, gridHeight - 3700) : 400, textView ? 1500 : 2500,
        textView ? 1600 : std::max(kFlexibleMinimum, gridHeight - 4000), textView ? 500 : 1000, 0};
    for (int row = 0; row < 5 && row < CLP->rows(); ++row)
        CLP->setRowHeight(row, heights[row]);
    if (textView) placeFullEdit();
    placeToolbar();
}

void NorqSQL::placeFullEdit() {
    const CellInfo cell = getCellInfo(0, textCol);
    FullEdit->setGeometry(
        twipsRect(cell.left + 45, cell.top + 120, cell.width - 100, cell.height - 200));
}

void NorqSQL::placeToolbar() {
    const CellInfo cell = getCellInfo(1, markerCol);
    TB->adjustSize();
    const int toolbarWidth = pixelsToTwips(TB->width());
    TB->move(twipsToPixels(cell.left + (ScriptPane::markerWidth - toolbarWidth) / 2),
             twipsToPixels(cell.top));
}

void NorqSQL::placeOverCell(QWidget *widget, int row, int col) {
    const CellInfo cell = getCellInfo(row, col);
    widget->setGeometry(twipsRect(cell.left, cell.top, cell.width, cell.height));
}

// The SQL entry box of the interactive panel: the cell editor over row 1.
void NorqSQL::openPanelEditor() {
    placeOverCell(EditBox, 1, textCol);
    const CellInfo cell = getCellInfo(1, textCol);
    TextEdit->setGeometry(twipsRect(45, 90, cell.width - 100, cell.height - 180));
    TextEdit->setFont(platformFont(cell.fontName, cell.fontSize));
    TextEdit->clear();
    setSqlHighlighting(TextEdit, true);
    editRow = 1;
    EditBox->show();
    TextEdit->show();
    EditBox->raise();
    TB->raise();
    TextEdit->setFocus();
}

void NorqSQL::resizeView() {
    setTextColumnWidth();
    if (isDocumentView(engine.viewMode)) {
        CLP->refresh();
        return;
    }
    if (CLP->rows() < 5) return;
    layoutPanel();
    if (engine.viewMode == ViewMode::text) {
        FullEdit->show();
        FullEdit->raise();
    }
    placeOverCell(EditBox, 1, textCol);
    const CellInfo cell = getCellInfo(1, textCol);
    TextEdit->setGeometry(twipsRect(45, 90, cell.width - 100, cell.height - 180));
    EditBox->raise();
    placeOverCell(DataValues, 2, textCol);
    TB->show();
    TB->raise();
    CLP->refresh();
}

// ---- cell helpers -------------------------------------------------------------------

CellInfo NorqSQL::getCellInfo(int row, int col) {
    return cellInfoAt(CLP, row, col);
}

bool NorqSQL::setTopRow(int meRow) {
    settingTopRow_ = true;
    if (meRow != CLP->topRow() && meRow < CLP->rows() - 1 && !CLP->isRowVisible(meRow + 1))
        CLP->setTopRow(CLP->topRow() + 1);
    settingTopRow_ = false;
    return false;
}

// ---- view commands ------------------------------------------------------------------

void NorqSQL::switchView(bool commit, int mode, bool rebuildScript) {
    // Rows that cannot be written back keep the user where they were.
    if (commit && !saveToMemory()) return;
    // Text View and SQL View show no outputs: those kept when the rows were left wait.
    if (isDocumentView(engine.viewMode)) keepOutputs();
    setViewMode(mode);
    if (rebuildScript) {
        memoryToScript();
        restoreOutputs();
    } else if (mode == ViewMode::text)
        memoryToEdit();
    refreshCaption();
}

namespace {
// A statement edited in Script View is kept too: leaving must not drop it unseen.
bool leavingEditor() {
    return engine.viewMode != ViewMode::sql;
}
} // namespace

void NorqSQL::modeText_Click() {
    switchView(leavingEditor(), ViewMode::text, false);
}
void NorqSQL::modeScript_Click() {
    switchView(leavingEditor(), ViewMode::script, true);
}
void NorqSQL::modeSQL_Click() {
    switchView(leavingEditor(), ViewMode::sql, false);
}
void NorqSQL::modeEdit_Click() {
    switchView(leavingEditor(), ViewMode::edit, true);
}
void NorqSQL::viewEditMode_Click() {
    switchView(true, ViewMode::edit, true);
}
void NorqSQL::editViewScript_Click() {
    switchView(true, ViewMode::edit, true);
}
void NorqSQL::scriptviewText_Click() {
    switchView(true, ViewMode::text, false);
}
