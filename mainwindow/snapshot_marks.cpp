#include "mainwindow/snapshot_marks.h"

#include "check/compare.h"
#include "document/document_model.h"
#include "document/grid.h"
#include "document/row_model.h"
#include "document/script_pane.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

// A statement as its snapshot block reads, without the file's header line.
QString blockOf(const snapshot::Statement &statement) {
    const snapshot::Snapshot one{QString(), {statement}};
    QString text = QString::fromUtf8(snapshot::toText(one));
    return text.mid(text.indexOf(u'\n') + 1).trimmed();
}

QPlainTextEdit *textPane(const QString &text, const QString &name) {
    auto *pane = new QPlainTextEdit(text);
    pane->setObjectName(name);
    pane->setReadOnly(true);
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return pane;
}

} // namespace

QString SnapshotMarks::open(const QString &script) {
    snapshot_.clear();
    QString error;
    if (script.isEmpty() || snapshot_.load(script, &error)) return {};
    return error;
}

int SnapshotMarks::statementRowOf(int row) const {
    const Grid *grid = pane_.grid();
    while (row >= 0 && row < grid->rows() && traitsOf(rowKindAt(grid, row)).output)
        --row;
    if (row < 0 || row >= grid->rows() || rowKindAt(grid, row) != RowKind::sql) return -1;
    return row;
}

int SnapshotMarks::outputsEnd(int statementRow) const {
    const Grid *grid = pane_.grid();
    int end = statementRow + 1;
    while (end < grid->rows() && traitsOf(rowKindAt(grid, end)).output)
        ++end;
    return end;
}

int SnapshotMarks::sameTextAbove(int statementRow, const QString &written) const {
    const Grid *grid = pane_.grid();
    int count = 0;
    for (int r = 0; r < statementRow; ++r)
        if (rowKindAt(grid, r) == RowKind::sql &&
            snapshot::writtenOf(documentRowAt(grid, r)) == written)
            ++count;
    return count;
}

void SnapshotMarks::markOutputs(int statementRow) {
    if (!active() || statementRowOf(statementRow) != statementRow) return;
    const Grid *grid = pane_.grid();
    const int end = outputsEnd(statementRow);
    if (end == statementRow + 1) return;
    DocumentModel rows;
    for (int r = statementRow; r < end; ++r)
        rows.push_back(documentRowAt(grid, r));
    const snapshot::Statement got = snapshot::statementAt(rows, 0, snapshot::machineFolders());
    const snapshot::Statement *expected = snapshot_.expectedFor(
        got.written, [&] { return sameTextAbove(statementRow, got.written); });
    const QStringList changes =
        expected ? snapshot::statementChanges(*expected, got)
                 : QStringList{QStringLiteral("  the snapshot has no such statement")};
    if (changes.isEmpty()) return;
    for (int r = statementRow + 1; r < end; ++r)
        pane_.markChanged(r, changes);
}

void SnapshotMarks::showBoth(QWidget *parent, int row) const {
    const int statementRow = statementRowOf(row);
    if (!active() || statementRow < 0) return;
    const Grid *grid = pane_.grid();
    DocumentModel rows;
    for (int r = statementRow; r < outputsEnd(statementRow); ++r)
        rows.push_back(documentRowAt(grid, r));
    const bool ran = !rows.front().outcome.ran.isEmpty();
    const snapshot::Statement got = snapshot::statementAt(rows, 0, snapshot::machineFolders());
    const snapshot::Statement *expected = snapshot_.expectedFor(
        got.written, [&] { return sameTextAbove(statementRow, got.written); });

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("CompareSnapshot"));
    dialog.setWindowTitle(QStringLiteral("Compare with Snapshot"));
    auto *layout = new QGridLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Snapshot (%1)").arg(QFileInfo(path()).fileName())),
                      0, 0);
    layout->addWidget(new QLabel(QStringLiteral("This run")), 0, 1);
    layout->addWidget(textPane(expected ? blockOf(*expected)
                                        : QStringLiteral("(the snapshot has no such statement)"),
                               QStringLiteral("SnapshotVersion")),
                      1, 0);
    layout->addWidget(
        textPane(ran ? blockOf(got) : QStringLiteral("(the statement has not run in this window)"),
                 QStringLiteral("RunVersion")),
        1, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons, 2, 0, 1, 2);
    dialog.resize(900, 500);
    dialog.exec();
}

bool SnapshotMarks::update(const QString &script, QString *error) {
    if (script.isEmpty()) {
        *error = QStringLiteral("Save the script first: its snapshot is kept beside it.");
        return false;
    }
    // The file as it is now (a batch run may have rewritten it) keeps the outcomes of
    // the statements that did not run here; one that cannot be read is replaced, as the
    // user asked.
    QString unreadable;
    snapshot_.load(script, &unreadable);
    if (!snapshot_.write(documentFromGrid(pane_.grid()), script, error)) return false;
    // What now stands in the snapshot matches every output shown.
    const Grid *grid = pane_.grid();
    for (int r = 0; r < grid->rows(); ++r)
        if (!grid->rowData(r).value<RowOutcome>().changes.isEmpty()) pane_.markChanged(r, {});
    return true;
}
