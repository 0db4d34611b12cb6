// The main window's tests drive the real window offscreen, against a small embedded
// database created in a scratch data folder.

#include "tests/mainwindow/fixture.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Listing the tests (as the build does to register them) needs no database.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    MainWindowEnvironment environment;
    if (!environment.ready()) return 1;
    return RUN_ALL_TESTS();
}
