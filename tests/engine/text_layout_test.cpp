#include "core/engine_state.h"
#include "engine/text_layout.h"

#include <gtest/gtest.h>

namespace {

const QString kBullet = QStringLiteral("   ") + QChar(0x2022) + QStringLiteral("  ");

class TextLayout : public ::testing::Test {
protected:
    void SetUp() override { savedWidth = engine.textLineWidth; }
    void TearDown() override { engine.textLineWidth = savedWidth; }
    int savedWidth = 0;
};

QString words(int count) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("word%1").arg(i % 10);
    return list.join(u' ');
}

} // namespace

TEST_F(TextLayout, WrapsALongSentenceAtWordBoundaries) {
    engine.textLineWidth = 90;
    const QString sentence = words(40).left(200); // 200 characters
    ASSERT_EQ(sentence.size(), 200);
    const QStringList lines = wrapText(sentence, QStringLiteral("> "), false).split(u'\r');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_FALSE(lines[0].startsWith(u'>'));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("> ")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("> ")));
    QString rejoined;
    for (const QString &line : lines) {
        const QString body = line.startsWith(u'>') ? line.mid(2) : line;
        EXPECT_LE(body.size(), 90);
        EXPECT_FALSE(body.endsWith(u' '));
        rejoined += (rejoined.isEmpty() ? QString() : QStringLiteral(" ")) + body;
    }
    EXPECT_EQ(rejoined, sentence);
}

TEST_F(TextLayout, CutsAnOverlongWordAtTheLineWidth) {
    engine.textLineWidth = 10;
    EXPECT_EQ(wrapText(QString(25, u'x'), QStringLiteral("-"), true),
              "-xxxxxxxxxx\r-xxxxxxxxxx\r-xxxxx");
    // A space exactly at the width still counts as a boundary.
    EXPECT_EQ(wrapText(QStringLiteral("123456789 abc"), QString(), false), "123456789\rabc");
    EXPECT_EQ(wrapText(QStringLiteral("   "), QStringLiteral("-"), true), "");
    engine.textLineWidth = 0; // a nonsense width still ends
    EXPECT_EQ(wrapText(QStringLiteral("ab"), QString(), false), "a\rb");
}

TEST_F(TextLayout, LaysOutParagraphsAndBullets) {
    engine.textLineWidth = 90;
    EXPECT_EQ(formatProse(QStringLiteral("Intro\r- one\r- two")),
              "Intro \r" + kBullet + "one\r" + kBullet + "two");
    // A blank line ends the paragraph; a bullet right after it needs no extra break.
    EXPECT_EQ(formatProse(QStringLiteral("First\r  second\r\r- item")),
              "First second \r\r" + kBullet + "item");
    // A line continuing a bullet is kept and laid out indented after the item.
    EXPECT_EQ(formatProse(QStringLiteral("- item\rmore text\r- next")),
              kBullet + "item\r\r       more text\r\r" + kBullet + "next");
    EXPECT_EQ(formatProse(QString()), "");
}

TEST_F(TextLayout, WrapsLongBulletsUnderTheirText) {
    engine.textLineWidth = 20;
    const QString laidOut = formatProse(QStringLiteral("- alpha beta gamma delta epsilon"));
    EXPECT_EQ(laidOut, kBullet + "alpha beta gamma\r       delta epsilon");
}
