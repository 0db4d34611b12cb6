// The four views of the main window: switching between them, the interactive panel of
// Text View and SQL View (laid out by the window's ViewLayout), and the cell helpers
// other commands use.

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

using namespace ScriptRow;

namespace {

const QColor kFullEditCell(204, 255, 255);
const QString kPanelTitle = QStringLiteral("Interactive SQL Window");

} // namespace

// ---- layout -------------------------------------------------------------------------

void NorqSQL::measureWrapWidths() {
    layout_.measureWrapWidths();
}

void NorqSQL::resizeView() {
    layout_.resize();
}

void NorqSQL::setViewMode(int viewModeIN) {
    settings_.viewMode = viewModeIN;
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
    layout_.setTextColumnWidth();
    layout_.measureWrapWidths();
    if (!isDocumentView(viewModeIN)) buildInteractivePanel();
    // What the view held is gone; what it shows next comes from the lines.
    changes_.takeRowsAsRead();
    changes_.takeEditorAsRead();
}

void NorqSQL::buildInteractivePanel() {
    RowKind kind = RowKind::heading;
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
    if (settings_.viewMode == ViewMode::sql) {
        CLP->setRow(0);
        CLP->setCol(textCol);
        CLP->setCellFontBold(false);
        CLP->setCellFontUnderline(false);
        CLP->setCellBackColor(RowStyle::headingEditBackground);
        CLP->setCellAlignment(1);
    }
    layout_.layoutPanel();
    if (settings_.viewMode == ViewMode::text) {
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
    layout_.placeOverCell(DataValues, 2, textCol);
    DataValues->setEnabled(true);
    DataValues->show();
    DataValues->raise();
    TB->show();
    currentRow = 1;
    layout_.openPanelEditor();
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
    if (isDocumentView(settings_.viewMode)) keepOutputs();
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
