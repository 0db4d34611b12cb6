// The first query of a fresh SQL window as a user sees it: the program starts, connects,
// shows the window on a display (Xvfb in scripts/bench), runs the query in grid mode with
// OPTION MAXROWS at its most and paints the grid, then ends. scripts/bench times this
// process against the sqlite3 shell listing the same rows.
//
// Usage: bench_sql_window_query QUERY DATABASE   (needs a display; XDG_DATA_HOME names the
// catalog)

#include "bench/window_session.h"
#include "windows/norq_sql_window.h"

#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_sql_window_query QUERY DATABASE\n");
        return 2;
    }
    if (!startAndConnect(argv[2])) return 1;
    engine.maxRows = 32000;
    NorqSQLWindow window;
    window.resize(1000, 700);
    window.show();
    waitUntilShown(window);
    window.TextEdit->setPlainText(QString::fromLocal8Bit(argv[1]));
    window.TB_ButtonClick(QStringLiteral("run"));
    // Until the grid is painted.
    QCoreApplication::processEvents();
    const int code = engine.msgCode;
    std::printf("%s\n", qPrintable(engine.msgText.trimmed()));
    Norq_disconnect(engine);
    return code == 0 ? 0 : 1;
}
