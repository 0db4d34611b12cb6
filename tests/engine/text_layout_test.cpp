#include "engine/text_layout.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QString kBullet = QStringLiteral("   ") + QChar(0x2022) + QStringLiteral("  ");

QString words(int count) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("word%1").arg(i % 10);
    return list.join(u' ');
}

} // namespace

TEST(TextLayout, WrapsALongSentenceAtWordBoundaries) {
    int width = 90;
    const QString sentence = words(40).left(200); // 200 characters
    ASSERT_EQ(sentence.size(), 200);
    const QStringList lines = wrapText(sentence, QStringLiteral("> "), false, width).split(u'\r');
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

TEST(TextLayout, CutsAnOverlongWordAtTheLineWidth) {
    int width = 10;
    EXPECT_EQ(wrapText(QString(25, u'x'), QStringLiteral("-"), true, width),
              "-xxxxxxxxxx\r-xxxxxxxxxx\r-xxxxx");
    // A space exactly at the width still counts as a boundary.
    EXPECT_EQ(wrapText(QStringLiteral("123456789 abc"), QString(), false, width), "123456789\rabc");
    EXPECT_EQ(wrapText(QStringLiteral("   "), QStringLiteral("-"), true, width), "");
    width = 0; // a nonsense width still ends
    EXPECT_EQ(wrapText(QStringLiteral("ab"), QString(), false, width), "a\rb");
}

TEST(TextLayout, LaysOutParagraphsAndBullets) {
    int width = 90;
    EXPECT_EQ(formatProse(QStringLiteral("Intro\r- one\r- two"), width),
              "Intro \r" + kBullet + "one\r" + kBullet + "two");
    // A blank line ends the paragraph; a bullet right after it needs no extra break.
    EXPECT_EQ(formatProse(QStringLiteral("First\r  second\r\r- item"), width),
              "First second \r\r" + kBullet + "item");
    // A line continuing a bullet is kept and laid out indented after the item.
    EXPECT_EQ(formatProse(QStringLiteral("- item\rmore text\r- next"), width),
              kBullet + "item\r\r       more text\r\r" + kBullet + "next");
    EXPECT_EQ(formatProse(QString(), width), "");
}

TEST(TextLayout, WrapsLongBulletsUnderTheirText) {
    int width = 20;
    const QString laidOut = formatProse(QStringLiteral("- alpha beta gamma delta epsilon"), width);
    EXPECT_EQ(laidOut, kBullet + "alpha beta gamma\r       delta epsilon");
}
