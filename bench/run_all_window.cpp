// Options > Run all in the main window as a user sees it: the window shown on a display
// (Xvfb in scripts/bench), painting as it goes, then the program ends. scripts/bench times
// this process against `pavona --run` of the same script.
//
// Usage: bench_run_all_window SCRIPT DATABASE   (needs a display; XDG_DATA_HOME names the
// catalog)

#include "bench/window_session.h"
#include "mainwindow/main_window.h"
#include "mainwindow/start_library.h"
#include "windows/plot.h"

#include <QApplication>
#include <QMainWindow>
#include <memory>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_run_all_window SCRIPT DATABASE\n");
        return 2;
    }
    if (!startAndConnect(argv[2])) return 1;
    registerPlotCommand();
    locateHelpFolder();
    NorqSQL *window = mainWindow::create();
    const std::unique_ptr<QMainWindow> shown(mainWindow::widget(window));
    mainWindow::wire(window);
    shown->resize(1200, 820);
    shown->show();
    mainWindow::loadScript(window, QString::fromLocal8Bit(argv[1]));
    // Run only once the window is on the screen, as a user's press would.
    waitUntilShown(*shown);
    mainWindow::runAll(window);
    Norq_disconnect(engine);
    return engine.msgCode == 0 ? 0 : 1;
}
