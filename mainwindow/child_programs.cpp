// A script from elsewhere may start programs on this machine (HOST, NORQ, ...), even from
// a row that shows only a SELECT: before it first does, the user is asked.

#include "document/grid.h"
#include "document/row_model.h"
#include "engine/runners.h"
#include "mainwindow/norqsql.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

namespace {

bool askChildProgramsBox(QWidget *parent, const QString &scriptName, const QStringList &commands) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pavona"),
                    QStringLiteral("%1 starts other programs on this computer.").arg(scriptName),
                    QMessageBox::Cancel, parent);
    box.setInformativeText(
        QStringLiteral("It holds %1. Run it only if you trust where it came from.")
            .arg(commands.join(QStringLiteral(", "))));
    QPushButton *run = box.addButton(QStringLiteral("Run"), QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == run;
}

} // namespace

bool NorqSQL::mayStartChildPrograms(const QString &pending) {
    if (childProgramsAllowed_.contains(currentFile)) return true;
    QStringList commands = childProgramStatements(pending);
    for (int row = 0; row < CLP->rows(); ++row)
        if (rowKindAt(CLP, row) == RowKind::sql)
            commands << childProgramStatements(removeComments(CLP->textMatrix(row, sqlCol)));
    commands.removeDuplicates();
    if (commands.isEmpty()) return true;
    const QString name =
        currentFile.isEmpty() ? QStringLiteral("This script") : QFileInfo(currentFile).fileName();
    const bool run = AskChildPrograms ? AskChildPrograms(name, commands)
                                      : askChildProgramsBox(this, name, commands);
    if (run)
        childProgramsAllowed_ << currentFile;
    else
        statusBar()->showMessage(QStringLiteral("Not run: %1 were not allowed to start.")
                                     .arg(commands.join(QStringLiteral(", "))));
    return run;
}
