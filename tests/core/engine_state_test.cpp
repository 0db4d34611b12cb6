#include "core/engine_state.h"
#include "core/window_interface.h"

#include <gtest/gtest.h>

TEST(EngineState, StartsWithTheDocumentedDefaultsAndAWindowInterface) {
    EXPECT_EQ(engine.maxDisplay, 10);
    EXPECT_EQ(engine.maxRows, 1000);
    EXPECT_EQ(engine.databaseName, "SAMPLE");
    EXPECT_EQ(engine.tabMark, QString(QChar(0x00BB)));
    ASSERT_NE(engine.ui, nullptr);
    engine.ui->setClipboardText("x");
    EXPECT_EQ(engine.ui->clipboardText(), "x");
}
