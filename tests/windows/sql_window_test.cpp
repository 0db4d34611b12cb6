#include "core/engine_state.h"
#include "database/session.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "grid_clicks.h"
#include "test_support.h"
#include "windows/norq_sql_window.h"
#include "windows/toolbar_icons.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

class SqlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testWindows();
        window = new NorqSQLWindow;
        window->resize(900, 600);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override { delete window; }

    void run(const QString &text) {
        window->TextEdit->setPlainText(text);
        window->TB_ButtonClick("run");
    }

    static void connectToStaff() {
        useEmptyCatalog();
        createDatabase("STAFF", {"CREATE TABLE PEOPLE (ID INTEGER, NAME VARCHAR(20), "
                                 "DOC VARCHAR(100))",
                                 "INSERT INTO PEOPLE VALUES (2, 'Bea', '<a><b>x</b><c/></a>')",
                                 "INSERT INTO PEOPLE VALUES (1, 'Al', '<HTML><p>page</p></HTML>')",
                                 "INSERT INTO PEOPLE VALUES (3, 'Cy', 'plain')"});
        QString database = "STAFF", user, password;
        ASSERT_EQ(Norq_connect(engine, database, user, password), 0)
            << engine.msgText.toStdString();
    }

    QStringList column(int col) const {
        QStringList values;
        for (int row = 1; row < window->DataValues->rows(); ++row)
            values << window->DataValues->textMatrix(row, col).trimmed();
        return values;
    }

    NorqSQLWindow *window = nullptr;
};

} // namespace

TEST_F(SqlWindowTest, RunFillsTheGridAndShowsTheMessage) {
    connectToStaff();
    run("SELECT ID, NAME, DOC\r\nFROM PEOPLE ORDER BY ID");
    EXPECT_TRUE(engine.gridMode);
    EXPECT_TRUE(window->DataValues->isVisible());
    EXPECT_FALSE(window->ExtendedMsg->isVisible());
    ASSERT_EQ(window->DataValues->rows(), 4);
    EXPECT_EQ(column(2), QStringList({"Al", "Bea", "Cy"}));
    EXPECT_TRUE(window->NorqMSG->text().startsWith("3 record(s) selected."))
        << window->NorqMSG->text().toStdString();

    // The count message is explained by showing it whole; a completed command is not.
    window->NorqMSG_Click();
    EXPECT_TRUE(window->ExtendedMsg->isVisible());
    EXPECT_EQ(window->ExtendedMsg->toPlainText(), window->NorqMSG->text());
    window->escapeKey();
    window->NorqMSG->setText("Command completed.");
    window->NorqMSG_Click();
    EXPECT_FALSE(window->ExtendedMsg->isVisible());
}

TEST_F(SqlWindowTest, AFailedStatementsMessageLooksLikeAFailure) {
    connectToStaff();
    const auto background = [&] {
        return window->NorqMSG->autoFillBackground()
                   ? window->NorqMSG->palette().color(QPalette::Window)
                   : QColor();
    };
    run("SELECT * FROM NO_SUCH_TABLE");
    EXPECT_EQ(background(), RowStyle::failureBackground);
    ASSERT_TRUE(window->failureMark()->isVisible());
    EXPECT_EQ(window->failureMark()->text(), RowStyle::failureMarker);
    EXPECT_EQ(window->failureMark()->palette().color(QPalette::WindowText),
              RowStyle::failureMarkerColour);
    run("SELECT COUNT(*) FROM PEOPLE");
    EXPECT_FALSE(background().isValid());
    EXPECT_FALSE(window->failureMark()->isVisible());
}

TEST_F(SqlWindowTest, AnOpenTransactionShowsInTheCaption) {
    connectToStaff();
    run("BEGIN;\r\nINSERT INTO PEOPLE VALUES (4, 'Di', 'x');");
    EXPECT_TRUE(window->windowTitle().contains("transaction open"))
        << window->windowTitle().toStdString();
    run("ROLLBACK");
    EXPECT_EQ(window->windowTitle(), "SQL Window");
    run("SELECT COUNT(*) FROM PEOPLE");
    EXPECT_EQ(column(1), QStringList({"3"}));
}

TEST_F(SqlWindowTest, TextOutputCoversTheGridUntilEscape) {
    run("TEST a 'b c'");
    ASSERT_TRUE(window->ExtendedMsg->isVisible());
    EXPECT_FALSE(window->DataValues->isVisible());
    EXPECT_EQ(window->ExtendedMsg->geometry(), window->DataValues->geometry());
    EXPECT_TRUE(window->ExtendedMsg->toPlainText().contains("Parameter Count=2\nParm(1)=a"));

    QTest::keyClick(window->ExtendedMsg, Qt::Key_Escape);
    EXPECT_FALSE(window->ExtendedMsg->isVisible());
    EXPECT_TRUE(window->DataValues->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), window->TextEdit);
}

TEST_F(SqlWindowTest, HistoryKeepsTheLastFiveRuns) {
    run("   ");
    EXPECT_EQ(window->historyPosition(), 0) << "a blank text is not run";
    for (int n = 1; n <= 6; ++n)
        run(QString("TEST %1").arg(n));
    QStringList recalled;
    for (int n = 0; n < 5; ++n) {
        window->TB_ButtonClick("recycle");
        recalled << window->TextEdit->toPlainText();
    }
    EXPECT_EQ(recalled, QStringList({"TEST 5", "TEST 4", "TEST 3", "TEST 2", "TEST 6"}));

    // A new window has its own, empty history.
    window->TB_ButtonClick("newsql");
    std::unique_ptr<NorqSQLWindow> second(window->lastOpened());
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->isVisible());
    second->TextEdit->setPlainText("typed");
    second->TB_ButtonClick("recycle");
    EXPECT_EQ(second->TextEdit->toPlainText(), "");
    EXPECT_EQ(second->historyPosition(), 5);
}

TEST_F(SqlWindowTest, ToolbarEditsAndFontSizes) {
    const QStringList keys = {"run", "trash", "recycle", "paste", "fontsize", "newsql", "info"};
    QStringList tips;
    for (const QString &key : keys) {
        auto *action = window->TB->findChild<QAction *>(key);
        ASSERT_TRUE(action) << key.toStdString();
        tips << action->toolTip();
        // Without an icon theme the buttons show the program's own pictures.
        EXPECT_EQ(action->icon().pixmap(20, 20).toImage(),
                  toolbarIcon(key).pixmap(20, 20).toImage())
            << key.toStdString();
        EXPECT_FALSE(toolbarIcon(key).pixmap(20, 20).isNull()) << key.toStdString();
    }
    EXPECT_EQ(tips, QStringList({"Run query", "Clear SQL", "Show previous command", "Paste", "",
                                 "Open new SQL window", "Help"}));

    window->TextEdit->setPlainText("old");
    engine.ui->setClipboardText("VALUES 1");
    window->TB_ButtonClick("paste");
    EXPECT_EQ(window->TextEdit->toPlainText(), "VALUES 1");
    window->TB_ButtonClick("trash");
    EXPECT_EQ(window->TextEdit->toPlainText(), "");

    QList<int> sizes;
    for (int n = 0; n < 7; ++n) {
        window->TB_ButtonClick("fontsize");
        sizes << window->editorFontSize();
    }
    EXPECT_EQ(sizes, QList<int>({9, 10, 11, 12, 13, 14, 8}));
    // At every size the grid's rows are as high as its font's lines.
    connectToStaff();
    for (int n = 0; n < 6; ++n)
        window->TB_ButtonClick("fontsize");
    // Ctrl+Enter runs the editor's text.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    window->TextEdit->setPlainText("SELECT NAME FROM PEOPLE");
    QTest::keyClick(window->TextEdit, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(window->DataValues->rows(), 4);
    EXPECT_GE(window->DataValues->QTableView::rowHeight(0),
              QFontMetrics(window->DataValues->gridFont()).height());
    window->TB_ButtonClick("fontsize");
    EXPECT_EQ(qRound(window->TextEdit->font().pointSizeF()), 8);
    EXPECT_EQ(qRound(window->DataValues->fontSize()), 8);
}

TEST_F(SqlWindowTest, HeaderClicksSortDescendingThenAscending) {
    connectToStaff();
    run("SELECT ID, NAME FROM PEOPLE");
    ASSERT_EQ(window->DataValues->rows(), 4);
    pressCell(window->DataValues, 0, 1);
    EXPECT_EQ(column(1), QStringList({"3", "2", "1"}));
    EXPECT_EQ(column(2), QStringList({"Cy", "Bea", "Al"})) << "rows move whole";
    pressCell(window->DataValues, 0, 1);
    EXPECT_EQ(column(1), QStringList({"1", "2", "3"}));
    pressCell(window->DataValues, 0, 2);
    EXPECT_EQ(column(2), QStringList({"Cy", "Bea", "Al"}));
}

TEST_F(SqlWindowTest, RowNumberOpensTheRecordAndCellsOpenXml) {
    connectToStaff();
    run("SELECT ID, NAME, DOC FROM PEOPLE ORDER BY ID");
    ASSERT_EQ(window->DataValues->rows(), 4);

    pressCell(window->DataValues, 2, 0);
    Grid *single = window->SingleView;
    ASSERT_TRUE(single->isVisible());
    EXPECT_FALSE(window->DataValues->isVisible());
    ASSERT_EQ(single->rows(), 4);
    ASSERT_EQ(single->cols(), 2);
    EXPECT_EQ(single->textMatrix(1, 0), "ID");
    EXPECT_EQ(single->textMatrix(1, 1), "2");
    EXPECT_EQ(single->textMatrix(2, 0), "NAME");
    EXPECT_EQ(single->textMatrix(2, 1), "Bea");
    EXPECT_EQ(single->textMatrix(3, 1), "<a><b>x</b><c/></a>");
    const int width = window->DataValues->gridWidth();
    EXPECT_NEAR(single->colWidth(0), width / 4 - 60, 15);
    EXPECT_NEAR(single->colWidth(1), width * 3 / 4 - 60, 15);

    QTest::keyClick(window->TextEdit, Qt::Key_Escape);
    EXPECT_FALSE(single->isVisible());
    EXPECT_TRUE(window->DataValues->isVisible());

    pressCell(window->DataValues, 2, 3);
    ASSERT_TRUE(window->XMLView->isVisible());
    ASSERT_EQ(window->XMLView->topLevelItemCount(), 1);
    EXPECT_EQ(window->XMLView->topLevelItem(0)->text(0), "<a>");
    EXPECT_EQ(window->XMLView->topLevelItem(0)->childCount(), 2);

    pressCell(window->DataValues, 1, 3); // an HTML page opens no tree
    EXPECT_FALSE(window->XMLView->isVisible());
}

TEST_F(SqlWindowTest, EscapeAndStopEndWhatTheWindowRuns) {
    connectToStaff();
    QTimer::singleShot(300, window, [this] { QTest::keyClick(window->TextEdit, Qt::Key_Escape); });
    run("CMD sleep 30");
    EXPECT_EQ(engine.msgText, "Stopped by the user.");
    EXPECT_FALSE(engine.busy);

    auto *stop = window->TB->findChild<QAction *>("stop");
    ASSERT_NE(stop, nullptr);
    QTimer::singleShot(300, window, [stop] { stop->trigger(); });
    run("WITH RECURSIVE C(X) AS (VALUES (1) UNION ALL SELECT X + 1 FROM C) SELECT COUNT(*) FROM C");
    EXPECT_EQ(engine.msgText, "Stopped by the user.");
    EXPECT_EQ(engine.msgCode, -1);

    run("SELECT NAME FROM PEOPLE WHERE ID = 3");
    EXPECT_EQ(column(1), QStringList({"Cy"}));
    Norq_disconnect(engine);
}
