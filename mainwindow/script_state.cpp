// The script against its file: whether it has changes, the caption that says so, the
// question before it is replaced or dropped, and saving it in place.

#include "core/engine_state.h"
#include "database/session.h"
#include "document/editor_text.h"
#include "mainwindow/norqsql.h"

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

bool NorqSQL::cellEditPending() const {
    return isDocumentView(engine.viewMode) && editRow >= 0 && !EditBox->isHidden() &&
           !TextEdit->isReadOnly() && TextEdit->document()->isModified();
}

bool NorqSQL::scriptModified() {
    if (scriptEdited_) return true;
    if (engine.viewMode == ViewMode::text)
        return textFromEditor(FullEdit->document()) != editorAsRead_;
    if (!isDocumentView(engine.viewMode)) return false;
    return cellEditPending() || pane_.document().regeneratedLines() != rowsAsRead_;
}

void NorqSQL::takeRowsAsRead() {
    rowsAsRead_ = pane_.document().regeneratedLines();
}

void NorqSQL::takeEditorAsRead() {
    editorAsRead_ = textFromEditor(FullEdit->document());
}

void NorqSQL::markScriptSaved() {
    scriptEdited_ = false;
    if (isDocumentView(engine.viewMode)) takeRowsAsRead();
    if (engine.viewMode == ViewMode::text) takeEditorAsRead();
    refreshCaption();
}

bool NorqSQL::saveToMemory() {
    SaveCellEdit(editRow);
    if (engine.viewMode == ViewMode::text) {
        if (textFromEditor(FullEdit->document()) == editorAsRead_) return true;
        editToMemory();
        takeEditorAsRead();
        scriptEdited_ = true;
        return true;
    }
    if (!isDocumentView(engine.viewMode)) return true;
    // Rows as they were built keep the lines as read: a view change or a save does not
    // rewrite a script nobody touched in the canonical layout.
    const QStringList rows = pane_.document().regeneratedLines();
    if (rows == rowsAsRead_) return true;
    if (!scriptToMemory()) return false;
    rowsAsRead_ = rows;
    scriptEdited_ = true;
    return true;
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
    if (engine.connected && !engine.databaseName.isEmpty())
        caption += shownDatabaseName(engine.databaseName) + dash;
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
    markScriptSaved();
    return true;
}
