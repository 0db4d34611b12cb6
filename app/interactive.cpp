#include "app/interactive.h"

#include "app/demo_hook.h"
#include "app/sample_start.h"
#include "core/engine_state.h"
#include "core/variables.h"
#include "database/cli/cli.h"
#include "document/row_model.h"
#include "engine/startup.h"
#include "mainwindow/main_window.h"
#include "mainwindow/start_library.h"
#include "windows/norq_connect.h"
#include "windows/norq_sql_window.h"
#include "windows/plot.h"
#include "windows/qt_window_interface.h"

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>

namespace {

bool allocateEnvironment() {
    engine.lastRc = cli::SQLAllocEnv(&engine.envHandle);
    if (engine.lastRc == 0) return true;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Pavona"),
                    QStringLiteral("SQL CLI Driver Error: Environment handle failure! \r\n"
                                   "Is the Norq client installed? Program terminating"),
                    QMessageBox::Ok);
    box.exec();
    return false;
}

bool onlySqlWindow(const QStringList &arguments) {
    return arguments.mid(1).join(u' ').toUpper() == QLatin1String("-SQL");
}

int runSqlWindowOnly(QApplication &app) {
    auto *window = new NorqSQLWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->TextEdit->setFocus();
    app.setQuitOnLastWindowClosed(true);
    return app.exec();
}

// The script named on the command line, in Script View; one that cannot be read is said
// so, and the start library stays.
void openNamedScript(NorqSQL *window, const QString &path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        engine.ui->messageBox(QStringLiteral("Pavona"),
                              QStringLiteral("Can't open file: ") + file.absoluteFilePath());
        return;
    }
    // Before the rows are rendered: its picture rows name their files through curdir.
    var_add(QStringLiteral("curdir"), file.absolutePath() + u'/');
    mainWindow::openScript(window, file.absoluteFilePath());
}

} // namespace

int runInteractive(QApplication &app, const QString &openFile) {
    engine_startup();
    installQtWindowInterface();
    registerPlotCommand();
    if (!allocateEnvironment()) return 1;
    locateHelpFolder();

    DemoHook demo;
    if (!demo.armed()) offerSampleDatabase(); // a scripted session asks nobody
    demo.armConnectDialog();
    NorqConnect::shared()->exec();

    if (onlySqlWindow(QCoreApplication::arguments())) return runSqlWindowOnly(app);

    NorqSQL *window = mainWindow::create();
    QMainWindow *shown = mainWindow::widget(window);
    shown->setAttribute(Qt::WA_DeleteOnClose);
    mainWindow::wire(window);
    shown->resize(1200, 820);
    shown->show();
    openStartLibrary(window, engine);
    if (!openFile.isEmpty()) openNamedScript(window, openFile);
    demo.armMainWindow(window);
    app.setQuitOnLastWindowClosed(false); // closing the main window ends the program
    return app.exec();
}
