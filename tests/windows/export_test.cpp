#include "core/engine_state.h"
#include "document/grid.h"
#include "document/row_model.h"
#include "export/export.h"
#include "export/export_page.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A rendered script with outputs: headings of every level (1, 2, 2, 1, 3, 4 and a link),
// prose with bullets, a statement, a completed command, a result, a chart and a picture.
class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        grid.setCols(ScriptRow::columnCount);
        grid.setRows(0);
        heading("1", "Intro & scope", "TOP");
        comment("Intro a^^b\r- one\r-two\r\rEnd");
        heading("2", "First part", "");
        add(RowKind::sql, "SELECT * FROM T WHERE A < 5 & B > 2");
        add(RowKind::message, "Command completed.");
        heading("2", "Second part", "");
        add(RowKind::result, "ID NAME\r-- ----\r\n 1 x\r\r1 record(s) selected.");
        heading("1", "Charts", "");
        heading("3", "Deep", "");
        picture(RowKind::chart, "", Qt::red);
        heading("4", "Deeper", "");
        picture(RowKind::image, "shot.png", Qt::blue);
        add(RowKind::message, "SQL0204N  \"T\" is an undefined name.");
        heading("0", "Back to the top", "top");
        add(RowKind::endMarker, "");
    }

    void add(RowKind kind, const QString &text, const QString &tag = {}, const QString &raw = {}) {
        grid.addItem(QStringList({"", text, rowKindText(kind), tag, raw, text}).join('\t'));
        // addItem splits at tabs only; keep the multi-line text whole.
        grid.setTextMatrix(grid.rows() - 1, ScriptRow::textCol, text);
    }
    void heading(const QString &level, const QString &text, const QString &anchor) {
        add(RowKind::heading, text, level, anchor);
    }
    void comment(const QString &raw) {
        add(RowKind::comment, QString(raw).replace('\r', ' '), "", raw);
        grid.setTextMatrix(grid.rows() - 1, ScriptRow::rawCol, raw);
    }
    void picture(RowKind kind, const QString &tag, Qt::GlobalColor colour) {
        add(kind, "", tag);
        QPixmap pixmap(8, 6);
        pixmap.fill(colour);
        grid.setRow(grid.rows() - 1);
        grid.setCol(ScriptRow::textCol);
        grid.setCellPicture(pixmap);
    }

    QStringList exported(int type, const QString &name) {
        path = dir.filePath(name);
        EXPECT_TRUE(exportDocument(documentFromGrid(&grid), type, path));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QString all = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(all.endsWith("\r\n"));
        QStringList lines = all.split("\r\n");
        lines.removeLast();
        return lines;
    }

    QTemporaryDir dir;
    Grid grid;
    QString path;
};

qsizetype indexOfSequence(const QStringList &lines, const QStringList &sequence) {
    for (qsizetype i = 0; i + sequence.size() <= lines.size(); ++i)
        if (lines.mid(i, sequence.size()) == sequence) return i;
    return -1;
}

} // namespace

TEST_F(ExportTest, HtmlPageHasTheHeadThenTheDocument) {
    const QStringList lines = exported(ExportType::htmlPage, "report.htm");
    const QStringList head = exportPageHead();
    ASSERT_EQ(head.size(), 72);
    EXPECT_EQ(head[0], "<html>");
    EXPECT_EQ(head[59], "  font-family: 1em \"Lucida Sans\", \"Lucida Sans Unicode\", sans-serif;");
    EXPECT_EQ(head[16], "");
    EXPECT_EQ(head[71], "<body>");
    ASSERT_GT(lines.size(), head.size());
    EXPECT_EQ(lines.mid(0, head.size()), head);
    EXPECT_EQ(lines.mid(lines.size() - 2), QStringList({"</body>", "</html>"}));

    const QStringList body = lines.mid(head.size());
    EXPECT_EQ(body[0], "<h1 id=\"TOP\">Intro &amp; scope</h1>");
    EXPECT_GE(
        indexOfSequence(body, {"<p>", "Intro a^b", "<ul>", "<li>one", "<li>two", "</ul>", "End"}),
        0);
    EXPECT_GE(indexOfSequence(body, {"<h2>First part</h2>", "<pre>",
                                     "SELECT * FROM T WHERE A &lt; 5 &amp; B &gt; 2", "</pre>",
                                     "<h2>Second part</h2>"}),
              0)
        << "the completed command writes no block";
    EXPECT_GE(indexOfSequence(body, {"<pre class='output'>", "ID NAME", "-- ----", " 1 x", "",
                                     "1 record(s) selected.", "</pre>"}),
              0);
    EXPECT_GE(indexOfSequence(body, {"<pre class='output'>",
                                     "SQL0204N  &quot;T&quot; is an undefined name.", "</pre>"}),
              0);
    EXPECT_TRUE(body.contains("<h3>Deep</h3>"));
    EXPECT_TRUE(body.contains("<h4>Deeper</h4>"));
    EXPECT_TRUE(body.contains("<p><a href=\"#TOP\">Back to the top</a>"));
    EXPECT_FALSE(lines.join('\n').contains("Command completed."));

    const QString base = dir.filePath("report");
    // Relative: the page shows its pictures wherever it is served from.
    EXPECT_GE(indexOfSequence(body, {"<p>", "<img src=\"report-1.bmp\">", "<p>"}), 0);
    EXPECT_GE(indexOfSequence(body, {"<p>", "<img src=\"report-2.bmp\">", "<p>"}), 0);
    const QImage chart(base + "-1.bmp", "BMP");
    const QImage image(base + "-2.bmp", "BMP");
    ASSERT_FALSE(chart.isNull());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(chart.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::blue));
}

TEST_F(ExportTest, HtmlPlainIsAFragmentWithPlainBlocks) {
    const QStringList lines = exported(ExportType::htmlPlain, "fragment.htm");
    EXPECT_EQ(lines.first(), "<h1 id=\"TOP\">Intro &amp; scope</h1>");
    EXPECT_FALSE(lines.contains("<html>"));
    EXPECT_FALSE(lines.contains("</html>"));
    EXPECT_FALSE(lines.contains("<style type='text/css'>"));
    EXPECT_FALSE(lines.contains("<pre class='output'>"));
    EXPECT_GE(indexOfSequence(lines, {"<pre>", "ID NAME"}), 0);
    EXPECT_TRUE(QFile::exists(dir.filePath("fragment-2.bmp")));
}

TEST_F(ExportTest, TextNumbersHeadingsAndNamesPictures) {
    const QStringList lines = exported(ExportType::text, "notes.txt");
    QStringList headings;
    for (const QString &line : lines)
        if (!line.isEmpty() && line[0].isDigit() && line.contains(' ') && !line.contains("record"))
            headings << line;
    EXPECT_EQ(headings, QStringList({"1 Intro & scope", "1.1 First part", "1.2 Second part",
                                     "2 Charts", "2.0.1 Deep", "2.0.1.1 Deeper"}));
    // A doubled caret is one caret, as the window shows it.
    EXPECT_GE(indexOfSequence(lines, {"Intro a^b", "- one", "-two", "", "End", " "}), 0);
    const QString markdown = dir.filePath("notes.md");
    ASSERT_TRUE(exportDocument(documentFromGrid(&grid), ExportType::markdown, markdown));
    QFile file(markdown);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Intro a^b"));
    EXPECT_GE(indexOfSequence(lines, {"SELECT * FROM T WHERE A < 5 & B > 2", " ", "1.2 Second part",
                                      " ", " ", "ID NAME"}),
              0);
    const QString base = dir.filePath("notes");
    EXPECT_TRUE(lines.contains("(image) " + base + "-1.bmp"));
    EXPECT_TRUE(lines.contains("(image) shot.png"));
    EXPECT_FALSE(lines.join('\n').contains("Command completed."));
    EXPECT_FALSE(lines.join('\n').contains("Back to the top")) << "link lines are not exported";
    EXPECT_FALSE(QFile::exists(base + "-1.bmp")) << "the text export only names pictures";
}

TEST(ExportNames, ProposedNamesAndPictureBase) {
    EXPECT_EQ(proposedExportName("/s/intro.norq", ExportType::htmlPage), "/s/intro.htm");
    EXPECT_EQ(proposedExportName("/s/intro.norq", ExportType::text), "/s/intro.txt");
    EXPECT_EQ(proposedExportName("/s/intro.NORQ", ExportType::htmlPlain), "*.htm");
    EXPECT_EQ(proposedExportName("", ExportType::text), "*.txt");
    EXPECT_EQ(pictureBaseName("/out/intro.htm"), "/out/intro");
    EXPECT_EQ(pictureBaseName("/out/intro"), "/out/intro");
    EXPECT_EQ(pictureBaseName("/tmp/run.1/intro.v2.htm"), "/tmp/run.1/intro");
    EXPECT_EQ(pictureFileName("/out/intro", 2), "/out/intro-2.bmp");
}

TEST(ExportFailure, UnwritablePathWritesNothing) {
    QString error;
    for (const int type : {ExportType::htmlPage, ExportType::markdown, ExportType::json}) {
        EXPECT_FALSE(exportDocument({}, type, "/nonexistent-folder/x.htm", &error));
        EXPECT_FALSE(error.isEmpty()) << type;
    }
}
