// The document model: a query's result kept as data, the text each statement ran with,
// and the same outcomes from the window's Run all and from a run without a window.

#include "core/engine_state.h"
#include "database/result_set.h"
#include "document/document_model.h"
#include "document/document_run.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "document/script_lines.h"
#include "engine/dispatcher.h"
#include "tests/mainwindow/fixture.h"

#include <QAbstractItemModel>
#include <QStatusBar>

namespace {

using DocumentModelTest = MainWindowTest;

const char *const kVariableScript = "DEFINE X 1;\n"
                                    "SELECT '&X' AS X, CAST(NULL AS VARCHAR(5)) AS N,\n"
                                    "  '' AS E, 'Billing platform rewrite for the northern "
                                    "region' AS TITLE, 'two' || CHAR(10) || CHAR(10) || "
                                    "'lines' AS L;\n"
                                    "DEFINE X 2;\n"
                                    "SELECT NO_SUCH_COLUMN FROM NO_SUCH_TABLE;\n";

const DocumentRow *firstOfKind(const DocumentModel &document, RowKind kind) {
    for (const DocumentRow &row : document)
        if (row.kind == kind) return &row;
    return nullptr;
}

// What both runs must agree on, checked on either.
void expectOutcomes(const DocumentModel &document) {
    std::vector<const DocumentRow *> statements;
    for (const DocumentRow &row : document)
        if (row.kind == RowKind::sql) statements.push_back(&row);
    ASSERT_EQ(statements.size(), 4u);
    // The SELECT shows the value X had when it ran, not the one the run ended with.
    EXPECT_TRUE(statements[1]->outcome.ran.startsWith("SELECT '1' AS X"))
        << statements[1]->outcome.ran.toStdString();
    EXPECT_TRUE(statements[1]->text.contains("'&X'"));
    EXPECT_EQ(statements[3]->outcome.number, 4);

    const DocumentRow *result = firstOfKind(document, RowKind::result);
    ASSERT_TRUE(result && result->outcome.result);
    const ResultSet &set = *result->outcome.result;
    ASSERT_EQ(set.columns.size(), 5u);
    EXPECT_EQ(set.columns[3].name, "TITLE");
    ASSERT_EQ(set.rows.size(), 1u);
    const auto &values = set.rows[0];
    EXPECT_EQ(values[0], QString("1"));
    EXPECT_FALSE(values[1].has_value()); // NULL
    EXPECT_EQ(values[2], QString(""));   // an empty text is not NULL
    EXPECT_EQ(values[3], QString("Billing platform rewrite for the northern region"));
    EXPECT_EQ(values[4], QString("two\n\nlines"));
    EXPECT_FALSE(set.more);
    // The fixed-width text still cuts the title at its column; the data keeps it whole.
    EXPECT_FALSE(result->text.contains("northern"));
    EXPECT_TRUE(result->outcome.trailer.contains("1 record(s) selected."))
        << result->outcome.trailer.toStdString();

    const DocumentRow *failure = nullptr;
    for (const DocumentRow &row : document)
        if (row.kind == RowKind::message && row.outcome.failed()) failure = &row;
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->text.contains("NO_SUCH")) << failure->text.toStdString();
}

} // namespace

TEST_F(DocumentModelTest, RunAllInTheWindowAndWithoutOneLeaveTheSameOutcomes) {
    const QString path = writeFile("vars.sql", kVariableScript);
    openScript(path, ViewMode::script);
    window->runAllRows();
    const DocumentModel shown = documentFromGrid(window->CLP);
    expectOutcomes(shown);

    ScriptLines lines;
    ASSERT_TRUE(lines.readFile(path));
    DocumentModel alone = documentFromLines(lines);
    EXPECT_EQ(runDocument(alone, {}), 4);
    expectOutcomes(alone);
    ASSERT_EQ(alone.size(), shown.size());
    for (size_t r = 0; r < alone.size(); ++r) {
        EXPECT_EQ(alone[r].kind, shown[r].kind) << r;
        EXPECT_EQ(alone[r].outcome.ran, shown[r].outcome.ran) << r;
    }

    // Reset Examples forgets how the statements ran along with their outputs.
    window->mnuReset_Click();
    for (const DocumentRow &row : documentFromGrid(window->CLP))
        EXPECT_TRUE(row.outcome.ran.isEmpty());
}

TEST_F(DocumentModelTest, AResultCutByTheDisplayLimitSaysSoAndAStatementRunsItsOwnValues) {
    engine.maxDisplay = 3;
    runScript("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 5) "
              "SELECT I FROM N",
              nullptr, nullptr);
    ASSERT_TRUE(engine.lastResult);
    EXPECT_EQ(engine.lastResult->rows.size(), 3u);
    EXPECT_TRUE(engine.lastResult->more);
    EXPECT_TRUE(engine.lastResult->isNumeric(0));
    engine.maxDisplay = 10;

    // A statement after a query leaves no result of its own behind.
    runScript("DEFINE Y 3", nullptr, nullptr);
    EXPECT_FALSE(engine.lastResult);

    // Two statements in one row: each keeps the values of its own moment.
    runScript("DEFINE Y 4;\nSELECT '&Y' AS Y", nullptr, nullptr);
    EXPECT_EQ(textAsRan("DEFINE Y 4;\nSELECT '&Y' AS Y"), "DEFINE Y 4;\nSELECT '4' AS Y");
}

TEST_F(DocumentModelTest, AStatementThatRanWithValuesFilledInShowsThemInItsToolTip) {
    openScript(writeFile("tip.sql", kVariableScript), ViewMode::script);
    window->runAllRows();
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 4);
    const auto tipOf = [&](int row) {
        const QAbstractItemModel *model = window->CLP->model();
        for (int r = 0; r < model->rowCount(); ++r)
            for (int c = 0; c < model->columnCount(); ++c) {
                const QModelIndex at = model->index(r, c);
                if (model->data(at).toString() == cell(row, ScriptRow::textCol))
                    return model->data(at, Qt::ToolTipRole).toString();
            }
        return QString("<no cell>");
    };
    EXPECT_TRUE(tipOf(statements[1]).contains("SELECT '1' AS X"))
        << tipOf(statements[1]).toStdString();
    EXPECT_TRUE(tipOf(statements[0]).isEmpty()); // nothing to fill in: no tip
    window->mnuReset_Click();
    EXPECT_TRUE(tipOf(rowsOfKind(RowKind::sql)[1]).isEmpty());
}

TEST_F(DocumentModelTest, TheOutputOfAFailedStatementLooksLikeAFailureUntilItSucceeds) {
    const QString path = writeFile("fails.sql", "SELECT * FROM MISSING_TABLE;\nVALUES 1;\n");
    openScript(path, ViewMode::script);
    window->runAllRows();
    const auto look = [&](int row) {
        Grid *grid = window->CLP;
        grid->setRow(row);
        grid->setCol(ScriptRow::textCol);
        const QColor back = grid->cellBackColor();
        return std::make_pair(grid->textMatrix(row, ScriptRow::markerCol), back);
    };
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 2);
    const auto failed = look(statements[0] + 1);
    const auto fine = look(statements[1] + 1);
    EXPECT_EQ(failed.first, RowStyle::failureMarker);
    EXPECT_EQ(failed.second, RowStyle::failureBackground);
    EXPECT_NE(fine.first, RowStyle::failureMarker);
    EXPECT_EQ(fine.second, RowStyle::outputBackground);

    // F8 goes to the failure from anywhere, round past the end; the run's summary stays.
    window->CLP->setRow(statements[1]);
    window->nextFailure_Click();
    EXPECT_EQ(window->CLP->row(), statements[0] + 1);
    EXPECT_EQ(window->statusBar()->currentMessage().section(',', 0, 1), "2 statements, 1 failed");

    // Once the table is there, the same row's output is a success again.
    runScript("CREATE TABLE MISSING_TABLE (A INTEGER)", nullptr, nullptr);
    window->runAllRows();
    const auto mended = look(rowsOfKind(RowKind::sql)[0] + 1);
    EXPECT_NE(mended.first, RowStyle::failureMarker);
    EXPECT_EQ(mended.second, RowStyle::outputBackground);
    runScript("DROP TABLE MISSING_TABLE", nullptr, nullptr);
}
