// Bad input: huge scripts, huge lines, binary bytes, unterminated comments and library
// indexes that are too long or too deep are rendered or refused, never a crash or hang.
#include "core/engine_state.h"
#include "document/grid.h"
#include "mainwindow/norqsql.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
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

int depth(const QTreeWidgetItem *node) {
    int d = 0;
    for (const QTreeWidgetItem *p = node->parent(); p; p = p->parent())
        ++d;
    return d;
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        engine.fontSize = 10;
        window.resize(1200, 800);
        window.CLP->resize(900, 700);
    }
    void render(const QString &path, int mode) {
        window.fileToMemory(path);
        window.setViewMode(mode);
        window.memoryToScript();
    }
    RowKind lastKind() const { return rowKindAt(window.CLP, window.CLP->rows() - 1); }
    QTemporaryDir dir;
    NorqSQL window;
};

} // namespace

TEST_F(BadInput, TwelveThousandLinesAreCutAtTheLimit) {
    QByteArray text;
    for (int i = 0; i < 12000; ++i)
        text += i % 10 == 0 ? "/* {h2} Heading */\r\n" : "SELECT 1 FROM T;\r\n";
    render(writeFile(dir, "big.norq", text), ViewMode::edit);
    EXPECT_EQ(window.scriptLines.lineCount, 10000);
    EXPECT_EQ(lastKind(), RowKind::endMarker);
    EXPECT_EQ(window.CLP->rows(), 2001);
}

TEST_F(BadInput, AMegabyteLineAndBinaryBytes) {
    QByteArray huge(1 << 20, 'x');
    for (int i = 100; i < huge.size(); i += 100)
        huge[i] = ' ';
    QByteArray binary;
    for (int b = 1; b < 256; ++b)
        binary.append(char(b));
    render(writeFile(dir, "huge.norq",
                     "/*\r\n" + huge + "\r\n*/\r\nSELECT '" + huge + "';\r\n" + binary + "\r\n"),
           ViewMode::script);
    EXPECT_EQ(lastKind(), RowKind::endMarker);
    ASSERT_GE(window.CLP->rows(), 3);
    EXPECT_GT(window.CLP->rowHeight(0), 0);
    EXPECT_LE(window.CLP->rowHeight(1),
              31 * window.InfoRTF.lineHeightTwips("Lucida Console", 10) + 250);
}

TEST_F(BadInput, UnterminatedCommentShowsAsOneComment) {
    render(writeFile(dir, "open.norq", "SELECT 1;\r\n/* never closed\r\nSELECT 2;\r\n"),
           ViewMode::edit);
    ASSERT_EQ(window.CLP->rows(), 3);
    EXPECT_EQ(window.CLP->textMatrix(1, kindCol), "1");
    EXPECT_EQ(window.CLP->textMatrix(1, rawCol), "never closed SELECT 2;");
}

TEST_F(BadInput, LibraryIndexesLongDeepAndBroken) {
    EXPECT_EQ(window.readLibrary(dir.filePath("missing.sql")), -1);

    QByteArray index = "first.norq\r\n\r\n";
    for (int level = 0; level < 12; ++level)
        index += "{\r\nlevel" + QByteArray::number(level) + ".norq\r\n";
    for (int level = 0; level < 14; ++level) // more closing than opening braces
        index += "}\r\n";
    for (int i = 0; i < 1100; ++i)
        index += "entry" + QByteArray::number(i) + ".norq\r\n";
    EXPECT_EQ(window.readLibrary(writeFile(dir, "pavona.sql", index)), 1000);

    int count = 0, deepest = 0;
    bool blankEntry = false;
    for (QTreeWidgetItemIterator it(window.TV); *it; ++it) {
        ++count;
        deepest = std::max(deepest, depth(*it));
        const QString path = (*it)->data(0, Qt::UserRole).toString();
        if (path == QDir::currentPath() + "/") {
            blankEntry = true;
            EXPECT_EQ((*it)->text(0), "No Title: " + path);
        }
    }
    EXPECT_EQ(count, 1000);
    EXPECT_TRUE(blankEntry); // a blank index line names the working folder
    EXPECT_GE(deepest, 8);
    EXPECT_LE(deepest, 12);
}
