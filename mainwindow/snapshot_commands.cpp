// The script's snapshot from the window: File > Update Snapshot writes it from the
// outputs shown, View > Compare with Snapshot shows a statement's two versions.

#include "core/engine_state.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "mainwindow/norqsql.h"

#include <QStatusBar>

namespace {

bool showsRows() {
    return engine.viewMode == ViewMode::script || engine.viewMode == ViewMode::edit;
}

} // namespace

void NorqSQL::updateSnapshot_Click() {
    SaveCellEdit(editRow);
    if (!showsRows()) {
        engine.ui->messageBox(QStringLiteral("Update Snapshot"),
                              QStringLiteral("The snapshot is written from the outputs under "
                                             "the statements: switch to Script View first."));
        return;
    }
    QString error;
    if (!snapshotMarks_.update(currentFile, &error)) {
        engine.ui->messageBox(QStringLiteral("Update Snapshot"), error);
        return;
    }
    statusBar()->showMessage(QStringLiteral("Snapshot written to ") + snapshotMarks_.path());
}

void NorqSQL::compareSnapshot_Click() {
    if (!snapshotMarks_.active()) {
        engine.ui->messageBox(QStringLiteral("Compare with Snapshot"),
                              QStringLiteral("This script has no snapshot: File > Update "
                                             "Snapshot writes one from the outputs shown, "
                                             "pavona --run SCRIPT --snapshot from a whole run."));
        return;
    }
    if (!showsRows()) return;
    snapshotMarks_.showBoth(this, CLP->row());
}

void NorqSQL::showSnapshotProblem(const QString &problem) {
    if (!problem.isEmpty()) statusBar()->showMessage(problem);
}
