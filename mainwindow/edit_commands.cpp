// Editing commands: the Text View editor's pop-up (clipboard, upper-case, snippets), the
// row commands of the Script and Edit View pop-ups, and New Script.

#include "core/engine_state.h"
#include "core/text_files.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "document/script_lines.h"
#include "document/script_text.h"
#include "mainwindow/editor_commit.h"
#include "mainwindow/norqsql.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

struct Selection {
    int start = 0;
    int length = 0;
    QString text; // the whole editor text
    QString selected() const { return text.mid(start, length); }
};

Selection selectionOf(const QPlainTextEdit *editor) {
    const QTextCursor cursor = editor->textCursor();
    Selection selection;
    selection.start = cursor.selectionStart();
    selection.length = cursor.selectionEnd() - cursor.selectionStart();
    selection.text = editor->toPlainText();
    return selection;
}

void placeCaret(QPlainTextEdit *editor, int position) {
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(std::clamp(position, 0, static_cast<int>(editor->toPlainText().size())));
    editor->setTextCursor(cursor);
}

// Replaces length characters at start by text (an insertion when length is 0), keeping
// the editor's undo history and formats elsewhere.
void replaceRange(QPlainTextEdit *editor, int start, int length, const QString &text) {
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

void removeSelection(QPlainTextEdit *editor, bool toClipboard) {
    const Selection selection = selectionOf(editor);
    if (selection.length == 0) return;
    if (toClipboard) engine.ui->setClipboardText(selection.selected());
    replaceRange(editor, selection.start, selection.length, QString());
    placeCaret(editor, selection.start >= 1 ? selection.start - 1 : 0);
}

} // namespace

bool commitOpenEditor(NorqSQL &window) {
    if (window.editRow == -2) {
        window.ResetCellEdit();
        return true;
    }
    if (window.editRow < 0) return true;
    const int closed = window.editRow;
    const int rowsBefore = window.CLP->rows();
    window.SaveCellEdit(closed);
    window.ResetCellEdit();
    if (window.CLP->rows() >= rowsBefore) return true;
    if (closed < window.currentRow) --window.currentRow;
    return closed != window.currentRow;
}

// ---- Text View editor ---------------------------------------------------------------

void NorqSQL::editCut_Click() {
    removeSelection(FullEdit, true);
}

void NorqSQL::editDelete_Click() {
    removeSelection(FullEdit, false);
}

void NorqSQL::copyCell_Click() {
    const Selection selection = selectionOf(FullEdit);
    if (selection.length != 0) engine.ui->setClipboardText(selection.selected());
}

void NorqSQL::copySQL_Click() {
    const Selection selection = selectionOf(FullEdit);
    if (selection.length != 0) TextEdit->setPlainText(selection.selected());
}

void NorqSQL::editUpper_Click() {
    const Selection selection = selectionOf(FullEdit);
    if (selection.length == 0) return;
    replaceRange(FullEdit, selection.start, selection.length, selection.selected().toUpper());
    placeCaret(FullEdit, selection.start);
}

void NorqSQL::editPaste_Click() {
    const QString clip = engine.ui->clipboardText();
    if (clip.isEmpty()) return;
    const QString text = withLineFeeds(clip);
    const Selection selection = selectionOf(FullEdit);
    replaceRange(FullEdit, selection.start, 0, text);
    placeCaret(FullEdit, selection.start + static_cast<int>(text.size()));
}

void NorqSQL::insertSnippet(const QString &snippet, int caretOffset) {
    const Selection selection = selectionOf(FullEdit);
    replaceRange(FullEdit, selection.start, 0, withLineFeeds(snippet));
    placeCaret(FullEdit, selection.start + caretOffset);
}

void NorqSQL::insertComment_Click() {
    const QString snippet = QStringLiteral("\r/*\r \r*/\r\r");
    insertSnippet(snippet, static_cast<int>(snippet.indexOf(u' ')));
}

void NorqSQL::insertHeading_Click() {
    const QString snippet = QStringLiteral("\r/* {h1}Title */\r\r");
    insertSnippet(snippet, static_cast<int>(snippet.indexOf(QLatin1String("Title"))));
}

void NorqSQL::insertSQL_Click() {
    const QString snippet = QStringLiteral("\r/* {sql}\rexample\r*/\r\r");
    insertSnippet(snippet, static_cast<int>(snippet.indexOf(QLatin1String("example"))));
}

void NorqSQL::insertImage_Click() {
    const QString snippet = QStringLiteral("\r/* {image}picture.jpg */\r\r");
    insertSnippet(snippet, static_cast<int>(snippet.indexOf(QLatin1String("picture.jpg"))));
}

// ---- row commands -------------------------------------------------------------------

void NorqSQL::copyRowToClip() {
    if (currentRow < 0 || currentRow >= CLP->rows()) return;
    rowClipKind = CLP->textMatrix(currentRow, kindCol);
    const RowKind kind = rowKindFromText(rowClipKind);
    const bool source = traitsOf(kind).source == SourceField::raw;
    rowClipText = CLP->textMatrix(currentRow, source ? rawCol : textCol);
    rowClipTag = CLP->textMatrix(currentRow, tagCol);
    // Other programs get the row's text as written: a statement with its comments.
    const int textColumn = kind == RowKind::sql ? sqlCol : source ? rawCol : textCol;
    const QString text = ScriptText::trimCarriageReturns(CLP->textMatrix(currentRow, textColumn));
    if (!text.isEmpty()) engine.ui->setClipboardText(text);
}

void NorqSQL::pasteRowClip() {
    RowKind kind = rowKindFromText(rowClipKind);
    // Nothing copied yet, or the end marker: there is no row to paste.
    if (kind == RowKind::none || kind == RowKind::endMarker) return;
    addRow(kind, rowClipText, rowClipTag, currentRow + 1);
}

void NorqSQL::scriptEdit_Click() {
    if (commitOpenEditor(*this)) beginCellEdit();
}

void NorqSQL::scriptCopy_Click() {
    if (commitOpenEditor(*this)) copyRowToClip();
}

void NorqSQL::scriptCut_Click() {
    if (!commitOpenEditor(*this)) return;
    if (currentRow < 0 || currentRow >= CLP->rows()) return;
    // The end marker closes every rendered script; the row walks rely on it.
    if (rowKindAt(CLP, currentRow) == RowKind::endMarker) return;
    copyRowToClip();
    CLP->removeItem(currentRow);
}

void NorqSQL::scriptPaste_Click() {
    commitOpenEditor(*this);
    pasteRowClip();
}

void NorqSQL::scriptDuplicate_Click() {
    if (!commitOpenEditor(*this)) return;
    copyRowToClip();
    pasteRowClip();
}

void NorqSQL::insertRowAndEdit(RowKind kind, const QString &tag) {
    commitOpenEditor(*this);
    addRow(kind, QString(), tag, currentRow + 1);
    beginCellEdit();
}

void NorqSQL::scriptInsertSQL_Click() {
    insertRowAndEdit(RowKind::sql, QString());
}

void NorqSQL::scriptInsertComment_Click() {
    insertRowAndEdit(RowKind::comment, QString());
}

void NorqSQL::scriptInsertXMP_Click() {
    insertRowAndEdit(RowKind::example, QString());
}

void NorqSQL::scriptInsertTitle_Click() {
    insertRowAndEdit(RowKind::heading, QStringLiteral("1"));
}

void NorqSQL::scriptInsertImage_Click() {
    insertRowAndEdit(RowKind::image, QStringLiteral("template.jpg"));
}

void NorqSQL::viewInsertSQL_Click() {
    insertRowAndEdit(RowKind::sql, QString());
}

// ---- New Script ---------------------------------------------------------------------

void NorqSQL::editNew_Click() {
    if (!mayDiscardScript()) return;
    keptOutputs_.clear();
    setViewMode(ViewMode::edit);
    const QString templateFile = QDir::current().filePath(QStringLiteral("template.norq"));
    if (QFileInfo::exists(templateFile)) {
        fileToMemory(templateFile);
        setViewMode(ViewMode::edit);
        memoryToScript();
    } else {
        struct NewRow {
            RowKind kind;
            QString text;
            QString tag;
        };
        const QString select = QStringLiteral("SELECT * FROM EMPLOYEE");
        const NewRow rows[] = {
            {RowKind::heading, QStringLiteral("Script Title"), QStringLiteral("1")},
            {RowKind::comment, QStringLiteral("Enter your script here"), QString()},
            {RowKind::sql, select, select},
            {RowKind::endMarker, QString(), QString()},
        };
        for (const NewRow &row : rows) {
            RowKind kind = row.kind;
            addRow(kind, row.text, row.tag, -1);
        }
        // setViewMode leaves one empty placeholder row above the appended ones.
        if (CLP->rows() > 4 && CLP->textMatrix(0, kindCol).isEmpty()) CLP->removeItem(0);
        CLP->setGridVisible(true);
        CLP->setRow(0);
        CLP->setCol(textCol);
        CLP->setTopRow(0);
        currentRow = 0;
        // The lines follow the rows, as for a script just read; it has no file yet.
        scriptLines.forgetFile();
        scriptToMemory();
    }
    currentFile.clear();
    snapshotMarks_.open({});
    changes_.markSaved();
}
