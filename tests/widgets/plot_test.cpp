#include "core/engine_state.h"
#include "core/window_interface.h"
#include "engine/dispatch_table.h"
#include "engine/statements.h"
#include "windows/plot.h"
#include "windows/plot_data.h"

#include <QBarSet>
#include <QChartView>
#include <QStackedBarSeries>
#include <gtest/gtest.h>

namespace {

class PlotTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = engine.ui;
        engine.ui = &windows;
        engine.resultKind = kResultMessage;
        registerPlotCommand();
    }
    void TearDown() override { engine.ui = previous; }

    void plot(const QString &statement, QObject *chart = nullptr) {
        ASSERT_EQ(parseCommand(statement), "PLOT");
        const CommandHandler *handler = findCommand(QStringLiteral("PLOT"));
        ASSERT_NE(handler, nullptr);
        (*handler)(CommandContext{nullptr, chart});
    }

    // Distinct colours found in the picture, ignoring white, greys and anti-aliasing.
    static int pixelsOf(const QImage &image, const QColor &colour) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour) ++count;
        return count;
    }

    SilentWindowInterface windows;
    WindowInterface *previous = nullptr;
};

QBarSet *barSet(QChartView &view, int index) {
    auto *series = qobject_cast<QStackedBarSeries *>(view.chart()->series().value(0));
    return series && index < series->count() ? series->barSets().at(index) : nullptr;
}

} // namespace

TEST_F(PlotTest, TwoValuesGiveTwoLabelledBarsOfTheirOwnColourOnTheClipboard) {
    QChartView view;
    plot(QStringLiteral("PLOT TITLE 'Run times' X1 10 X2 20 L1 Before L2 After"), &view);
    EXPECT_EQ(engine.resultKind, kResultPicture);
    const QImage picture = engine.ui->clipboardImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(pixelsOf(picture, QColor(31, 119, 180)), 500);
    EXPECT_GT(pixelsOf(picture, QColor(255, 127, 14)), 500);
    // The second bar is twice as tall, so about twice the area.
    const double ratio =
        double(pixelsOf(picture, QColor(255, 127, 14))) / pixelsOf(picture, QColor(31, 119, 180));
    EXPECT_NEAR(ratio, 2.0, 0.3);

    EXPECT_EQ(view.chart()->title(), "Run times");
    ASSERT_NE(barSet(view, 1), nullptr);
    EXPECT_EQ(barSet(view, 0)->label(), "Before");
    EXPECT_EQ(barSet(view, 1)->label(), "After");
    EXPECT_EQ(barSet(view, 0)->at(0), 10.0);
    EXPECT_EQ(barSet(view, 1)->at(1), 20.0);
}

TEST_F(PlotTest, OneValueOrNoneAndTheLaterOfX1AndX2DecidesTheCount) {
    QChartView view;
    plot(QStringLiteral("PLOT X2 7 X1 5"), &view);
    EXPECT_EQ(engine.resultKind, kResultPicture);
    EXPECT_EQ(barSet(view, 1), nullptr);
    ASSERT_NE(barSet(view, 0), nullptr);
    EXPECT_EQ(barSet(view, 0)->at(0), 5.0);
    EXPECT_EQ(view.chart()->title(), "Data Plot");
    EXPECT_EQ(pixelsOf(engine.ui->clipboardImage(), QColor(255, 127, 14)), 0);

    engine.resultKind = kResultMessage;
    windows.clearClipboard();
    plot(QStringLiteral("PLOT TITLE Timings"));
    EXPECT_EQ(engine.resultKind, kResultMessage);
    EXPECT_TRUE(windows.clipboardImage().isNull());

    plot(QStringLiteral("PLOT X1 abc L1 Nothing")); // no number reads as 0; no window chart
    EXPECT_EQ(engine.resultKind, kResultPicture);
    EXPECT_FALSE(windows.clipboardImage().isNull());
}

TEST(PlotArguments, ReadTheLeadingNumberOfAValue) {
    EXPECT_EQ(leadingNumber(QStringLiteral("12abc")), 12.0);
    EXPECT_EQ(leadingNumber(QStringLiteral(" -1.5e2x")), -150.0);
    EXPECT_EQ(leadingNumber(QStringLiteral(".5")), 0.5);
    EXPECT_EQ(leadingNumber(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(leadingNumber(QString()), 0.0);
}
