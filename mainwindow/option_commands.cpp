// The Options menu (font size, column width, results, trace, connection) and the
// commands that open SQL windows.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/variables.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "engine/text_layout.h"
#include "mainwindow/norqsql.h"
#include "windows/norq_connect.h"
#include "windows/norq_sql_window.h"
#include "windows/norq_trace.h"

#include <QAction>
#include <QFontMetrics>
#include <QPlainTextEdit>

namespace {

constexpr int kFontSizes[] = {8, 9, 10, 11, 12, 14};
constexpr int kColumnSizes[] = {10, 15, 20, 25, 30};

NorqSQLWindow *openSQLWindow(bool takeFocus) {
    auto *window = new NorqSQLWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_ShowWithoutActivating, !takeFocus);
    window->show();
    return window;
}

} // namespace

void NorqSQL::mnuFontSizeValue_Click(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kFontSizes))) return;
    const int size = kFontSizes[index];
    ResetCellEdit();
    for (QAction *entry : mnuFontSizeValue)
        entry->setChecked(false);

    DataValues->setFontSize(size);
    var_add(QStringLiteral("fontsize"), QString::number(size));
    settings_.fontSize = size;
    measureWrapWidths();
    if (index < mnuFontSizeValue.size()) mnuFontSizeValue[index]->setChecked(true);

    CLP->setGridVisible(false);
    const bool measure = isDocumentView(settings_.viewMode);
    // Styled as a fresh rendering styles them, so a heading keeps its level's size.
    for (int row = 0; row < CLP->rows() - 1; ++row)
        pane_.document().styleRow(row, pane_.document().kindOf(row));
    // Every row is laid out and measured again in the new font.
    if (measure) {
        pane_.document().rewrapProse();
        cellWidthRefresh();
    }
    CLP->setGridVisible(true);
    DataValues->setFontSize(size);

    if (settings_.viewMode == ViewMode::text) {
        QFont font = FullEdit->font();
        font.setPointSize(size);
        FullEdit->setFont(font);
        FullEdit->show();
        TextEdit->show();
        EditBox->show();
        DataValues->show();
        FullEdit->setFocus();
    } else if (settings_.viewMode == ViewMode::sql) {
        TextEdit->show();
        EditBox->show();
        DataValues->show();
        TextEdit->setFocus();
    }
}

void NorqSQL::mnuColSize_Click(int index) {
    for (QAction *entry : mnuColSize)
        entry->setChecked(false);
    settings_.columnSize =
        index >= 0 && index < static_cast<int>(std::size(kColumnSizes)) ? kColumnSizes[index] : 15;
    if (index >= 0 && index < mnuColSize.size()) mnuColSize[index]->setChecked(true);
    if (DataValues->cols() < 1) return;
    const QFontMetrics metrics(font());
    const int width =
        pixelsToTwips(metrics.horizontalAdvance(QString(settings_.columnSize, u'O'))) + 100;
    for (int col = 0; col < DataValues->cols(); ++col)
        DataValues->setColWidth(col, width);
}

void NorqSQL::mnuDetach_Click() {
    settings_.detached = !settings_.detached;
    if (QAction *entry = menuEntry(QStringLiteral("mnuDetach")))
        entry->setChecked(settings_.detached);
}

void NorqSQL::mnutrace_Click() {
    settings_.traceOn = !settings_.traceOn;
    QAction *entry = menuEntry(QStringLiteral("mnutrace"));
    if (!settings_.traceOn) {
        if (NorqTrace *trace = NorqTrace::existing()) trace->hide();
    } else {
        NorqTrace *trace = NorqTrace::shared();
        trace->prepareHistory();
        trace->show();
    }
    if (entry) entry->setChecked(settings_.traceOn);
}

void NorqSQL::mnuConnection_Click() {
    NorqConnect *dialog = NorqConnect::shared();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void NorqSQL::openSQLWindow_Click() {
    NorqSQLWindow *window = openSQLWindow(true);
    window->activateWindow();
    window->TextEdit->setFocus();
}

void NorqSQL::sqlWindow_Click() {
    openSQLWindow(false);
}

void NorqSQL::viewSQLWindow_Click() {
    openSQLWindow(false);
}
