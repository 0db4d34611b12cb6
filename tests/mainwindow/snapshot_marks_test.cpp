// A script's snapshot in the window: outputs that differ from it are marked, the two
// versions are shown side by side, and File > Update Snapshot merges the window's
// outcomes into the file.

#include "check/snapshot.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "tests/mainwindow/fixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>

namespace {

using SnapshotMarksTest = MainWindowTest;

const char *const kScript = "VALUES 1;\n"
                            "/**/\n"
                            "SELECT * FROM NO_SUCH_TABLE;\n"
                            "/**/\n"
                            "VALUES 'same';\n";

QString readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void replaceIn(const QString &path, const QString &from, const QString &to) {
    const QString text = readAll(path);
    ASSERT_TRUE(text.contains(from)) << text.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QString(text).replace(from, to).toUtf8());
}

struct Look {
    QString marker;
    QColor back;
    QString tip;
};

Look lookOf(Grid *grid, int row) {
    grid->setRow(row);
    grid->setCol(ScriptRow::textCol);
    const QAbstractItemModel *model = grid->model();
    QString tip;
    for (int r = 0; r < model->rowCount() && tip.isEmpty(); ++r)
        for (int c = 0; c < model->columnCount() && tip.isEmpty(); ++c)
            if (model->data(model->index(r, c)).toString() ==
                grid->textMatrix(row, ScriptRow::textCol))
                tip = model->data(model->index(r, c), Qt::ToolTipRole).toString();
    return {grid->textMatrix(row, ScriptRow::markerCol), grid->cellBackColor(), tip};
}

TEST_F(SnapshotMarksTest, OutputsThatDifferFromTheSnapshotAreMarkedAndUpdateMergesTheWindowsRuns) {
    const QString path = writeFile("marks.norq", kScript);
    const QString snapshotPath = snapshot::pathFor(path);
    QFile::remove(snapshotPath);
    window->setViewMode(ViewMode::script);
    ASSERT_TRUE(window->openScriptFile(path));
    EXPECT_FALSE(window->snapshotMarks().active());
    window->runAllRows();
    for (const int row : rowsOfKind(RowKind::sql)) // no snapshot: nothing marked
        EXPECT_NE(cell(row + 1, ScriptRow::markerCol), RowStyle::changedMarker);
    window->updateSnapshot_Click();
    const QString written = readAll(snapshotPath);
    EXPECT_TRUE(written.contains("\n## 3. VALUES 'same';\n")) << written.toStdString();
    EXPECT_TRUE(window->snapshotMarks().active());

    // The snapshot expects 9 where the run gets 1; the failure is the snapshot's too.
    replaceIn(snapshotPath, "```result\n1\n1\n```", "```result\n1\n9\n```");
    ASSERT_TRUE(window->openScriptFile(path));
    window->runAllRows();
    QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 3);
    const Look changed = lookOf(window->CLP, statements[0] + 1);
    EXPECT_EQ(changed.marker, RowStyle::changedMarker);
    EXPECT_EQ(changed.back, RowStyle::changedBackground);
    EXPECT_TRUE(changed.tip.startsWith("Differs from the snapshot:")) << changed.tip.toStdString();
    EXPECT_TRUE(changed.tip.contains("-9\n") && changed.tip.contains("+1\n"))
        << changed.tip.toStdString();
    EXPECT_EQ(lookOf(window->CLP, statements[1] + 1).marker, RowStyle::failureMarker);
    EXPECT_EQ(lookOf(window->CLP, statements[2] + 1).back, RowStyle::outputBackground);

    // Both versions side by side.
    QString shownSnapshot, shownRun;
    QTimer::singleShot(0, [&] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == "CompareSnapshot" && top->isVisible()) {
                shownSnapshot = top->findChild<QPlainTextEdit *>("SnapshotVersion")->toPlainText();
                shownRun = top->findChild<QPlainTextEdit *>("RunVersion")->toPlainText();
                top->close();
            }
    });
    window->CLP->setRow(statements[0] + 1);
    window->compareSnapshot_Click();
    EXPECT_TRUE(shownSnapshot.contains("```result\n1\n9\n```")) << shownSnapshot.toStdString();
    EXPECT_TRUE(shownRun.contains("```result\n1\n1\n```")) << shownRun.toStdString();
    // The mark survives a look at the text.
    window->modeText_Click();
    window->modeScript_Click();
    EXPECT_EQ(cell(rowsOfKind(RowKind::sql)[0] + 1, ScriptRow::markerCol), RowStyle::changedMarker);

    // Only the first statement runs before the update: the others keep their outcomes.
    ASSERT_TRUE(window->openScriptFile(path));
    window->currentRow = rowsOfKind(RowKind::sql)[0];
    window->runStatementRow();
    EXPECT_EQ(cell(rowsOfKind(RowKind::sql)[0] + 1, ScriptRow::markerCol), RowStyle::changedMarker);
    window->updateSnapshot_Click();
    EXPECT_NE(cell(rowsOfKind(RowKind::sql)[0] + 1, ScriptRow::markerCol), RowStyle::changedMarker);
    EXPECT_EQ(readAll(snapshotPath), written);
}

TEST_F(SnapshotMarksTest, ASnapshotOfAnotherScriptIsNotUsedAndTheStatusBarSaysWhy) {
    const QString path = writeFile("other.norq", "VALUES 1;\n");
    QFile snapshotFile(snapshot::pathFor(path));
    ASSERT_TRUE(snapshotFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    snapshotFile.write("<!-- pavona snapshot 1 of elsewhere.norq: pavona --run elsewhere.norq "
                       "--check --update rewrites it -->\n");
    snapshotFile.close();
    window->setViewMode(ViewMode::script);
    ASSERT_TRUE(window->openScriptFile(path));
    EXPECT_FALSE(window->snapshotMarks().active());
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("is of script 'elsewhere.norq'"))
        << window->statusBar()->currentMessage().toStdString();
    window->runAllRows();
    EXPECT_NE(cell(rowsOfKind(RowKind::sql)[0] + 1, ScriptRow::markerCol), RowStyle::changedMarker);
}

} // namespace
