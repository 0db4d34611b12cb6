// Rendering a generated 10,000-line script (headings, prose paragraphs with bullets, SQL
// blocks with a hidden section now and then) in the Script View and the Edit View, and
// re-measuring every row after the text column's width changed.
//
// Usage: bench_bench_document [lines]   (default 10000; run with QT_QPA_PLATFORM=offscreen
// when there is no display)

#include "core/engine_state.h"
#include "document/grid.h"
#include "mainwindow/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <cstdio>
#include <memory>

namespace {

const char *prose[] = {
    "The statements below read the sample tables; each result appears under its statement",
    "when the green marker is pressed. Nothing here changes the database, so the examples",
    "can be run as often as you like, in any order, on a fresh or a used connection.",
};

QStringList generateScript(int lineCount) {
    QStringList lines;
    int section = 0;
    while (lines.size() < lineCount) {
        ++section;
        lines << QStringLiteral("/* {h%1} Section %2: queries on the sample tables */")
                     .arg(section % 3 + 1)
                     .arg(section);
        lines << " "
              << "/*";
        for (const char *line : prose)
            lines << QStringLiteral("  ") + line;
        lines << "  "
              << "  - first point of the list"
              << "  - second point, a little longer"
              << "*/"
              << " ";
        lines << "SELECT DEPTNO, DEPTNAME, MGRNO"
              << "  FROM DEPARTMENT" << QStringLiteral(" WHERE DEPTNO > 'A%1'").arg(section)
              << " ORDER BY DEPTNO;";
        if (section % 4 == 0)
            lines << "--##Preparing the table"
                  << "CREATE TABLE T (A INT);"
                  << "--##";
        lines << " "
              << "/**/"
              << "SELECT COUNT(*) FROM EMPLOYEE;"
              << " ";
    }
    while (lines.size() > lineCount)
        lines.removeLast();
    return lines;
}

double render(NorqSQL *window, int mode) {
    QElapsedTimer timer;
    timer.start();
    mainWindow::render(window, mode);
    mainWindow::scriptGrid(window)->syncView();
    return timer.nsecsElapsed() / 1e6;
}

void report(const char *what, double ms, int rows) {
    std::printf("%-34s %9.1f ms  %6d rows  %7.1f us/row\n", what, ms, rows,
                rows > 0 ? ms * 1000.0 / rows : 0.0);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int lineCount = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 10000;

    NorqSQL *window = mainWindow::create();
    const std::unique_ptr<QMainWindow> shown(mainWindow::widget(window));
    Grid *grid = mainWindow::scriptGrid(window);
    shown->resize(1280, 900);
    shown->show();
    QApplication::processEvents();
    const int lines = mainWindow::setScriptText(window, generateScript(lineCount).join(u'\r'));
    std::printf("script: %d lines\n", lines);

    const double script = render(window, 2);
    report("Script View render", script, grid->rows());
    const double edit = render(window, 4);
    report("Edit View render", edit, grid->rows());

    QElapsedTimer timer;
    timer.start();
    grid->resize(grid->width() * 2 / 3, grid->height());
    mainWindow::relayout(window);
    grid->syncView();
    const double remeasure = timer.nsecsElapsed() / 1e6;
    report("Edit View re-measure (cellWidthRefresh)", remeasure, grid->rows());

    const double again = render(window, 2);
    report("Script View render (again)", again, grid->rows());
    std::printf("targets: full render < 1000 ms, re-measure < 500 ms\n");
    return 0;
}
