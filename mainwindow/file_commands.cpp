// Open File, Open Library, Save and Export: the file dialogs and what follows them.

#include "core/engine_state.h"
#include "core/text_files.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "export/export.h"
#include "mainwindow/file_dialogs.h"
#include "mainwindow/norqsql.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kOpenFilter = QStringLiteral(
    "NORQ (norq)|*.norq;|SQL (sql)|*.sql;|All SQL (sql,norq,clp,txt)|*.sql;*.xmp;*.clp;*.txt|"
    "All files (*.*)|*.*");
const QString kLibraryFilter = QStringLiteral("SQL (sql)|*.sql;");
const QString kSaveFilter = QStringLiteral(
    "NORQ (norq)|*.norq;|SQL (sql)|*.sql;|All SQL (sql,norq,clp,txt)|*.sql;*.norq;*.clp;*.txt|"
    "All files (*.*)|*.*");

} // namespace

QString qtFileFilter(const QString &pipeFilter) {
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            if (trimmed.isEmpty()) continue;
            // "*.*" means every file; on Linux names need no dot.
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty()) continue;
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QString filterSuffix(const QString &nameFilter) {
    static const QRegularExpression plainPattern(QStringLiteral("\\*\\.(\\w+)(?=[\\s;)]|$)"));
    return plainPattern.match(nameFilter).captured(1);
}

void followFilterSuffix(QFileDialog &dialog) {
    dialog.setDefaultSuffix(filterSuffix(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &filter) { dialog.setDefaultSuffix(filterSuffix(filter)); });
}

QString showFileDialog(QWidget *parent, bool save, const QString &title, const QString &filter,
                       const QString &initialName) {
    QFileDialog dialog(parent, title, QDir::currentPath(), filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) followFilterSuffix(dialog);
    if (!initialName.isEmpty()) dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

namespace {

QString askFile(NorqSQL *window, bool save, const QString &title, const QString &filter,
                const QString &initialName) {
    if (window->CommonDialog) return window->CommonDialog(save, title, filter, initialName);
    return showFileDialog(window, save, title, filter, initialName);
}

} // namespace

void NorqSQL::rebuildAfterOpen() {
    switch (settings_.viewMode) {
    case ViewMode::text:
        setViewMode(ViewMode::text);
        memoryToEdit();
        break;
    case ViewMode::edit:
        setViewMode(ViewMode::edit);
        memoryToScript();
        break;
    default:
        setViewMode(ViewMode::script);
        memoryToScript();
        break;
    }
}

void NorqSQL::mnuOpen_Click() {
    const QString path = askFile(this, false, QStringLiteral("Load SQL Command File"),
                                 qtFileFilter(kOpenFilter), QString());
    if (!path.isEmpty()) openScriptFile(path);
}

void NorqSQL::mnuExamples_Click() {
    const QString path = askFile(this, false, QStringLiteral("Load PAVONA Library"),
                                 qtFileFilter(kLibraryFilter), QString());
    if (path.isEmpty()) return;
    // The index names its scripts relative to its own folder; work files stay in the
    // working folder.
    const QString folder = QFileInfo(path).absolutePath();
    const QString workFolder = QDir::currentPath();
    QDir::setCurrent(folder);
    readLibrary(QFileInfo(path).absoluteFilePath());
    QDir::setCurrent(workFolder);
    var_add(QStringLiteral("curdir"), folder + u'/');
}

void NorqSQL::saveFile_Click() {
    saveScript();
}

void NorqSQL::saveFileAs_Click() {
    saveScriptAs();
}

bool NorqSQL::saveScriptAs() {
    const QString path = askFile(this, true, QStringLiteral("Save SQL Command File"),
                                 qtFileFilter(kSaveFilter), currentFile);
    if (path.isEmpty() || !writeScriptTo(path)) return false;
    currentFile = path;
    refreshCaption();
    showSnapshotProblem(snapshotMarks_.open(path));
    return true;
}

// ---- export -------------------------------------------------------------------------

void NorqSQL::exportScript(int exportType) {
    SaveCellEdit(editRow);
    if (settings_.viewMode != ViewMode::script && settings_.viewMode != ViewMode::edit) return;
    const QString path =
        askFile(this, true, exportDialogTitle(exportType), exportDialogFilter(exportType),
                proposedExportName(currentFile, exportType));
    if (path.isEmpty()) return;
    // A pipe or a device would hold the window until something reads it.
    QString error = notRegularFile(path);
    if (!error.isEmpty() || !exportDocument(documentFromGrid(CLP), exportType, path, &error))
        engine.ui->messageBox(QStringLiteral("Pavona"),
                              QStringLiteral("Error writing to output file: ") + path +
                                  QStringLiteral("\r\nERR=") + error);
}

void NorqSQL::exportHTML_Click() {
    exportScript(ExportType::htmlPage);
}

void NorqSQL::exportHTMLP_Click() {
    exportScript(ExportType::htmlPlain);
}

void NorqSQL::exportText_Click() {
    exportScript(ExportType::text);
}
