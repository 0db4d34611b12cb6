// The script runs need an application object: PLOT draws a chart widget, pictures are
// loaded through image plugins and the command runners' polling timers need an event loop.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
