#include "mainwindow/script_search.h"

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

ScriptSearch::ScriptSearch(NorqSQL &window, const Settings &settings, WindowMemory &memory)
    : window_(window), settings_(settings), memory_(memory) {}

// ---- menu commands ------------------------------------------------------------------

void ScriptSearch::openExamplesDialog() {
    NorqSearch *dialog = NorqSearch::shared(&window_, *this);
    const QPoint grid = window_.CLP->mapTo(&window_, QPoint(0, 0));
    dialog->move(window_.pos() + QPoint(grid.x(), 0) + twipsOffset(650, 1300));
    showSearchDialog(dialog, dialog->SearchString);
    dialog->SearchString->clear();
}

void ScriptSearch::openScriptDialog() {
    if (settings_.viewMode == ViewMode::sql) return;
    NorqFind *dialog = NorqFind::shared(&window_, *this);
    dialog->move(window_.pos() + window_.CLP->mapTo(&window_, QPoint(0, 0)) +
                 twipsOffset(500, 1000));
    showSearchDialog(dialog, dialog->SearchString);
}

void ScriptSearch::reset() {
    for (QTreeWidgetItemIterator it(window_.TV); *it; ++it)
        (*it)->setBackground(0, plainNodeColour());
    if (settings_.viewMode == ViewMode::text) {
        colourWholeText(window_.FullEdit, Qt::black);
        window_.FullEdit->selectAll();
    } else if (isDocumentView(settings_.viewMode)) {
        colourMarkers(window_.CLP, plainMarkerColour());
    }
    memory_.lastSearch.clear();
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

bool ScriptSearch::searchLibrary(const QString &text) {
    const QString key = text.trimmed().toUpper();
    if (key.isEmpty()) return false;
    memory_.lastSearch.clear();
    QTreeWidget *tree = window_.TV;
    tree->hide();
    QTreeWidgetItem *first = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        QTreeWidgetItem *node = *it;
        if (NorqSQL::fileContains(node->data(0, Qt::UserRole).toString(), key)) {
            node->setBackground(0, searchHitColour());
            tree->scrollToItem(node);
            if (!first) first = node;
        } else {
            node->setBackground(0, plainNodeColour());
            node->setExpanded(false);
        }
    }
    if (first) {
        if (tree->topLevelItemCount() > 0) tree->scrollToItem(tree->topLevelItem(0));
        memory_.lastSearch = key;
    }
    tree->show();
    return first != nullptr;
}

void ScriptSearch::collapseLibrary() {
    window_.TV->collapseAll();
}

// ---- the open script ----------------------------------------------------------------

bool ScriptSearch::highlightMatches(const QString &text) {
    const QString key = text.trimmed().toUpper();
    if (key.isEmpty()) return false;
    QPlainTextEdit *editor = window_.FullEdit;
    if (settings_.viewMode == ViewMode::text) {
        colourWholeText(editor, Qt::black);
        const QString upper = editor->toPlainText().toUpper();
        QTextCharFormat match;
        match.setForeground(matchTextColour());
        QTextCursor cursor(editor->document());
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
        QTextCursor caret = editor->textCursor();
        caret.setPosition(static_cast<int>(first));
        editor->setTextCursor(caret);
        return true;
    }
    if (!isDocumentView(settings_.viewMode)) return false;
    Grid *grid = window_.CLP;
    colourMarkers(grid, plainMarkerColour());
    int firstRow = -1;
    for (int row = 0; row < grid->rows(); ++row) {
        if (!grid->textMatrix(row, ScriptRow::textCol).toUpper().contains(key)) continue;
        if (firstRow < 0) firstRow = row;
        grid->setRow(row);
        grid->setCol(ScriptRow::markerCol);
        grid->setCellBackColor(searchHitColour());
    }
    if (firstRow < 0) return false;
    grid->setRow(firstRow);
    grid->setTopRow(firstRow);
    return true;
}

// ---- the find bar -------------------------------------------------------------------

void ScriptSearch::findInView() {
    FindBar *bar = window_.findBar();
    if (isDocumentView(settings_.viewMode)) {
        bar->searchGrid(window_.CLP, {ScriptRow::textCol});
    } else if (settings_.viewMode == ViewMode::sql) {
        bar->searchGrid(window_.DataValues, {});
    } else {
        bar->searchEditor(window_.FullEdit);
    }
    bar->open();
}

void ScriptSearch::findNext() {
    if (!window_.findBar()->isVisible()) return findInView();
    window_.findBar()->findNext();
}

void ScriptSearch::findPrevious() {
    if (!window_.findBar()->isVisible()) return findInView();
    window_.findBar()->findPrevious();
}

// ---- the window's commands ----------------------------------------------------------

void NorqSQL::searchExamples_Click() {
    search_.openExamplesDialog();
}
void NorqSQL::searchScript_Click() {
    search_.openScriptDialog();
}
void NorqSQL::searchReset_Click() {
    search_.reset();
}
bool NorqSQL::searchLibrary(const QString &text) {
    return search_.searchLibrary(text);
}
bool NorqSQL::highlightMatches(const QString &text) {
    return search_.highlightMatches(text);
}
void NorqSQL::findInView_Click() {
    search_.findInView();
}
void NorqSQL::findNext_Click() {
    search_.findNext();
}
void NorqSQL::findPrevious_Click() {
    search_.findPrevious();
}
