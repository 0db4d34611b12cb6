// Options > Run all in the main window as a user sees it: the window shown on a display
// (Xvfb in scripts/bench), painting as it goes, then the program ends. scripts/bench times
// this process against `pavona --run` of the same script.
//
// Usage: bench_run_all_window SCRIPT DATABASE   (needs a display; XDG_DATA_HOME names the
// catalog)

#include "database/session.h"
#include "engine/engine_state.h"
#include "engine/startup.h"
#include "engine/widgets/plot.h"
#include "mainwindow/norqsql.h"
#include "mainwindow/start_library.h"
#include "windows/qt_window_interface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_run_all_window SCRIPT DATABASE\n");
        return 2;
    }
    engine_startup();
    installQtWindowInterface();
    registerPlotCommand();
    locateHelpFolder();
    engine.databaseName = QString::fromLocal8Bit(argv[2]);
    if (Norq_connect(engine.databaseName, engine.userId, engine.userPassword) != 0) {
        std::fprintf(stderr, "cannot connect: %s\n", qPrintable(engine.msgText));
        return 1;
    }
    NorqSQL window;
    window.Form_Load();
    window.resize(1200, 820);
    window.show();
    window.currentFile = QString::fromLocal8Bit(argv[1]);
    window.fileToMemory(window.currentFile);
    window.setViewMode(ViewMode::script);
    window.memoryToScript();
    // Run only once the window is on the screen, as a user's press would.
    QElapsedTimer wait;
    wait.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    window.runAll_Click();
    Norq_disconnect();
    return engine.msgCode == 0 ? 0 : 1;
}
