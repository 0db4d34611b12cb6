// Running statements from the script view: output rows, the result overlay, Run all,
// Reset Examples, links, the table of contents and heading levels.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/variables.h"
#include "document/grid.h"
#include "document/norqhelp.h"
#include "document/row_style.h"
#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "tests/mainwindow/fixture.h"
#include "windows/norq_sql_results.h"
#include "windows/plot.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

using RunRows = MainWindowTest;

TEST_F(RunRows, MarkerPressPlacesOneOutputRowAndASecondPressReplacesIt) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 4);
    const int first = statements[0];
    const int rowsBefore = window->CLP->rows();

    press(window->CLP, first, NorqSQL::markerCol);
    ASSERT_EQ(window->CLP->rows(), rowsBefore + 1);
    EXPECT_EQ(kindOf(first + 1), RowKind::result);
    EXPECT_TRUE(cell(first + 1, NorqSQL::textCol).contains("HAAS"));
    EXPECT_TRUE(cell(first + 1, NorqSQL::tagCol).contains("FROM EMPLOYEE"));
    // currentRow moves past the result row.
    EXPECT_EQ(window->currentRow, first + 2);

    press(window->CLP, first, NorqSQL::markerCol);
    EXPECT_EQ(window->CLP->rows(), rowsBefore + 1);
    EXPECT_EQ(kindOf(first + 1), RowKind::result);
    EXPECT_EQ(kindOf(first + 2), RowKind::heading);

    // A failing statement gets a message row, and a re-run rewrites it in place.
    const int failing = rowsOfKind(RowKind::sql)[2];
    press(window->CLP, failing, NorqSQL::markerCol);
    EXPECT_EQ(kindOf(failing + 1), RowKind::message);
    EXPECT_FALSE(cell(failing + 1, NorqSQL::textCol).trimmed().isEmpty());
    press(window->CLP, failing, NorqSQL::markerCol);
    EXPECT_EQ(rowsOfKind(RowKind::message).size(), 1);
}

TEST_F(RunRows, PressesOutsideTheMarkerOrInOtherViewsRunNothing) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int first = rowsOfKind(RowKind::sql)[0];
    press(window->CLP, first, NorqSQL::textCol);
    EXPECT_EQ(outputRowCount(), 0);
    // A statement row opened in the editor runs the editor's text.
    doublePress(window->CLP, first, NorqSQL::textCol);
    ASSERT_EQ(window->editRow, first);
    window->TextEdit->setPlainText("SELECT FIRSTNME\nFROM EMPLOYEE WHERE EMPNO = '000030';");
    press(window->CLP, first, NorqSQL::markerCol);
    EXPECT_EQ(cell(first, NorqSQL::sqlCol),
              "SELECT FIRSTNME\rFROM EMPLOYEE WHERE EMPNO = '000030';");
    EXPECT_TRUE(cell(first + 1, NorqSQL::textCol).contains("SALLY"));
}

TEST_F(RunRows, ResultRowOverlayShowsAndHides) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int first = rowsOfKind(RowKind::sql)[0];
    press(window->CLP, first, NorqSQL::markerCol);
    ASSERT_EQ(kindOf(first + 1), RowKind::result);

    press(window->CLP, first + 1, NorqSQL::markerCol);
    ASSERT_TRUE(window->DataValues->isVisible());
    // Header row plus every employee.
    EXPECT_EQ(window->DataValues->rows(), 5);
    EXPECT_EQ(window->editRow, first + 1);

    press(window->CLP, first + 1, NorqSQL::markerCol);
    EXPECT_FALSE(window->DataValues->isVisible());

    // A press elsewhere closes a shown overlay as well.
    press(window->CLP, first + 1, NorqSQL::markerCol);
    ASSERT_TRUE(window->DataValues->isVisible());
    press(window->CLP, 0, NorqSQL::textCol);
    EXPECT_FALSE(window->DataValues->isVisible());
}

TEST_F(RunRows, AnOpenTransactionStaysOpenAndInSight) {
    openScript(writeFile("work.sql", "CREATE TABLE TX_SIGHT (A INTEGER);\nBEGIN;\n"
                                     "INSERT INTO TX_SIGHT VALUES (1);\n"),
               ViewMode::script);
    window->runAllRows();
    EXPECT_TRUE(window->windowTitle().contains("transaction open"))
        << window->windowTitle().toStdString();
    openScript(writeFile("end.sql", "ROLLBACK;\nSELECT COUNT(*) FROM TX_SIGHT;\n"),
               ViewMode::script);
    window->runAllRows();
    EXPECT_FALSE(window->windowTitle().contains("transaction open"))
        << window->windowTitle().toStdString();
    EXPECT_EQ(engine.vars[var_find("RESULT")].value, "0"); // the row went with the ROLLBACK
    runScript("DROP TABLE TX_SIGHT", nullptr, nullptr);
}

TEST_F(RunRows, RunAllPlacesEveryOutputAndEndsAtTheTop) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    QList<NorqSQL::StatementRun> reports;
    const int statements =
        window->runAllRows([&](const NorqSQL::StatementRun &run) { reports.append(run); });
    EXPECT_EQ(statements, 4);
    ASSERT_EQ(reports.size(), 4);
    for (int n = 0; n < reports.size(); ++n) {
        EXPECT_EQ(reports[n].number, n + 1);
        EXPECT_EQ(reports[n].total, 4);
        EXPECT_GE(reports[n].seconds, 0.0);
    }
    EXPECT_TRUE(reports[0].summary.contains("SELECT LASTNAME")) << reports[0].summary.toStdString();
    EXPECT_TRUE(reports[2].summary.contains("NO_SUCH_TABLE")) << reports[2].summary.toStdString();
    for (int row : rowsOfKind(RowKind::sql)) {
        const RowKind output = kindOf(row + 1);
        EXPECT_TRUE(output == RowKind::result || output == RowKind::message) << row;
    }
    EXPECT_EQ(rowsOfKind(RowKind::result).size(), 3);
    EXPECT_EQ(rowsOfKind(RowKind::message).size(), 1);
    EXPECT_EQ(window->CLP->topRow(), 0);

    // Run all from the menu starts over: still one output per statement.
    window->runAll_Click();
    EXPECT_EQ(outputRowCount(), 4);
    EXPECT_EQ(window->CLP->topRow(), 0);
    // The view, held back during the run, has every row at its height afterwards.
    const QHeaderView *sides = window->CLP->verticalHeader();
    ASSERT_EQ(sides->count(), window->CLP->rows());
    for (int row = 0; row < window->CLP->rows(); ++row) {
        const int twips = window->CLP->rowHeight(row);
        EXPECT_EQ(sides->isSectionHidden(row), twips == 0) << row;
        if (twips > 0) {
            EXPECT_EQ(sides->sectionSize(row), twipsToPixels(twips)) << row;
        }
    }

    // Painting held back during the run comes back after it; a window that paints
    // nothing (pavona --run) is left so.
    ASSERT_TRUE(window->CLP->isVisible());
    EXPECT_TRUE(window->updatesEnabled());
    window->setUpdatesEnabled(false);
    window->runAll_Click();
    EXPECT_FALSE(window->updatesEnabled());
    EXPECT_EQ(outputRowCount(), 4);
    window->setUpdatesEnabled(true);
}

TEST_F(RunRows, TheRunningRowIsTheCurrentRowWhileItRuns) {
    openScript(writeFile("slow.sql", "SELECT 1 AS ONE;\nHOST sleep 0.6;\nSELECT 2 AS TWO;\n"),
               ViewMode::script);
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 3);
    int marked = -1;
    QTimer::singleShot(300, window.get(), [&] { marked = window->CLP->row(); });
    window->runAllRows();
    EXPECT_EQ(marked, rowsOfKind(RowKind::sql)[1]);
}

TEST_F(RunRows, RunAllRunsHiddenSectionsAndNothingInOtherViews) {
    const QString script = "/* {h1} Hidden */\n"
                           "\n"
                           "--## set up the table\n"
                           "CREATE TABLE HIDDEN_RUN (N INTEGER);\n"
                           "--##\n"
                           "SELECT COUNT(*) AS N FROM HIDDEN_RUN;\n";
    openScript(writeFile("hidden.norq", script), ViewMode::script);
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 1);
    ASSERT_FALSE(cell(statements[0], NorqSQL::textCol).contains("CREATE"));
    window->runAll_Click();
    // The query finds the table that the hidden section created.
    EXPECT_EQ(kindOf(statements[0] + 1), RowKind::result);
    EXPECT_TRUE(engine.msgText.contains("record")) << engine.msgText.toStdString();

    window->setViewMode(ViewMode::sql);
    const int panelRows = window->CLP->rows();
    window->runAll_Click();
    EXPECT_EQ(window->CLP->rows(), panelRows);
}

TEST_F(RunRows, ResetExamplesRemovesEveryOutputRow) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int rowsBefore = window->CLP->rows();
    window->runAllRows();
    ASSERT_GT(outputRowCount(), 0);
    window->mnuReset_Click();
    EXPECT_EQ(outputRowCount(), 0);
    EXPECT_EQ(window->CLP->rows(), rowsBefore);
    EXPECT_EQ(window->CLP->topRow(), 0);
}

TEST_F(RunRows, TableOfContentsLinksJumpToTheirHeadings) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const QList<int> headingsBefore = rowsOfKind(RowKind::heading);
    ASSERT_EQ(headingsBefore.size(), 4);
    window->doToc_Click();
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(kindOf(n), RowKind::heading) << n;
        EXPECT_EQ(cell(n, NorqSQL::tagCol), "0") << n;
        EXPECT_EQ(cell(n, NorqSQL::rawCol), QString::number(n)) << n;
    }
    EXPECT_EQ(cell(3, NorqSQL::textCol), "Mistakes");

    // The headings moved down by four rows and carry the anchors 1..4.
    const int third = headingsBefore[2] + 4;
    ASSERT_EQ(cell(third, NorqSQL::rawCol), "3");
    press(window->CLP, 3, NorqSQL::textCol);
    EXPECT_EQ(window->currentRow, third);
    EXPECT_EQ(window->CLP->row(), third);
    EXPECT_TRUE(window->CLP->isRowVisible(third));

    // A link to an anchor that names no heading does nothing.
    window->CLP->setTextMatrix(2, NorqSQL::rawCol, "NOWHERE");
    press(window->CLP, 2, NorqSQL::textCol);
    EXPECT_EQ(window->currentRow, 2);
    EXPECT_EQ(window->CLP->row(), 2);
}

TEST_F(RunRows, TableOfContentsWithoutHeadingsChangesNothing) {
    openScript(writeFile("plain.norq", "SELECT 1 FROM EMPLOYEE;\n"), ViewMode::script);
    const int rows = window->CLP->rows();
    window->doToc_Click();
    EXPECT_EQ(window->CLP->rows(), rows);
}

TEST_F(RunRows, HeadingLevelsCycleInEditView) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::edit);
    const int heading = rowsOfKind(RowKind::heading)[0];
    window->CLP->setTextMatrix(heading, NorqSQL::tagCol, "4");
    press(window->CLP, heading, NorqSQL::markerCol);
    EXPECT_EQ(cell(heading, NorqSQL::tagCol), "0");
    EXPECT_EQ(cell(heading, NorqSQL::markerCol), RowStyle::headingMarker(0));
    press(window->CLP, heading, NorqSQL::markerCol);
    EXPECT_EQ(cell(heading, NorqSQL::tagCol), "1");
    EXPECT_EQ(cell(heading, NorqSQL::markerCol), RowStyle::headingMarker(1));

    // In Script View the same press leaves the level alone.
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int shown = rowsOfKind(RowKind::heading)[0];
    press(window->CLP, shown, NorqSQL::markerCol);
    EXPECT_EQ(cell(shown, NorqSQL::tagCol), "1");
}

TEST_F(RunRows, MessageRowsOpenForReadingUnlessTheyAreCommandCompletions) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int failing = rowsOfKind(RowKind::sql)[2];
    press(window->CLP, failing, NorqSQL::markerCol);
    ASSERT_EQ(kindOf(failing + 1), RowKind::message);
    press(window->CLP, failing + 1, NorqSQL::markerCol);
    EXPECT_EQ(window->editRow, -2);
    EXPECT_TRUE(window->EditBox->isVisible());
    EXPECT_FALSE(window->TextEdit->toPlainText().isEmpty());

    window->CLP->setTextMatrix(failing + 1, NorqSQL::textCol, "Command completed.");
    press(window->CLP, 0, NorqSQL::textCol);
    press(window->CLP, failing + 1, NorqSQL::markerCol);
    EXPECT_EQ(window->editRow, -1);
    EXPECT_FALSE(window->EditBox->isVisible());
}

TEST_F(RunRows, DetachedResultsGoToTheResultsWindow) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int first = rowsOfKind(RowKind::sql)[0];
    press(window->CLP, first, NorqSQL::markerCol);
    window->mnuDetach_Click();
    ASSERT_TRUE(engine.detached);
    press(window->CLP, first + 1, NorqSQL::markerCol);
    EXPECT_FALSE(window->DataValues->isVisible());
    NorqSQLResults *results = NorqSQLResults::shared();
    EXPECT_TRUE(results->isVisible());
    EXPECT_EQ(results->DataValues->rows(), 5);
    results->hide();
    window->mnuDetach_Click();
    EXPECT_FALSE(engine.detached);
}

TEST_F(RunRows, XmlCellsOfTheOverlayOpenAsATree) {
    const QString script = "/* {h1} Documents */\n"
                           "SELECT '<doc><item>one</item></doc>' AS X, '<html>page</html>' AS H\n"
                           "  FROM DEPARTMENT;\n";
    openScript(writeFile("xml.norq", script), ViewMode::script);
    const int statement = rowsOfKind(RowKind::sql)[0];
    press(window->CLP, statement, NorqSQL::markerCol);
    press(window->CLP, statement + 1, NorqSQL::markerCol);
    ASSERT_TRUE(window->DataValues->isVisible());
    ASSERT_GT(window->DataValues->rows(), 1);

    press(window->DataValues, 1, 1);
    EXPECT_FALSE(window->XMLView->isVisible());
    press(window->DataValues, 1, 0);
    ASSERT_TRUE(window->XMLView->isVisible());
    EXPECT_GT(window->XMLView->topLevelItemCount(), 0);
    EXPECT_TRUE(window->XMLView->isHeaderHidden()); // no stray column header

    // Escape hides the tree first; the overlay stays.
    window->Form_KeyPress(27);
    EXPECT_FALSE(window->XMLView->isVisible());
    EXPECT_TRUE(window->DataValues->isVisible());
}

TEST_F(RunRows, EachWheelNotchScrollsTheScriptByOneRow) {
    QString script;
    for (int n = 1; n <= 40; ++n)
        script += QString("/* Step %1 */\nVALUES %1;\n").arg(n);
    openScript(writeFile("long.norq", script), ViewMode::script);
    window->CLP->setTopRow(5);
    const QPoint inside = window->CLP->viewport()->rect().center();
    const auto wheel = [&](int delta, int sideways = 0) {
        QWheelEvent event(inside, window->CLP->viewport()->mapToGlobal(inside), QPoint(),
                          QPoint(sideways, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(window->CLP->viewport(), &event);
    };
    wheel(-120);
    EXPECT_EQ(window->CLP->topRow(), 6);
    wheel(120);
    wheel(120);
    EXPECT_EQ(window->CLP->topRow(), 4);
    wheel(-360); // a fast turn: three notches at once
    EXPECT_EQ(window->CLP->topRow(), 7);
    // A horizontal wheel or tilt is no turn down.
    wheel(0, 120);
    wheel(0, -120);
    EXPECT_EQ(window->CLP->topRow(), 7);
    // A touchpad's small steps add up to one row per notch.
    for (int step = 0; step < 7; ++step)
        wheel(-15);
    EXPECT_EQ(window->CLP->topRow(), 7);
    wheel(-15);
    EXPECT_EQ(window->CLP->topRow(), 8);
}

TEST_F(RunRows, EscapeCommitsAndClosesTheCellEditor) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::edit);
    const int statement = rowsOfKind(RowKind::sql)[3];
    doublePress(window->CLP, statement, NorqSQL::textCol);
    ASSERT_EQ(window->editRow, statement);
    window->TextEdit->setPlainText("SELECT MAX(SALARY) FROM EMPLOYEE;");
    window->Form_KeyPress(27);
    EXPECT_EQ(window->editRow, -1);
    EXPECT_FALSE(window->EditBox->isVisible());
    EXPECT_EQ(cell(statement, NorqSQL::sqlCol), "SELECT MAX(SALARY) FROM EMPLOYEE;");

    // A message shown for reading does not leave the SQL entry box read-only.
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int failing = rowsOfKind(RowKind::sql)[2];
    press(window->CLP, failing, NorqSQL::markerCol);
    press(window->CLP, failing + 1, NorqSQL::markerCol);
    ASSERT_TRUE(window->TextEdit->isReadOnly());
    window->setViewMode(ViewMode::sql);
    EXPECT_FALSE(window->TextEdit->isReadOnly());
}

TEST_F(RunRows, HelpEntriesAndHelpLinksOpenTheHelpViewer) {
    engine.helpFolder = PAVONA_SOURCE_DIR "/help";
    window->help_Click("helpSQLSupport");
    NorqHelp *help = NorqHelp::shared();
    ASSERT_TRUE(help->isVisible());
    EXPECT_GT(help->CLP->rows(), 1);
    help->hide();

    // Link anchors are kept upper-cased; the file is found in the case it has on disk.
    const QString script = "/* {h0:norq-help-about.norq} About the program */\n"
                           "SELECT 1 FROM EMPLOYEE;\n";
    openScript(writeFile("links.norq", script), ViewMode::script);
    ASSERT_EQ(kindOf(0), RowKind::heading);
    ASSERT_EQ(cell(0, NorqSQL::tagCol), "0");
    press(window->CLP, 0, NorqSQL::textCol);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->title().isEmpty());
    help->hide();
}

TEST_F(RunRows, APlotBecomesAChartRowHoldingThePicture) {
    registerPlotCommand();
    const QString script = "/* {h1} Chart */\n"
                           "PLOT TITLE 'Pay' X1 10 X2 20 L1 'Low' L2 'High';\n";
    openScript(writeFile("plot.norq", script), ViewMode::script);
    const int statement = rowsOfKind(RowKind::sql)[0];
    press(window->CLP, statement, NorqSQL::markerCol);
    ASSERT_EQ(kindOf(statement + 1), RowKind::chart);
    window->CLP->setRow(statement + 1);
    window->CLP->setCol(NorqSQL::textCol);
    EXPECT_FALSE(window->CLP->cellPicture().isNull());
    // A second run rewrites the chart row rather than adding one.
    press(window->CLP, statement, NorqSQL::markerCol);
    EXPECT_EQ(rowsOfKind(RowKind::chart).size(), 1);
}

TEST_F(RunRows, ClosingDuringARunWaitsForItAndStopsRunAll) {
    const QString script = "/* {h1} Slow */\n"
                           "CMD sleep 30\n"
                           "/* then */\n"
                           "SELECT COUNT(*) FROM EMPLOYEE;\n";
    openScript(writeFile("slow.norq", script), ViewMode::script);
    bool closedDuringRun = true;
    // Closed once the command runs, however long a loaded machine takes to start it; the
    // close ends the command.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, window.get(), [&] {
        if (runDepth() == 0) return;
        closer.stop();
        closedDuringRun = window->close();
    });
    closer.start(20);
    window->runAllRows();
    // The close was refused while the statement ran, and the next row was not run.
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(window->isVisible());
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 2);
    EXPECT_NE(kindOf(statements[1] + 1), RowKind::result);
    EXPECT_TRUE(engine.connected);
    // Dropping the window here also drops its pending close, which would end the session.
    window.reset();
}

TEST_F(RunRows, APressDuringARunPlacesOnlyItsOwnOutput) {
    const QString script = "/* {h1} Slow */\n"
                           "SELECT LASTNAME FROM EMPLOYEE;\n"
                           "/* then */\n"
                           "CMD sleep 1\n";
    openScript(writeFile("slow.norq", script), ViewMode::script);
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 2);
    const int query = statements[0];
    const int slow = statements[1];
    // While the slow command runs, the user runs the query above it.
    QTimer::singleShot(300, window.get(), [&] { press(window->CLP, query, NorqSQL::markerCol); });
    press(window->CLP, slow, NorqSQL::markerCol);
    ASSERT_EQ(kindOf(query + 1), RowKind::result);
    EXPECT_TRUE(cell(query + 1, NorqSQL::textCol).contains("HAAS"));
    // The query's result is not copied under the command that was interrupted.
    EXPECT_EQ(rowsOfKind(RowKind::result).size(), 1);
    EXPECT_EQ(kindOf(slow + 1), RowKind::sql);
}

TEST_F(RunRows, StopAndEscapeEndARunningStatementAndRunAll) {
    const QString script = "/* {h1} Slow */\n"
                           "CMD sleep 30\n"
                           "/* then */\n"
                           "SELECT COUNT(*) FROM EMPLOYEE;\n";
    openScript(writeFile("slow.norq", script), ViewMode::script);
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 2);
    QAction *stop = window->menuEntry("mnuStop");
    ASSERT_NE(stop, nullptr);
    QTimer::singleShot(300, window.get(), [stop] { stop->trigger(); });
    window->runAll_Click();
    ASSERT_EQ(kindOf(statements[0] + 1), RowKind::message);
    EXPECT_EQ(cell(statements[0] + 1, NorqSQL::textCol), "Stopped by the user.");
    EXPECT_NE(kindOf(statements[0] + 2), RowKind::result); // Run all went no further
    EXPECT_FALSE(engine.busy);

    // Escape stops a marker press, and the toolbar's Stop a run of the next row.
    QTimer::singleShot(300, window.get(), [this] { window->Form_KeyPress(27); });
    press(window->CLP, statements[0], NorqSQL::markerCol);
    EXPECT_EQ(cell(statements[0] + 1, NorqSQL::textCol), "Stopped by the user.");
    auto *toolbarStop = window->TB->findChild<QAction *>("stop");
    ASSERT_NE(toolbarStop, nullptr);
    QTimer::singleShot(300, window.get(), [toolbarStop] { toolbarStop->trigger(); });
    press(window->CLP, statements[0], NorqSQL::markerCol);
    EXPECT_EQ(cell(statements[0] + 1, NorqSQL::textCol), "Stopped by the user.");

    // With nothing running, the next press runs as usual.
    window->Form_KeyPress(27);
    const int query = rowsOfKind(RowKind::sql)[1];
    press(window->CLP, query, NorqSQL::markerCol);
    EXPECT_EQ(kindOf(query + 1), RowKind::result);

    // A statement the database works on for ever lets the Stop in too.
    openScript(writeFile("runaway.norq",
                         "/* {h1} Runaway */\n"
                         "WITH RECURSIVE C(X) AS (VALUES (1) UNION ALL SELECT X + 1 FROM C)\n"
                         "  SELECT COUNT(*) FROM C;\n"),
               ViewMode::script);
    const int runaway = rowsOfKind(RowKind::sql).constFirst();
    QTimer::singleShot(300, window.get(), [this] { window->Form_KeyPress(27); });
    press(window->CLP, runaway, NorqSQL::markerCol);
    EXPECT_EQ(cell(runaway + 1, NorqSQL::textCol), "Stopped by the user.");
}

// The help viewer renders a page as the main window's Script View renders a script.
TEST_F(RunRows, TheHelpViewerLaysOutAScriptAsTheScriptViewDoes) {
    const QString path = writeFile("page.norq", QString(kTestScript) + "/*\n- " +
                                                    QString("word ").repeated(80) + "\n*/\n");
    openScript(path, ViewMode::script);
    NorqHelp help;
    // The viewer's grid is 110 twips in from either side of its window: the grids match.
    help.resize(window->CLP->width() + 2 * twipsToPixels(110), window->CLP->height());
    help.setHelpMode();
    help.fileToMemory(path);
    help.memoryToScript();
    Grid *mine = window->CLP;
    ASSERT_EQ(help.CLP->width(), mine->width());
    EXPECT_EQ(help.wrapWidth(), engine.textLineWidth);
    ASSERT_EQ(help.CLP->rows(), mine->rows());
    for (int row = 0; row < mine->rows(); ++row) {
        EXPECT_EQ(help.CLP->textMatrix(row, NorqSQL::kindCol), cell(row, NorqSQL::kindCol)) << row;
        EXPECT_EQ(help.CLP->textMatrix(row, NorqSQL::textCol), cell(row, NorqSQL::textCol)) << row;
        EXPECT_EQ(help.CLP->rowHeight(row), mine->rowHeight(row)) << row;
    }
    EXPECT_EQ(help.CLP->colWidth(NorqSQL::textCol), mine->colWidth(NorqSQL::textCol));
}

// Both windows' runs wait on one engine state: a press in the help viewer while the main
// window waits for a command places its output in the viewer only.
TEST_F(RunRows, AHelpPressDuringARunLeavesTheMainWindowsRowsAlone) {
    const QString page = writeFile("help-page.norq", "/* {h1} Help */\n"
                                                     "SELECT LASTNAME FROM EMPLOYEE;\n");
    NorqHelp help;
    help.setHelpMode();
    help.fileToMemory(page);
    help.memoryToScript();
    const int query = 1;
    ASSERT_EQ(rowKindAt(help.CLP, query), RowKind::sql);

    openScript(writeFile("slow.norq", "/* {h1} Slow */\nCMD sleep 1\n"), ViewMode::script);
    const int slow = rowsOfKind(RowKind::sql).at(0);
    // The viewer's press comes once the command runs, however long it takes to start.
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, window.get(), [&] {
        if (runDepth() == 0) return;
        presser.stop();
        help.CLP_MouseDown(Qt::LeftButton, query, NorqSQL::markerCol);
    });
    presser.start(20);
    press(window->CLP, slow, NorqSQL::markerCol);
    ASSERT_EQ(rowKindAt(help.CLP, query + 1), RowKind::result);
    EXPECT_TRUE(help.CLP->textMatrix(query + 1, NorqSQL::textCol).contains("HAAS"));
    EXPECT_EQ(outputRowCount(), 0);
}

TEST_F(RunRows, RunAllAfterAStopRunsEveryStatementAgain) {
    openScript(writeFile("again.norq", kTestScript), ViewMode::script);
    window->runAllRows();
    ASSERT_EQ(outputRowCount(), 4);
    // Stop (or Escape) pressed at the end of the last run leaves its request behind.
    run_control::requestStop(QStringLiteral("Stopped by the user."));
    window->runAll_Click();
    EXPECT_EQ(outputRowCount(), 4);
    EXPECT_FALSE(run_control::stopRequested());
}

TEST_F(RunRows, AScriptThatStartsProgramsShowsThemAndRunsOnlyOnceTheUserAgrees) {
    const QString script = "/* {h1} Report */\n"
                           "--## formats\n"
                           "CMD touch started.txt\n"
                           "--##\n"
                           "SELECT COUNT(*) FROM EMPLOYEE;\n"
                           "/* then */\n"
                           "NORQSET -all\n";
    QStringList asked;
    bool answer = false;
    window->AskChildPrograms = [&](const QString &name, const QStringList &commands) {
        asked << name + ": " + commands.join(", ");
        return answer;
    };
    openScript(writeFile("trap.norq", script), ViewMode::script);
    const int row = rowsOfKind(RowKind::sql)[0];
    // The row shows what it would start, not only the query.
    EXPECT_TRUE(cell(row, NorqSQL::textCol).contains("CMD touch started.txt"));

    press(window->CLP, row, NorqSQL::markerCol);
    EXPECT_EQ(asked, QStringList{"trap.norq: CMD, NORQSET"});
    EXPECT_FALSE(QFile::exists("started.txt"));
    EXPECT_EQ(outputRowCount(), 0);
    window->runAll_Click();
    EXPECT_EQ(asked.size(), 2); // a cancel is asked again
    EXPECT_EQ(outputRowCount(), 0);

    answer = true;
    press(window->CLP, row, NorqSQL::markerCol);
    EXPECT_EQ(asked.size(), 3);
    EXPECT_EQ(outputRowCount(), 1);
    ASSERT_TRUE(QFile::remove("started.txt"));
    // Once agreed, the file runs unasked for the session.
    window->runAll_Click();
    EXPECT_EQ(asked.size(), 3);
    EXPECT_TRUE(QFile::exists("started.txt"));
}
