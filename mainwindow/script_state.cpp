// The script against its file: whether it has changes, the caption that says so, the
// question before it is replaced or dropped, and saving it in place.

#include "core/engine_state.h"
#include "database/session.h"
#include "document/editor_text.h"
#include "mainwindow/norqsql.h"
#include "mainwindow/script_changes.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>

namespace {

const QString kProgram = QStringLiteral("Pavona");

NorqSQL::DiscardAnswer askDiscardBox(QWidget *parent, const QString &scriptName) {
    QMessageBox box(QMessageBox::Warning, kProgram,
                    QStringLiteral("%1 has changes that are not saved.").arg(scriptName),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(QStringLiteral("Save them before going on?"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return NorqSQL::DiscardAnswer::save;
    case QMessageBox::Discard:
        return NorqSQL::DiscardAnswer::discard;
    default:
        return NorqSQL::DiscardAnswer::cancel;
    }
}

} // namespace

// ---- changes ------------------------------------------------------------------------

ScriptChanges::ScriptChanges(NorqSQL &window, ScriptPane &pane, const Settings &settings)
    : window_(window), pane_(pane), settings_(settings) {}

bool ScriptChanges::cellEditPending() const {
    const QPlainTextEdit *editor = window_.TextEdit;
    return isDocumentView(settings_.viewMode) && window_.editRow >= 0 &&
           !window_.EditBox->isHidden() && !editor->isReadOnly() &&
           editor->document()->isModified();
}

bool ScriptChanges::modified() const {
    if (edited_) return true;
    if (settings_.viewMode == ViewMode::text)
        return textFromEditor(window_.FullEdit->document()) != editorAsRead_;
    if (!isDocumentView(settings_.viewMode)) return false;
    return cellEditPending() || pane_.document().regeneratedLines() != rowsAsRead_;
}

void ScriptChanges::takeRowsAsRead() {
    rowsAsRead_ = pane_.document().regeneratedLines();
}

void ScriptChanges::takeEditorAsRead() {
    editorAsRead_ = textFromEditor(window_.FullEdit->document());
}

void ScriptChanges::markSaved() {
    edited_ = false;
    if (isDocumentView(settings_.viewMode)) takeRowsAsRead();
    if (settings_.viewMode == ViewMode::text) takeEditorAsRead();
    window_.refreshCaption();
}

bool ScriptChanges::saveToMemory() {
    window_.SaveCellEdit(window_.editRow);
    if (settings_.viewMode == ViewMode::text) {
        if (textFromEditor(window_.FullEdit->document()) == editorAsRead_) return true;
        window_.editToMemory();
        takeEditorAsRead();
        edited_ = true;
        return true;
    }
    if (!isDocumentView(settings_.viewMode)) return true;
    // Rows as they were built keep the lines as read: a view change or a save does not
    // rewrite a script nobody touched in the canonical layout.
    const QStringList rows = pane_.document().regeneratedLines();
    if (rows == rowsAsRead_) return true;
    if (!window_.scriptToMemory()) return false;
    rowsAsRead_ = rows;
    edited_ = true;
    return true;
}

bool NorqSQL::scriptModified() {
    return changes_.modified();
}

bool NorqSQL::saveToMemory() {
    return changes_.saveToMemory();
}

// ---- caption ------------------------------------------------------------------------

QString NorqSQL::windowCaption() {
    const QString dash = QStringLiteral(" \u2014 ");
    QString caption;
    const bool modified = scriptModified();
    if (!currentFile.isEmpty() || scriptLines.lineCount > 0 || modified) {
        caption =
            currentFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(currentFile).fileName();
        if (modified) caption += u'*';
        caption += dash;
    }
    if (session_.connected && !session_.databaseName.isEmpty())
        caption += shownDatabaseName(session_.databaseName) + dash;
    return captionWithTransaction(caption + kProgram);
}

void NorqSQL::refreshCaption() {
    const QString caption = windowCaption();
    if (caption != windowTitle()) setWindowTitle(caption);
}

// ---- before the script goes ---------------------------------------------------------

bool NorqSQL::mayDiscardScript() {
    if (!scriptModified()) return true;
    const QString name =
        currentFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(currentFile).fileName();
    switch (AskDiscard ? AskDiscard(name) : askDiscardBox(this, name)) {
    case DiscardAnswer::save:
        return saveScript();
    case DiscardAnswer::discard:
        return true;
    default:
        return false;
    }
}

bool NorqSQL::openScriptFile(const QString &path) {
    if (!mayDiscardScript()) return false;
    currentFile = path;
    fileToMemory(path);
    rebuildAfterOpen();
    refreshCaption();
    showSnapshotProblem(snapshotMarks_.open(path));
    return true;
}

// ---- saving -------------------------------------------------------------------------

bool NorqSQL::saveScript() {
    if (currentFile.isEmpty()) return saveScriptAs();
    return writeScriptTo(currentFile);
}

bool NorqSQL::writeScriptTo(const QString &path) {
    if (!saveToMemory() || !memoryToFile(path)) return false;
    changes_.markSaved();
    return true;
}
