// The help viewer: its own caption, rendering and wrap width.
#include "core/engine_state.h"
#include "core/platform_units.h"
#include "document/grid.h"
#include "document/norqhelp.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace ScriptRow;

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

} // namespace

TEST(HelpViewer, CaptionLinksAndMissingFiles) {
    QTemporaryDir dir;
    engine.fontSize = 10;
    NorqHelp help;
    help.CLP->resize(900, 700);
    help.setWindowTitle("before");
    help.setHelpMode();
    help.fileToMemory(dir.filePath("absent.norq"));
    help.memoryToScript();
    EXPECT_TRUE(help.CLP->isHidden());
    EXPECT_EQ(help.windowTitle(), "before");

    writeFile(dir, "page.norq",
              "/* {h0:second} Jump */\r\n/* {h1} The caption */\r\n/*\r\ntext\r\n\r\nmore\r\n*/"
              "\r\n/* {h2:second} Second */\r\n");
    help.setHelpMode();
    help.fileToMemory(dir.filePath("page.norq"));
    help.memoryToScript();
    EXPECT_EQ(help.windowTitle(), "The caption");
    // Script View rules always: one row per paragraph, no Edit View markers.
    ASSERT_EQ(help.CLP->rows(), 6);
    EXPECT_EQ(help.CLP->textMatrix(0, markerCol), "");
    help.CLP_MouseDown(Qt::LeftButton, 0, textCol);
    EXPECT_EQ(help.currentRow, 4);
}

TEST(HelpViewer, OwnWrapWidthLeavesTheMainWindowAlone) {
    engine.fontSize = 10;
    engine.textLineWidth = 90;
    NorqHelp help;
    help.CLP->resize(1100, 600);
    help.setHelpMode();
    const int wide = help.wrapWidth();
    help.CLP->resize(400, 600);
    help.resizeView();
    EXPECT_LT(help.maxFixedHelp("Microsoft Sans Serif", 10), wide);
    EXPECT_EQ(engine.textLineWidth, 90);
    const QString item = QString("word ").repeated(60);
    EXPECT_GT(help.toText("- " + item).count('\r'), 0);
    EXPECT_EQ(engine.textLineWidth, 90);
}

TEST(HelpViewer, ShowHelpOpensAPageOfTheHelpFolder) {
    engine.fontSize = 10;
    const QString saved = engine.helpFolder;
    engine.helpFolder = QStringLiteral(PAVONA_SOURCE_DIR "/help");
    showHelp("norq-help-intro.norq");
    NorqHelp *help = NorqHelp::shared();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), "Introduction to Pavona");
    EXPECT_EQ(rowKindAt(help->CLP, help->CLP->rows() - 1), RowKind::endMarker);
    bool runnable = false;
    for (int r = 0; r < help->CLP->rows(); ++r)
        runnable = runnable || rowKindAt(help->CLP, r) == RowKind::sql;
    EXPECT_TRUE(runnable);
    help->close();
    engine.helpFolder = saved;
}

TEST(HelpViewer, TheFirstOpeningFillsTheWindow) {
    engine.fontSize = 10;
    const QString saved = engine.helpFolder;
    engine.helpFolder = QStringLiteral(PAVONA_SOURCE_DIR "/help");
    delete NorqHelp::shared(); // a viewer never shown before
    showHelp("norq-help-menus.norq");
    NorqHelp *help = NorqHelp::shared();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    Grid *grid = help->CLP;
    // The text column spans the grid, and the view shows the sizes the rows were given.
    EXPECT_GT(grid->columnWidth(textCol), grid->viewport()->width() * 3 / 4);
    EXPECT_GT(help->wrapWidth(), 60);
    qsizetype longest = 0;
    for (int r = 0; r < grid->rows(); ++r) {
        if (grid->rowHeight(r) > 0) {
            EXPECT_EQ(grid->QTableView::rowHeight(r), twipsToPixels(grid->rowHeight(r))) << r;
        }
        if (rowKindAt(grid, r) != RowKind::comment) continue;
        for (const QString &line : grid->textMatrix(r, textCol).split('\r'))
            longest = std::max(longest, line.size());
    }
    // The bullets are laid out at the window's width, not a column's worth of words.
    EXPECT_GT(longest, 60);
    help->close();
    engine.helpFolder = saved;
}
