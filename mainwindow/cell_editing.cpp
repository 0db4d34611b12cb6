// Committing and dropping the main window's cell editor.

#include "core/engine_state.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "document/editor_text.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "document/script_text.h"
#include "mainwindow/norqsql.h"

#include <QPlainTextEdit>
#include <QTreeWidget>

using namespace ScriptRow;

namespace {

// The editor's text with its line ends as carriage returns and none at either end.
QString editorText(const QPlainTextEdit *editor) {
    return ScriptText::trimCarriageReturns(withCarriageReturns(textFromEditor(editor->document())));
}

// The editor gives back what the row holds: the row keeps its own text (blank lines at
// either end included), so opening and closing an editor changes nothing.
bool unchangedRow(const Grid *grid, int row, RowKind kind, const QString &text) {
    const auto trimmed = [&](int col) {
        return ScriptText::trimCarriageReturns(grid->textMatrix(row, col));
    };
    switch (traitsOf(kind).source) {
    case SourceField::raw:
        return text == trimmed(rawCol);
    case SourceField::statement:
        return text == trimmed(sqlCol);
    case SourceField::heading: {
        const ScriptText::HeadingEdit heading = ScriptText::parseHeadingEdit(text);
        return heading.text == grid->textMatrix(row, textCol) &&
               heading.anchor == grid->textMatrix(row, rawCol);
    }
    case SourceField::picture:
        return text == grid->textMatrix(row, tagCol);
    case SourceField::none:
        break;
    }
    return false;
}

} // namespace

void NorqSQL::SaveCellEdit(int row) {
    const int mode = settings_.viewMode;
    if (mode != ViewMode::script && mode != ViewMode::edit) return;
    DataValues->hide();
    if (row < 0 || row >= CLP->rows()) {
        EditBox->hide();
        return;
    }
    if (!TextEdit->isVisibleTo(this) || EditBox->isHidden()) {
        editRow = -1;
        return;
    }
    const RowKind kind = rowKindAt(CLP, row);
    const QString text = editorText(TextEdit);
    if (text.isEmpty()) {
        CLP->removeItem(row);
        EditBox->hide();
        if (editRow == row) editRow = -1;
        refreshCaption();
        return;
    }
    const bool changed = !unchangedRow(CLP, row, kind, text);
    if (changed) commitRowText(row, kind, text);
    EditBox->hide();
    if (changed) refreshCaption();
}

void NorqSQL::commitRowText(int row, RowKind kind, const QString &text) {
    using namespace RowStyle;
    const double size = settings_.fontSize;
    switch (traitsOf(kind).source) {
    case SourceField::raw: {
        // A comment is laid out as prose; an example keeps its lines.
        const bool prose = traitsOf(kind).font == RowFont::prose;
        const QString shown =
            prose ? pane_.document().commentDisplayText(text) : ScriptText::removeCarets(text);
        CLP->setTextMatrix(row, rawCol, text);
        CLP->setTextMatrix(row, textCol, shown);
        CLP->setRowHeight(
            row, getHeight(kind, prose ? shown : text, prose ? proseFont : codeFont, size));
        break;
    }
    case SourceField::statement: {
        const QString shown = getRawSQL(text);
        CLP->setTextMatrix(row, textCol, shown);
        CLP->setTextMatrix(row, sqlCol, text);
        CLP->setRowHeight(row, getHeight(kind, shown, codeFont, size));
        break;
    }
    case SourceField::heading: {
        const ScriptText::HeadingEdit heading = ScriptText::parseHeadingEdit(text);
        CLP->setTextMatrix(row, textCol, heading.text);
        CLP->setTextMatrix(row, rawCol, heading.anchor);
        break;
    }
    case SourceField::picture:
        pane_.document().showPicture(row, text);
        break;
    case SourceField::none:
        break;
    }
}

void NorqSQL::ResetCellEdit() {
    DataValues->hide();
    EditBox->hide();
    XMLView->hide();
    editRow = -1;
}
