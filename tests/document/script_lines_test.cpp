// The line store: reading and writing files, the line limit, the text editor's form.
#include "document/script_lines.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

QByteArray readBytes(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(ScriptLines, LastLineWithoutTerminatorAndMixedLineEnds) {
    QTemporaryDir dir;
    ScriptLines lines;
    ASSERT_TRUE(lines.readFile(writeBytes(dir, "a.norq", "one\r\ntwo\rthree\nfour")));
    ASSERT_EQ(lines.lineCount, 4);
    EXPECT_EQ(lines.line(4), "four");
    const QString out = dir.filePath("out.norq");
    EXPECT_TRUE(lines.writeFile(out).isEmpty());
    EXPECT_EQ(readBytes(out), "one\r\ntwo\r\nthree\r\nfour\r\n");
}

TEST(ScriptLines, MissingFileLeavesTheStoreEmpty) {
    ScriptLines lines;
    lines.append("stale");
    EXPECT_FALSE(lines.readFile("/nonexistent/script.norq"));
    EXPECT_EQ(lines.lineCount, 0);
    EXPECT_FALSE(lines.readFile(QString()));
}

TEST(ScriptLines, WriteFailureIsReported) {
    ScriptLines lines;
    lines.append("x");
    EXPECT_FALSE(lines.writeFile("/nonexistent/folder/out.norq").isEmpty());
}

TEST(ScriptLines, BinaryBytesSurviveARoundTrip) {
    QTemporaryDir dir;
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') bytes.append(char(b));
    bytes += "\r\n";
    ScriptLines lines;
    ASSERT_TRUE(lines.readFile(writeBytes(dir, "bin.norq", bytes)));
    EXPECT_TRUE(lines.keptBytes());
    ASSERT_EQ(lines.lineCount, 1);
    const QString out = dir.filePath("out.norq");
    ASSERT_TRUE(lines.writeFile(out).isEmpty());
    EXPECT_EQ(readBytes(out), bytes);

    // Valid text around a stray byte is read as UTF-8 and keeps its bytes after an edit.
    const QByteArray mixed = "\xEF\xBB\xBF"
                             "Caf\xC3\xA9 \xFF\xC3\r\n\xF0\x9F\x98\x80\x80\r\n";
    ASSERT_TRUE(lines.readFile(writeBytes(dir, "mixed.norq", mixed)));
    EXPECT_TRUE(lines.line(1).startsWith(QString::fromUtf8("Caf\xC3\xA9 ")));
    lines.append(QString::fromUtf8("\xE2\x82\xAC"));
    ASSERT_TRUE(lines.writeFile(out).isEmpty());
    EXPECT_EQ(readBytes(out), mixed + "\xE2\x82\xAC\r\n");
}

TEST(ScriptLines, LimitOfTenThousandLines) {
    ScriptLines lines;
    for (int i = 1; i <= 10001; ++i)
        lines.append(QString::number(i));
    EXPECT_EQ(lines.lineCount, 10000);
    EXPECT_EQ(lines.line(10000), "10001");
    EXPECT_EQ(lines.line(9999), "9999");

    QTemporaryDir dir;
    QByteArray big;
    for (int i = 0; i < 12000; ++i)
        big += "SELECT " + QByteArray::number(i) + " FROM T;\r\n";
    ASSERT_TRUE(lines.readFile(writeBytes(dir, "big.norq", big)));
    EXPECT_EQ(lines.lineCount, 10000);
    EXPECT_TRUE(lines.truncated());
}

TEST(ScriptLines, EditorTextKeepsAFinalEmptyPiece) {
    ScriptLines lines;
    lines.setText("a\r\nb\rc\n");
    ASSERT_EQ(lines.lineCount, 4);
    EXPECT_EQ(lines.line(3), "c");
    EXPECT_EQ(lines.line(4), "");
    EXPECT_EQ(lines.joined(), "a\rb\rc\r");
}

TEST(ScriptLines, WrittenBackWithTheLineEndsTheFileHad) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out.norq");
    struct Case {
        QByteArray read;
        QByteArray written; // after one more line
    };
    const Case cases[] = {
        {"a\nb\n", "a\nb\nadded\n"},
        {"a\r\nb\r\n", "a\r\nb\r\nadded\r\n"},
        {"a\rb\r", "a\rb\radded\r"},
        // Mixed: the most frequent end wins, and a tie keeps CR LF.
        {"a\nb\nc\r\n", "a\nb\nc\nadded\n"},
        {"a\r\nb\nc", "a\r\nb\r\nc\r\nadded\r\n"},
        // No line end at all, as a new script: CR LF.
        {"a", "a\r\nadded\r\n"},
    };
    for (const Case &c : cases) {
        ScriptLines lines;
        ASSERT_TRUE(lines.readFile(writeBytes(dir, "in.norq", c.read)));
        lines.append("added");
        ASSERT_TRUE(lines.writeFile(out).isEmpty());
        EXPECT_EQ(readBytes(out), c.written) << c.read.toStdString();
    }
}
