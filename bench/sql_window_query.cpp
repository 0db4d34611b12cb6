// The first query of a fresh SQL window as a user sees it: the program starts, connects,
// shows the window on a display (Xvfb in scripts/bench), runs the query in grid mode with
// OPTION MAXROWS at its most and paints the grid, then ends. scripts/bench times this
// process against the sqlite3 shell listing the same rows.
//
// Usage: bench_sql_window_query QUERY DATABASE   (needs a display; XDG_DATA_HOME names the
// catalog)

#include "database/session.h"
#include "engine/engine_state.h"
#include "engine/startup.h"
#include "windows/norq_sql_window.h"
#include "windows/qt_window_interface.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QWindow>
#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_sql_window_query QUERY DATABASE\n");
        return 2;
    }
    engine_startup();
    installQtWindowInterface();
    engine.databaseName = QString::fromLocal8Bit(argv[2]);
    if (Norq_connect(engine.databaseName, engine.userId, engine.userPassword) != 0) {
        std::fprintf(stderr, "cannot connect: %s\n", qPrintable(engine.msgText));
        return 1;
    }
    engine.maxRows = 32000;
    NorqSQLWindow window;
    window.resize(1000, 700);
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    window.TextEdit->setPlainText(QString::fromLocal8Bit(argv[1]));
    window.TB_ButtonClick(QStringLiteral("run"));
    // Until the grid is painted.
    QCoreApplication::processEvents();
    const int code = engine.msgCode;
    std::printf("%s\n", qPrintable(engine.msgText.trimmed()));
    Norq_disconnect();
    return code == 0 ? 0 : 1;
}
