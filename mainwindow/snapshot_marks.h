#pragma once
// The script's snapshot (SCRIPT.out.md) in the main window: each output a run places is
// compared with the snapshot's version of its statement and marked when it differs; the
// user sees both versions side by side, and File > Update Snapshot writes the window's
// outcomes into it. A script without a snapshot shows nothing of this.

#include "check/script_snapshot.h"

#include <QString>

class Grid;
class QWidget;
class ScriptPane;

class SnapshotMarks {
public:
    explicit SnapshotMarks(ScriptPane &pane) : pane_(pane) {}

    // The snapshot of the script just opened or saved under a new name; empty script:
    // none. A snapshot that cannot be read is not used; the reason is returned.
    QString open(const QString &script);
    bool active() const { return snapshot_.loaded(); }
    QString path() const { return snapshot_.path(); }

    // After a run placed the output of the statement on statementRow.
    void markOutputs(int statementRow);

    // The dialog with the snapshot's version of row's statement beside this run's.
    void showBoth(QWidget *parent, int row) const;

    // Writes the snapshot of script from the window's rows: false with a reason.
    bool update(const QString &script, QString *error);

private:
    int statementRowOf(int row) const;
    int outputsEnd(int statementRow) const;
    int sameTextAbove(int statementRow, const QString &written) const;

    ScriptPane &pane_;
    snapshot::ScriptSnapshot snapshot_;
};
