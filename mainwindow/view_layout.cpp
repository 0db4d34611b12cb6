#include "mainwindow/view_layout.h"

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "document/script_pane.h"
#include "document/sql_highlighter.h"
#include "engine/text_layout.h"
#include "mainwindow/norqsql.h"

#include <QPlainTextEdit>
#include <QToolBar>
#include <algorithm>

using namespace ScriptRow;

namespace {

constexpr int kPanelMargin = 605;      // grid width less the text column's, interactive panel
constexpr int kFlexibleMinimum = 1500; // twips: Text View's editor, SQL View's result

} // namespace

ViewLayout::ViewLayout(NorqSQL &window, ScriptPane &pane, Settings &settings)
    : window_(window), pane_(pane), settings_(settings) {}

void ViewLayout::setTextColumnWidth() {
    pane_.layOutColumns(isDocumentView(settings_.viewMode) ? ScriptPane::documentMargin
                                                           : kPanelMargin);
}

void ViewLayout::measureWrapWidths() {
    const int width = window_.InfoRTF.widthTwips();
    settings_.sqlLineWidth = measureLineWidth(RowStyle::codeFont, settings_.fontSize, width);
    settings_.textLineWidth = measureLineWidth(RowStyle::proseFont, settings_.fontSize, width);
}

void ViewLayout::layoutPanel() {
    Grid *grid = window_.CLP;
    const int gridHeight = grid->gridHeight();
    const bool textView = settings_.viewMode == ViewMode::text;
    // The part that takes what the window leaves keeps room for a few lines: below that
    // the grid scrolls rather than squeeze it to a sliver.
    const int heights[] = {
        textView ? std::max(kFlexibleMinimum, gridHeight - 3700) : 400, textView ? 1500 : 2500,
        textView ? 1600 : std::max(kFlexibleMinimum, gridHeight - 4000), textView ? 500 : 1000, 0};
    for (int row = 0; row < 5 && row < grid->rows(); ++row)
        grid->setRowHeight(row, heights[row]);
    if (textView) placeFullEdit();
    placeToolbar();
}

void ViewLayout::placeFullEdit() {
    const CellInfo cell = cellInfoAt(window_.CLP, 0, textCol);
    window_.FullEdit->setGeometry(
        twipsRect(cell.left + 45, cell.top + 120, cell.width - 100, cell.height - 200));
}

void ViewLayout::placeToolbar() {
    const CellInfo cell = cellInfoAt(window_.CLP, 1, markerCol);
    QToolBar *toolbar = window_.TB;
    toolbar->adjustSize();
    const int toolbarWidth = pixelsToTwips(toolbar->width());
    toolbar->move(twipsToPixels(cell.left + (ScriptPane::markerWidth - toolbarWidth) / 2),
                  twipsToPixels(cell.top));
}

void ViewLayout::placeOverCell(QWidget *widget, int row, int col) {
    const CellInfo cell = cellInfoAt(window_.CLP, row, col);
    widget->setGeometry(twipsRect(cell.left, cell.top, cell.width, cell.height));
}

// The entry box over row 1, its editor inside it.
void ViewLayout::placeEntryBox() {
    placeOverCell(window_.EditBox, 1, textCol);
    const CellInfo cell = cellInfoAt(window_.CLP, 1, textCol);
    window_.TextEdit->setGeometry(twipsRect(45, 90, cell.width - 100, cell.height - 180));
}

void ViewLayout::openPanelEditor() {
    placeEntryBox();
    const CellInfo cell = cellInfoAt(window_.CLP, 1, textCol);
    QPlainTextEdit *editor = window_.TextEdit;
    editor->setFont(platformFont(cell.fontName, cell.fontSize));
    editor->clear();
    setSqlHighlighting(editor, true);
    window_.editRow = 1;
    window_.EditBox->show();
    editor->show();
    window_.EditBox->raise();
    window_.TB->raise();
    editor->setFocus();
}

void ViewLayout::resize() {
    setTextColumnWidth();
    Grid *grid = window_.CLP;
    if (isDocumentView(settings_.viewMode)) {
        grid->refresh();
        return;
    }
    if (grid->rows() < 5) return;
    layoutPanel();
    if (settings_.viewMode == ViewMode::text) {
        window_.FullEdit->show();
        window_.FullEdit->raise();
    }
    placeEntryBox();
    window_.EditBox->raise();
    placeOverCell(window_.DataValues, 2, textCol);
    window_.TB->show();
    window_.TB->raise();
    grid->refresh();
}
