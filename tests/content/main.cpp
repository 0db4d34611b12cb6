// The script runs need an application object: pictures are loaded through image plugins
// and the command runners' polling timers need an event loop.

#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
