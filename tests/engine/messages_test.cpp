#include "core/messages.h"
#include "engine/pair_stack.h"
#include "fake_windows.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class Messages : public EngineTest {
protected:
    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
};

TEST_F(Messages, SetMessageCombinesTableTextAndCode) {
    setMessage(false, -1, 20, "", "test");
    EXPECT_EQ(engine.msgText, "No arguments supplied.");
    EXPECT_EQ(engine.msgCode, -1);
    setMessage(true, 0, 20, "Done", "test");
    EXPECT_EQ(engine.msgText, "Done");
    EXPECT_EQ(engine.msgCode, 0);
    setMessage(false, 0, 25, "a.txt", "test");
    EXPECT_EQ(engine.msgText, "File erased: a.txt");
    setMessage(false, -1, 50, "out.txt", "test");
    EXPECT_EQ(engine.msgText, "out.txt");
    setMessage(false, 7, 201, "lost", "test");
    EXPECT_EQ(engine.msgText, "");
    EXPECT_EQ(engine.msgCode, 7);
    setMessage(false, 0, 0, "lost", "test");
    EXPECT_EQ(engine.msgText, "");
}

TEST_F(Messages, LibraryTitleReadsAHeadingTag) {
    EXPECT_EQ(libraryTitle(write("a.sql", "/* {h1}Sample queries */\r\nSELECT 1;\r\n")),
              "Sample queries");
    EXPECT_EQ(libraryTitle(write("b.sql", "/*{ H3 }  Spaced  */")),
              "No Title: " + dir.filePath("b.sql"));
    EXPECT_EQ(libraryTitle(write("c.sql", "/*{h4} Fourth*/ x */")), "Fourth");
    const QString intro = write("d.sql", "/* {P}Intro */");
    EXPECT_EQ(libraryTitle(intro), "No Title: " + intro);
    const QString reversed = write("e.sql", "/* }H1{ x */");
    EXPECT_EQ(libraryTitle(reversed), "No Title: " + reversed);
    EXPECT_EQ(libraryTitle(write("f.sql", "")), "No Title: " + dir.filePath("f.sql"));
    EXPECT_EQ(libraryTitle(dir.filePath("missing.sql")),
              "No Title: " + dir.filePath("missing.sql"));
}

TEST_F(Messages, ReadLinesAcceptsEveryLineEndAndUtf8) {
    const QString path = write("mixed.txt", "\xEF\xBB\xBF"
                                            "one\r\ntwo\rthree\nf\xC3\xBCnf\r\n\r\nlast");
    ASSERT_TRUE(readLines(path, 100));
    EXPECT_EQ(engine.fileLineCount, 6);
    EXPECT_EQ(joinLines(), QString("one\rtwo\rthree\rf") + QChar(0xFC) + "nf\r\rlast");

    ASSERT_TRUE(readLines(write("crlf.txt", "a\r\nb\r\n"), 100));
    EXPECT_EQ(engine.fileLineCount, 2);
    ASSERT_TRUE(readLines(write("empty.txt", ""), 100));
    EXPECT_EQ(engine.fileLineCount, 0);
    EXPECT_EQ(joinLines(), "");
}

TEST_F(Messages, ReadLinesStopsOneLinePastTheLimitAndAtTheBuffer) {
    QByteArray many;
    for (int i = 1; i <= 10050; ++i)
        many += QByteArray::number(i) + "\n";
    const QString path = write("many.txt", many);
    ASSERT_TRUE(readLines(path, 1));
    EXPECT_EQ(engine.fileLineCount, 2);
    ASSERT_TRUE(readLines(path, 10000));
    EXPECT_EQ(engine.fileLineCount, 10000);
    EXPECT_EQ(engine.fileLines[10000], "10000");

    EXPECT_FALSE(readLines(dir.filePath("missing.txt"), 10));
    EXPECT_EQ(engine.fileLineCount, 0);
    EXPECT_FALSE(readLines(dir.path(), 10));
}

TEST_F(Messages, BinaryFilesReadWithoutFailing) {
    QByteArray junk;
    for (int i = 0; i < 70000; ++i)
        junk += char((i * 7919) % 256);
    ASSERT_TRUE(readLines(write("junk.bin", junk), 10000));
    EXPECT_GT(engine.fileLineCount, 0);
}

TEST(PairStack, KeepsTheNewestPairOnTopEvenPastTenDeep) {
    resetPairStack();
    EXPECT_EQ(peekPair(), (std::pair<int16_t, int16_t>{0, 0}));
    pushPair(1, 10);
    pushPair(2, 20);
    EXPECT_EQ(peekPair().first, 2);
    EXPECT_EQ(popPair().first, 2);
    EXPECT_EQ(peekPair().first, 1);
    EXPECT_EQ(popPair().first, 1);
    EXPECT_EQ(peekPair().first, 0);
    for (int16_t i = 1; i <= 12; ++i)
        pushPair(i, i);
    EXPECT_EQ(peekPair().first, 12);
    EXPECT_EQ(popPair().first, 12);
    EXPECT_EQ(peekPair().first, 8);
    for (int i = 0; i < 20; ++i)
        popPair();
    EXPECT_EQ(peekPair().first, 0);
}

} // namespace
