// The main window's rows: creation, measuring, text filters, parsing and regeneration,
// all carried out by its ScriptDocument over CLP.

#include "core/engine_state.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "document/script_lines.h"
#include "document/script_text.h"
#include "mainwindow/norqsql.h"

void NorqSQL::addRow(RowKind &DataType, const QString &datain, const QString &dataSQL,
                     int location) {
    currentRow = pane_.document().addRow(DataType, datain, dataSQL, location);
}

int NorqSQL::getHeight(RowKind DataType, const QString &inText, const QString &displayFont,
                       double displaySize) {
    return pane_.document().getHeight(DataType, inText, displayFont, displaySize);
}

int NorqSQL::getHeightJPG(const QString &FileName) {
    return pane_.document().getHeightJPG(FileName);
}

QString NorqSQL::getRawSQL(const QString &inSQL) {
    return ScriptText::getRawSQL(inSQL);
}

QString NorqSQL::removeComments(const QString &inSQL) {
    return ScriptText::removeComments(inSQL);
}

QString NorqSQL::stripCR(const QString &stringIN) {
    return ScriptText::stripCR(stringIN);
}

void NorqSQL::cellWidthRefresh() {
    pane_.document().cellWidthRefresh();
}

void NorqSQL::memoryToScript() {
    if (scriptLines.lineCount == 0) {
        // Nothing to render: show the empty grid rather than leave the view blank.
        CLP->setGridVisible(true);
    } else {
        pane_.document().memoryToScript();
        currentRow = 0;
    }
    changes_.takeRowsAsRead();
}

bool NorqSQL::scriptToMemory() {
    if (pane_.document().scriptToMemory()) return true;
    if (!engine.ui) return false;
    engine.ui->messageBox(QStringLiteral("Pavona"),
                          QStringLiteral("The script would need more than %1 lines, more than "
                                         "a script can hold: nothing was written back and its "
                                         "lines stay as they were. Remove rows before leaving "
                                         "the Edit View or saving.")
                              .arg(ScriptLines::maxLines));
    return false;
}
