#include "core/platform_units.h"
#include "engine/text_layout.h"

#include <QFontMetricsF>
#include <gtest/gtest.h>

TEST(MeasureLineWidth, KeepsTheLargestFittingCountInStepsOfThreeMinusFour) {
    for (const char *fontName : {"Lucida Console", "Microsoft Sans Serif"}) {
        const QFontMetricsF metrics(platformFont(QString::fromLatin1(fontName), 10));
        const int widthTwips = 9000;
        const int count = measureLineWidth(QString::fromLatin1(fontName), 10, widthTwips);
        const int fitting = count + 4;
        EXPECT_EQ((fitting - 20) % 3, 0) << fontName;
        const double available = twipsToPixels(widthTwips);
        EXPECT_LE(metrics.horizontalAdvance(QString(fitting, u'c')), available) << fontName;
        EXPECT_GT(metrics.horizontalAdvance(QString(fitting + 3, u'c')), available) << fontName;
    }
    // A larger font fits fewer characters; a column too narrow for 20 still gives 16.
    EXPECT_LT(measureLineWidth(QStringLiteral("Lucida Console"), 14, 9000),
              measureLineWidth(QStringLiteral("Lucida Console"), 8, 9000));
    EXPECT_EQ(measureLineWidth(QStringLiteral("Lucida Console"), 10, 100), 16);
}
