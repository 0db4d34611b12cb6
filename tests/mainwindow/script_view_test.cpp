// The main window's document side on real script files: reading, rendering in the
// Script and Edit Views, heights, the Edit View round trip, cell commits and views.
#include "core/engine_state.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "document/row_style.h"
#include "document/scroll_grid.h"
#include "mainwindow/norqsql.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace ScriptRow;

namespace {

struct Row {
    RowKind kind;
    QString text;
};

class ScriptView : public ::testing::Test {
protected:
    void SetUp() override {
        engine.fontSize = 10;
        window.resize(1200, 800);
        window.CLP->resize(900, 700);
    }

    void load(const QString &path, int mode) {
        window.fileToMemory(path);
        render(mode);
    }

    void loadText(const QString &text, int mode) {
        window.scriptLines.setText(text);
        render(mode);
    }

    void render(int mode) {
        window.setViewMode(mode);
        window.memoryToScript();
    }

    QString cell(int row, int col) const { return window.CLP->textMatrix(row, col); }
    RowKind kind(int row) const { return rowKindAt(window.CLP, row); }

    std::vector<Row> rows() const {
        std::vector<Row> out;
        for (int r = 0; r < window.CLP->rows(); ++r)
            out.push_back({kind(r), cell(r, textCol)});
        return out;
    }

    QStringList kinds() const {
        QStringList out;
        for (int r = 0; r < window.CLP->rows(); ++r)
            out << cell(r, kindCol);
        return out;
    }

    // Kind and shown text of every row.
    QStringList shownCells() const {
        QStringList out;
        for (int r = 0; r < window.CLP->rows(); ++r)
            out << cell(r, kindCol) << cell(r, textCol);
        return out;
    }

    // Every cell of every row, for comparing renderings.
    QStringList allCells() const {
        QStringList out;
        for (int r = 0; r < window.CLP->rows(); ++r)
            for (int c = 0; c < columnCount; ++c)
                out << cell(r, c);
        return out;
    }

    int lineHeight(const QString &font) const {
        return window.InfoRTF.lineHeightTwips(font, engine.fontSize);
    }

    NorqSQL window;
};

QString dataFile(const char *name) {
    return QStringLiteral(PAVONA_TEST_DATA "/") + name;
}

} // namespace

TEST_F(ScriptView, ReadingEdgeCasesInScriptView) {
    load(dataFile("reading.norq"), ViewMode::script);
    const QStringList expectedKinds = {"8", "1", "1", "8", "1", "1", "3",
                                       "3", "1", "1", "1", "3", "10"};
    ASSERT_EQ(kinds(), expectedKinds);
    EXPECT_EQ(cell(0, textCol), "Reading edge cases");
    EXPECT_EQ(cell(0, tagCol), "1");
    EXPECT_EQ(cell(1, rawCol), "A comment whose closing line has words before it. lost words");
    EXPECT_EQ(cell(2, rawCol), "Kept paragraph.");
    EXPECT_EQ(cell(3, textCol), "Installing the tables");
    EXPECT_EQ(cell(3, tagCol), "2");
    EXPECT_EQ(cell(3, rawCol), "SETUP");
    EXPECT_EQ(cell(4, rawCol), "{H9} not a heading");
    EXPECT_EQ(cell(5, rawCol), "{NOTE} braces stay");
    // Blank lines and a dash comment stay inside one block; "/**/" starts another.
    EXPECT_EQ(cell(6, sqlCol),
              "SELECT 1 FROM T;\r\rSELECT 2 FROM T;\r-- a dash comment inside the block");
    EXPECT_EQ(cell(7, sqlCol), "SELECT 3 FROM T;\r/");
    EXPECT_EQ(cell(9, rawCol), "a dash comment between comments");
    EXPECT_EQ(cell(11, sqlCol), "CREATE PROCEDURE P()\rBEGIN\rEND\r/");
    EXPECT_EQ(window.CLP->rowHeight(12), 0);
}

TEST_F(ScriptView, NoFinalLineEndReadsTheLastLineWhole) {
    load(dataFile("no_final_end.norq"), ViewMode::script);
    ASSERT_EQ(kinds(), QStringList({"8", "3", "10"}));
    EXPECT_EQ(cell(1, sqlCol), "SELECT 1 FROM T;");
}

TEST_F(ScriptView, AClosingLineKeepsItsWordsAndWhatFollowsItsClose) {
    // An apostrophe inside a comment opens no quote: the comment still ends there, and
    // the statement after it is a statement, not more comment.
    loadText("/*\rIt's easy. */\rSELECT 1;\r/*\rdone */ SELECT 2;", ViewMode::script);
    ASSERT_EQ(kinds(), QStringList({"1", "3", "1", "3", "10"}));
    EXPECT_EQ(cell(0, rawCol), "It's easy.");
    EXPECT_EQ(cell(2, rawCol), "done");
    EXPECT_EQ(cell(3, sqlCol), " SELECT 2;");
    // Comments do not nest: an example showing mark-up lines keeps them.
    loadText("/* {sql}\r/**/\r/* {h1} Title */\r*/\rSELECT 3;", ViewMode::script);
    ASSERT_EQ(kinds(), QStringList({"98", "3", "10"}));
    EXPECT_EQ(cell(0, textCol), "/**/\r/* {h1} Title */");
}

TEST_F(ScriptView, ParagraphsSplitInScriptViewAndStayWholeInEditView) {
    const QString text = "/*\rIntro line\rcontinues here\r\r- first item\r- second item\r*/";
    loadText(text, ViewMode::script);
    EXPECT_EQ(kinds(), QStringList({"1", "1", "1", "10"}));
    EXPECT_EQ(cell(0, rawCol), "Intro line continues here");
    EXPECT_TRUE(cell(1, textCol).contains(QChar(0x2022)));
    loadText(text, ViewMode::edit);
    EXPECT_EQ(kinds(), QStringList({"1", "10"}));
    EXPECT_EQ(cell(0, rawCol), "Intro line continues here\r\r- first item\r- second item");
}

TEST_F(ScriptView, MarkersAndLabelsDifferBetweenViews) {
    const QString text = "/* {h0:one} Go to one */\r/* {h2:one} One */\r/* {sql} example\r"
                         "x */\rSELECT 1;\r--##Creating the table\rCREATE TABLE T (A INT);\r--##";
    loadText(text, ViewMode::script);
    ASSERT_EQ(kinds(), QStringList({"8", "8", "98", "3", "10"}));
    EXPECT_EQ(cell(0, markerCol), "");
    EXPECT_EQ(cell(3, markerCol), RowStyle::sqlMarker);
    EXPECT_EQ(cell(3, textCol), "SELECT 1;\r"); // the hidden section is not shown
    EXPECT_EQ(cell(2, textCol), "example\rx");
    window.CLP->setRow(0);
    window.CLP->setCol(textCol);
    EXPECT_TRUE(window.CLP->cellFontUnderline());
    EXPECT_EQ(window.CLP->cellForeColor(), RowStyle::linkColour);
    const int linkHeight = window.CLP->rowHeight(0);

    loadText(text, ViewMode::edit);
    EXPECT_EQ(cell(0, markerCol), RowStyle::headingMarker(0));
    EXPECT_EQ(cell(1, markerCol), RowStyle::headingMarker(2));
    EXPECT_EQ(cell(2, markerCol), RowStyle::exampleMarker);
    window.CLP->setRow(0);
    window.CLP->setCol(textCol);
    EXPECT_FALSE(window.CLP->cellFontUnderline());
    EXPECT_EQ(window.CLP->cellBackColor(), RowStyle::headingEditBackground);
    // A link is 150 twips lower in the Script View than its full height.
    EXPECT_EQ(window.CLP->rowHeight(0) - linkHeight, 150);
}

TEST_F(ScriptView, HeightsFollowTheLineBounds) {
    const int prose = lineHeight(RowStyle::proseFont);
    const int code = lineHeight(RowStyle::codeFont);
    QString hundred;
    for (int i = 0; i < 100; ++i)
        hundred += QStringLiteral("SELECT %1 FROM T;\r").arg(i);
    const QString text = "/*\rthree\rshort\rlines\r*/\rSELECT 1;\r/**/\r" + hundred;

    loadText(text, ViewMode::edit);
    EXPECT_EQ(window.CLP->rowHeight(0), 3 * prose + 150);
    EXPECT_EQ(window.CLP->rowHeight(1), 3 * code + 250);
    EXPECT_EQ(window.CLP->rowHeight(2), 30 * code + 250);
    loadText(text, ViewMode::script);
    EXPECT_EQ(window.CLP->rowHeight(0), prose + 150);

    // A long paragraph takes more lines in a narrower column.
    const QString paragraph = QString("word ").repeated(300);
    loadText("/*\r" + paragraph + "\r*/", ViewMode::script);
    const int wide = window.CLP->rowHeight(0);
    EXPECT_GT(wide, 3 * prose);
    window.CLP->resize(500, 700);
    window.resizeView();
    window.cellWidthRefresh();
    EXPECT_GT(window.CLP->rowHeight(0), wide);
}

TEST_F(ScriptView, PlainSqlGetsARowPerStatementAndOpenStatementsKeepTheirLines) {
    loadText("-- a dump\rBEGIN TRANSACTION;\rCREATE TABLE t(a);\rINSERT INTO t VALUES('x\t;\r"
             "/* y */'); INSERT INTO t VALUES(2); -- two\rCOMMIT;",
             ViewMode::script);
    // Its comments are SQL comments: each stays with its statement.
    ASSERT_EQ(kinds(), QStringList({"3", "3", "3", "3", "3", "10"}));
    EXPECT_EQ(cell(0, sqlCol), "-- a dump\rBEGIN TRANSACTION;");
    EXPECT_EQ(cell(2, sqlCol), "INSERT INTO t VALUES('x\t;\r/* y */');");
    EXPECT_EQ(cell(3, sqlCol), "INSERT INTO t VALUES(2); -- two");
    EXPECT_EQ(cell(4, sqlCol), "COMMIT;");
    // Saved, the statements are kept apart as the format does.
    window.scriptToMemory();
    EXPECT_EQ(window.scriptLines.joined().count("/**/"), 4);

    // A file named .sql is plain even with comment lines, nested ones included.
    QTemporaryDir dir;
    QFile file(dir.filePath("nested.sql"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("/* a /* nested */ comment; */\nSELECT 1;\n/*\n  two\n*/\nSELECT 2;\n");
    file.close();
    load(file.fileName(), ViewMode::script);
    ASSERT_EQ(kinds(), QStringList({"3", "3", "10"}));
    EXPECT_EQ(cell(0, sqlCol), "/* a /* nested */ comment; */\rSELECT 1;");
    EXPECT_EQ(cell(1, sqlCol), "/*\r  two\r*/\rSELECT 2;");

    // With mark-up, a comment line inside an open parenthesis is still the statement's.
    loadText("/* {h1} T */\rSELECT (1\r/* inside */\r+ 2);\rSELECT 3;\r/*\rprose\r*/",
             ViewMode::script);
    ASSERT_EQ(kinds(), QStringList({"8", "3", "1", "10"}));
    EXPECT_EQ(cell(1, sqlCol), "SELECT (1\r/* inside */\r+ 2);\rSELECT 3;");
}

TEST_F(ScriptView, EditViewRoundTripReproducesTheRows) {
    const QString text =
        "/* {h1} Title */\r/* {h2:Setup} Installing */\r/*\rA paragraph that is long enough "
        "to be reflowed over more than one line when it is written back.\r\r- a bullet "
        "item\r- another one\rtail\r*/\rSELECT 1 FROM T;\r/**/\rSELECT 2 FROM T;\r"
        "/* {sql} \r  indented example\r*/\r/* {image}missing.png */\rSELECT 3;\r/";
    loadText(text, ViewMode::edit);
    const QStringList first = allCells();
    window.scriptToMemory();
    const QStringList written =
        QStringList(window.scriptLines.lines.begin() + 1,
                    window.scriptLines.lines.begin() + 1 + window.scriptLines.lineCount);
    EXPECT_TRUE(written.contains("/* {h2:SETUP} Installing */"));
    EXPECT_EQ(written.count("/**/"), 1); // between the two adjacent SQL blocks
    render(ViewMode::edit);
    EXPECT_EQ(allCells(), first);
    window.scriptToMemory();
    const QStringList again =
        QStringList(window.scriptLines.lines.begin() + 1,
                    window.scriptLines.lines.begin() + 1 + window.scriptLines.lineCount);
    EXPECT_EQ(again, written); // the canonical layout is stable
}

TEST_F(ScriptView, CommittingAnEmptiedRowDeletesItAndHeadingsKeepTypedAnchors) {
    loadText("/* {h1} Title */\rSELECT 1;\r/**/\rSELECT 2;", ViewMode::edit);
    ASSERT_EQ(kinds(), QStringList({"8", "3", "3", "10"}));
    window.EditBox->show();
    window.TextEdit->setPlainText("");
    window.editRow = 1;
    window.SaveCellEdit(1);
    EXPECT_EQ(kinds(), QStringList({"8", "3", "10"}));
    EXPECT_EQ(cell(1, sqlCol), "SELECT 2;");

    window.EditBox->show();
    window.TextEdit->setPlainText("[Setup] Installing");
    window.SaveCellEdit(0);
    EXPECT_EQ(cell(0, rawCol), "Setup");
    EXPECT_EQ(cell(0, textCol), "Installing");
    EXPECT_TRUE(window.EditBox->isHidden());
    window.scriptToMemory();
    EXPECT_EQ(window.scriptLines.line(1), "/* {h1:Setup} Installing */");

    // A read-only message in the editor only closes it.
    window.EditBox->show();
    window.editRow = -2;
    window.SaveCellEdit(-2);
    EXPECT_TRUE(window.EditBox->isHidden());
    EXPECT_EQ(kinds(), QStringList({"8", "3", "10"}));
}

TEST_F(ScriptView, ViewSwitchesCommitTheEditsOfTheViewLeft) {
    loadText("SELECT 1;", ViewMode::edit);
    window.EditBox->show();
    window.TextEdit->setPlainText("SELECT 42;");
    window.editRow = 0;
    window.modeScript_Click(); // leaving the Edit View commits the open edit
    EXPECT_EQ(engine.viewMode, ViewMode::script);
    EXPECT_EQ(window.scriptLines.line(1), "SELECT 42;");
    EXPECT_EQ(cell(0, sqlCol), "SELECT 42;");

    // A statement edited in Script View is kept when leaving it.
    window.CLP->setTextMatrix(0, sqlCol, "SELECT 99;");
    window.modeSQL_Click();
    EXPECT_EQ(engine.viewMode, ViewMode::sql);
    EXPECT_EQ(window.scriptLines.line(1), "SELECT 99;");
    EXPECT_EQ(cell(0, textCol), "Interactive SQL Window");
    EXPECT_EQ(window.CLP->rows(), 5);

    // Text View edits reach the store when leaving it; "View Script" opens the Edit View.
    window.modeText_Click();
    EXPECT_EQ(window.FullEdit->toPlainText(), "SELECT 99;\n "); // canonical layout
    window.FullEdit->setPlainText("SELECT 7;\nSELECT 8;");
    window.editViewScript_Click();
    EXPECT_EQ(engine.viewMode, ViewMode::edit);
    EXPECT_EQ(window.scriptLines.lineCount, 2);
    EXPECT_EQ(cell(0, sqlCol), "SELECT 7;"); // a plain SQL text: a row per statement
    EXPECT_EQ(cell(1, sqlCol), "SELECT 8;");
}

TEST_F(ScriptView, RenderingDeletesOnlyDollarVariables) {
    var_add("$TEMP", "1");
    var_add("KEEP", "2");
    loadText("SELECT 1;", ViewMode::script);
    EXPECT_EQ(var_find("$TEMP"), 0);
    EXPECT_NE(var_find("KEEP"), 0);
}

TEST_F(ScriptView, PicturesMissingCorruptAndReal) {
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString good = dir.filePath("good.png");
    ASSERT_TRUE(image.save(good));
    const QString corrupt = dir.filePath("corrupt.png");
    QFile file(corrupt);
    file.open(QIODevice::WriteOnly);
    file.write("\x89PNG\r\n\x1a\n not really a picture");
    file.close();
    const QString fifo = dir.filePath("pipe.png");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    loadText("/* {image}" + dir.filePath("none.png") + " */\r/* {image}" + corrupt +
                 " */\r/* {image}" + good + " */\r/* {image}/dev/zero */\r/* {image}" + fifo +
                 " */",
             ViewMode::script);
    ASSERT_EQ(kinds(), QStringList({"11", "11", "11", "11", "11", "10"}));
    EXPECT_EQ(cell(3, textCol), "/dev/zero: Not a regular file (a device, a pipe or a socket)");
    EXPECT_EQ(cell(4, textCol), fifo + ": Not a regular file (a device, a pipe or a socket)");
    EXPECT_EQ(window.CLP->rowHeight(0), 400);
    EXPECT_EQ(cell(0, textCol), dir.filePath("none.png"));
    EXPECT_EQ(window.CLP->rowHeight(1), 400);
    EXPECT_EQ(cell(2, textCol), "");
    EXPECT_EQ(window.CLP->rowHeight(2), window.getHeightJPG(good) + 240);
    EXPECT_GT(window.getHeightJPG(good), 0);
}

TEST_F(ScriptView, EmptyScriptLeavesThePlaceholder) {
    loadText("SELECT 1;", ViewMode::script);
    window.scriptLines.clear();
    render(ViewMode::script);
    EXPECT_EQ(window.CLP->rows(), 1);
    EXPECT_EQ(cell(0, kindCol), "");
}

TEST_F(ScriptView, OutputRowsAreRewrittenNotStacked) {
    loadText("SELECT 1;\r/**/\rSELECT 2;", ViewMode::script);
    RowKind kindOut = RowKind::message;
    window.addRow(kindOut, "\r\rfirst\r", QString(), 1);
    EXPECT_EQ(window.currentRow, 1);
    EXPECT_EQ(kinds(), QStringList({"3", "4", "3", "10"}));
    EXPECT_EQ(cell(1, textCol), "first");
    kindOut = RowKind::result;
    window.addRow(kindOut, "second", "SELECT 1;", 1);
    EXPECT_EQ(kinds(), QStringList({"3", "5", "3", "10"}));
    EXPECT_EQ(cell(1, textCol), "second");
    EXPECT_EQ(cell(1, tagCol), "SELECT 1;");
    EXPECT_EQ(cell(1, markerCol), RowStyle::resultMarker);

    // A chart over a chart is reused as it is; anything else is inserted.
    kindOut = RowKind::chart;
    window.addRow(kindOut, QString(), QString(), 2);
    kindOut = RowKind::chart;
    window.addRow(kindOut, QString(), QString(), 2);
    EXPECT_EQ(kinds(), QStringList({"3", "5", "7", "3", "10"}));
    EXPECT_EQ(window.CLP->rowHeight(2), 4500);
    // A comment given with a tag comes back as what the tag makes of it.
    RowKind tagged = RowKind::comment;
    window.addRow(tagged, "{image} missing.png", QString(), -1);
    EXPECT_EQ(tagged, RowKind::image);
    EXPECT_EQ(window.currentRow, 5);
}

TEST_F(ScriptView, CellInfoAndScrolling) {
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("/* paragraph %1 */\r").arg(i);
    loadText(text, ViewMode::script);
    window.show();
    QApplication::processEvents();
    const CellInfo far = window.getCellInfo(150, textCol);
    EXPECT_EQ(far.top, 45);
    EXPECT_EQ(far.left, 540);
    const CellInfo near = window.getCellInfo(0, textCol);
    EXPECT_GE(near.top, 0);
    EXPECT_EQ(near.fontSize, 10);

    scrollGrid(window.CLP, 120); // up at the top stays at row 0
    EXPECT_EQ(window.CLP->topRow(), 0);
    scrollGrid(window.CLP, -120);
    EXPECT_EQ(window.CLP->topRow(), 1);
    window.CLP->setTopRow(window.CLP->rows() - 2);
    scrollGrid(window.CLP, -120); // never beyond the row count - 2
    EXPECT_LE(window.CLP->topRow(), window.CLP->rows() - 2);
    EXPECT_FALSE(window.setTopRow(0));
}

namespace {

// What a message box would have shown.
class RecordingWindows : public SilentWindowInterface {
public:
    void messageBox(const QString &, const QString &text) override { shown << text; }
    QStringList shown;
};

QStringList storedLines(const NorqSQL &window) {
    return QStringList(window.scriptLines.lines.begin() + 1,
                       window.scriptLines.lines.begin() + 1 + window.scriptLines.lineCount);
}

} // namespace

TEST_F(ScriptView, RegenerationKeepsProseThatLooksLikeMarkUp) {
    const QString nbsp(QChar(0x00A0));
    const QString text = "/*\rWrite\r{h1} for a heading.\r*/\r"   // tag word reflowed up
                         "/*\rSee {h2:\rsetup} below.\r*/\r"      // tag brace closing later
                         "/*\rA ~ stands for a line break.\r*/\r" // standalone "~"
                         "/* step one */SELECT 41;\r/**/\r"       // statement after a comment
                         "SELECT 'a" +
                         nbsp + "b' FROM T;";
    loadText(text, ViewMode::edit);
    ASSERT_EQ(kinds(), QStringList({"1", "1", "1", "1", "3", "3", "10"}));
    EXPECT_EQ(cell(3, rawCol), "step one");
    EXPECT_EQ(cell(4, sqlCol), "SELECT 41;");

    // A comment edited to hold "*/", long enough to be laid out over several lines.
    window.currentRow = 2;
    window.beginCellEdit();
    window.EditBox->show();
    window.TextEdit->setPlainText(QStringList(6, "ends with */ and goes on").join(' '));
    window.SaveCellEdit(window.editRow);
    // An unchanged statement committed from the editor keeps its non-breaking space.
    window.currentRow = 5;
    window.beginCellEdit();
    window.EditBox->show();
    window.SaveCellEdit(window.editRow);
    EXPECT_EQ(cell(5, sqlCol), "SELECT 'a" + nbsp + "b' FROM T;");

    // Rows -> lines -> rows twice: what is shown never changes, and the second pass writes
    // the lines of the first.
    const QStringList shown = shownCells();
    ASSERT_TRUE(window.scriptToMemory());
    const QStringList first = storedLines(window);
    render(ViewMode::edit);
    EXPECT_EQ(shownCells(), shown);
    const QStringList rows = allCells();
    ASSERT_TRUE(window.scriptToMemory());
    EXPECT_EQ(storedLines(window), first);
    render(ViewMode::edit);
    EXPECT_EQ(allCells(), rows);
    EXPECT_EQ(cell(0, textCol).trimmed(), "Write {h1} for a heading.");
    EXPECT_EQ(cell(1, textCol).trimmed(), "See {h2: setup} below.");
    EXPECT_EQ(cell(2, textCol).count("ends with */"), 6);
    EXPECT_TRUE(first.contains("SELECT 41;"));
}

TEST_F(ScriptView, TextViewAndTheFileKeepEveryCharacter) {
    const QString line = QStringLiteral("SELECT 'a\u2028b\u2029c\u00A0d' FROM T;");
    loadText(line + "\rSELECT 2;", ViewMode::text);
    window.memoryToEdit();
    window.editToMemory();
    EXPECT_EQ(storedLines(window), QStringList({line, "SELECT 2;"}));

    QTemporaryDir dir;
    const QString path = dir.filePath("bom.norq");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBFSELECT 1;\r\n");
    file.close();
    window.fileToMemory(path);
    EXPECT_EQ(window.scriptLines.line(1), "SELECT 1;");
    window.memoryToFile(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "\xEF\xBB\xBFSELECT 1;\r\n");
}

TEST_F(ScriptView, RowsThatNeedTooManyLinesAreRefusedAndTheViewStays) {
    RecordingWindows windows;
    WindowInterface *before = engine.ui;
    engine.ui = &windows;
    QString text;
    for (int i = 0; i < 4000; ++i)
        text += QStringLiteral("/* note %1 */\rSELECT %1;\r").arg(i);
    loadText(text, ViewMode::edit);
    const QStringList lines = storedLines(window);
    // Rows left as they were keep their lines; an edited row must be written back.
    window.CLP->setTextMatrix(1, sqlCol, "SELECT -1;");
    window.modeScript_Click();
    engine.ui = before;
    EXPECT_EQ(engine.viewMode, ViewMode::edit);
    EXPECT_EQ(storedLines(window), lines);
    ASSERT_EQ(windows.shown.size(), 1);
    EXPECT_TRUE(windows.shown[0].contains("more than 10000 lines"))
        << windows.shown[0].toStdString();
}
