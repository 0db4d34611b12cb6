// The main window showing a sample script in the Script View, grabbed as a picture: the
// statement rows are painted green with their marker, headings and prose on the page
// colour. With PAVONA_SCREENSHOT set, the picture is also written to that file.
#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/variables.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "mainwindow/norqsql.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace ScriptRow;

TEST(Screenshot, ScriptViewPaintsAReadableDocument) {
    engine.fontSize = 10;
    NorqSQL window;
    window.resize(1280, 860);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString samples = QStringLiteral(PAVONA_SOURCE_DIR "/samples");
    // Library entries name scripts relative to the working folder.
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(samples);
    var_add("curdir", samples + "/");
    window.readLibrary(samples + "/pavona.sql");
    window.fileToMemory(samples + "/welcome.norq");
    // PAVONA_SCREENSHOT_VIEW picks another view for the picture (4: Edit View).
    const int view = qEnvironmentVariableIntValue("PAVONA_SCREENSHOT_VIEW");
    window.setViewMode(view == ViewMode::edit ? view : ViewMode::script);
    window.memoryToScript();
    window.resizeView();
    window.cellWidthRefresh();
    QApplication::processEvents();

    int sqlRow = -1;
    for (int r = 0; r < window.CLP->rows() && sqlRow < 0; ++r)
        if (rowKindAt(window.CLP, r) == RowKind::sql) sqlRow = r;
    ASSERT_GE(sqlRow, 0);
    window.CLP->setTopRow(std::max(0, sqlRow - 6));
    QApplication::processEvents();

    const QImage picture = window.grab().toImage();
    const QByteArray target = qgetenv("PAVONA_SCREENSHOT");
    if (!target.isEmpty()) picture.save(QString::fromLocal8Bit(target));

    // The statement row's text cell is painted in the statement colour.
    window.CLP->setRow(sqlRow);
    window.CLP->setCol(textCol);
    const int left = twipsToPixels(window.CLP->cellLeft()) + twipsToPixels(300);
    const int top = twipsToPixels(window.CLP->cellTop()) + 3;
    const QPoint inWindow = window.CLP->mapTo(&window, QPoint(left, top));
    EXPECT_EQ(picture.pixelColor(inWindow).rgb(), RowStyle::sqlBackground.rgb());
    EXPECT_GT(window.TV->topLevelItemCount(), 0);
    EXPECT_FALSE(window.TV->topLevelItem(0)->text(0).startsWith("No Title"));
    QDir::setCurrent(previousFolder);
}
