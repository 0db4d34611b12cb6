// Search Examples, Search Script and Reset: marks in the library tree, in the Text View
// editor and on the script grid's marker cells.

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "mainwindow/find_bar.h"
#include "mainwindow/norqfind.h"
#include "mainwindow/norqsearch.h"
#include "mainwindow/norqsql.h"
#include "mainwindow/search_colours.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

void colourWholeText(QPlainTextEdit *editor, const QColor &colour) {
    QTextCursor cursor(editor->document());
    cursor.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setForeground(colour);
    cursor.mergeCharFormat(format);
}

void colourMarkers(Grid *grid, const QColor &colour) {
    const int row = grid->row();
    const int col = grid->col();
    for (int r = 0; r < grid->rows(); ++r) {
        grid->setRow(r);
        grid->setCol(ScriptRow::markerCol);
        grid->setCellBackColor(colour);
    }
    grid->setRow(row);
    grid->setCol(col);
}

// What is typed next goes to the dialog, not to the main window's tree.
void showSearchDialog(QWidget *dialog, QLineEdit *entry) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    entry->setFocus();
}

QPoint twipsOffset(int x, int y) {
    return {twipsToPixels(x), twipsToPixels(y)};
}

} // namespace

// ---- menu commands ------------------------------------------------------------------

void NorqSQL::searchExamples_Click() {
    NorqSearch *dialog = NorqSearch::shared(this);
    const QPoint grid = CLP->mapTo(this, QPoint(0, 0));
    dialog->move(pos() + QPoint(grid.x(), 0) + twipsOffset(650, 1300));
    showSearchDialog(dialog, dialog->SearchString);
    dialog->SearchString->clear();
}

void NorqSQL::searchScript_Click() {
    if (engine.viewMode == ViewMode::sql) return;
    NorqFind *dialog = NorqFind::shared(this);
    dialog->move(pos() + CLP->mapTo(this, QPoint(0, 0)) + twipsOffset(500, 1000));
    showSearchDialog(dialog, dialog->SearchString);
}

void NorqSQL::searchReset_Click() {
    for (QTreeWidgetItemIterator it(TV); *it; ++it)
        (*it)->setBackground(0, plainNodeColour());
    if (engine.viewMode == ViewMode::text) {
        colourWholeText(FullEdit, Qt::black);
        FullEdit->selectAll();
    } else if (engine.viewMode == ViewMode::script || engine.viewMode == ViewMode::edit) {
        colourMarkers(CLP, plainMarkerColour());
    }
    engine.lastSearch.clear();
}

// ---- library ------------------------------------------------------------------------

bool NorqSQL::fileContains(const QString &file, const QString &text) {
    const QString name = file.trimmed();
    const QString key = text.trimmed().toUpper();
    if (name.isEmpty() || key.isEmpty()) return false;
    if (!readLines(name, kMaxFileLines)) return false;
    for (int line = 1; line <= engine.fileLineCount; ++line)
        if (engine.fileLines[line].toUpper().contains(key)) return true;
    return false;
}

bool NorqSQL::searchLibrary(const QString &text) {
    const QString key = text.trimmed().toUpper();
    if (key.isEmpty()) return false;
    engine.lastSearch.clear();
    TV->hide();
    QTreeWidgetItem *first = nullptr;
    for (QTreeWidgetItemIterator it(TV); *it; ++it) {
        QTreeWidgetItem *node = *it;
        if (fileContains(node->data(0, Qt::UserRole).toString(), key)) {
            node->setBackground(0, searchHitColour());
            TV->scrollToItem(node);
            if (!first) first = node;
        } else {
            node->setBackground(0, plainNodeColour());
            node->setExpanded(false);
        }
    }
    if (first) {
        if (TV->topLevelItemCount() > 0) TV->scrollToItem(TV->topLevelItem(0));
        engine.lastSearch = key;
    }
    TV->show();
    return first != nullptr;
}

// ---- the open script ----------------------------------------------------------------

bool NorqSQL::highlightMatches(const QString &text) {
    const QString key = text.trimmed().toUpper();
    if (key.isEmpty()) return false;
    if (engine.viewMode == ViewMode::text) {
        colourWholeText(FullEdit, Qt::black);
        const QString upper = FullEdit->toPlainText().toUpper();
        QTextCharFormat match;
        match.setForeground(matchTextColour());
        QTextCursor cursor(FullEdit->document());
        cursor.beginEditBlock();
        qsizetype first = -1;
        // Occurrences may overlap: the next search starts one character further on.
        for (qsizetype at = upper.indexOf(key); at >= 0; at = upper.indexOf(key, at + 1)) {
            if (first < 0) first = at;
            cursor.setPosition(static_cast<int>(at));
            cursor.setPosition(static_cast<int>(at + key.size()), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(match);
        }
        cursor.endEditBlock();
        if (first < 0) return false;
        QTextCursor caret = FullEdit->textCursor();
        caret.setPosition(static_cast<int>(first));
        FullEdit->setTextCursor(caret);
        return true;
    }
    if (engine.viewMode != ViewMode::script && engine.viewMode != ViewMode::edit) return false;
    colourMarkers(CLP, plainMarkerColour());
    int firstRow = -1;
    for (int row = 0; row < CLP->rows(); ++row) {
        if (!CLP->textMatrix(row, textCol).toUpper().contains(key)) continue;
        if (firstRow < 0) firstRow = row;
        CLP->setRow(row);
        CLP->setCol(markerCol);
        CLP->setCellBackColor(searchHitColour());
    }
    if (firstRow < 0) return false;
    CLP->setRow(firstRow);
    CLP->setTopRow(firstRow);
    return true;
}

// ---- the find bar -------------------------------------------------------------------

void NorqSQL::findInView_Click() {
    if (isDocumentView(engine.viewMode)) {
        findBar_->searchGrid(CLP, {textCol});
    } else if (engine.viewMode == ViewMode::sql) {
        findBar_->searchGrid(DataValues, {});
    } else {
        findBar_->searchEditor(FullEdit);
    }
    findBar_->open();
}

void NorqSQL::findNext_Click() {
    if (!findBar_->isVisible()) return findInView_Click();
    findBar_->findNext();
}

void NorqSQL::findPrevious_Click() {
    if (!findBar_->isVisible()) return findInView_Click();
    findBar_->findPrevious();
}
