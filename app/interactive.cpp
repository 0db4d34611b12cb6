#include "app/interactive.h"

#include "app/demo_hook.h"
#include "app/resource_folders.h"
#include "database/cli/cli.h"
#include "engine/engine_state.h"
#include "engine/startup.h"
#include "engine/variables.h"
#include "engine/widgets/plot.h"
#include "mainwindow/norqsql.h"
#include "windows/norq_connect.h"
#include "windows/norq_sql_window.h"
#include "windows/qt_window_interface.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

const QString kHelpProbe = QStringLiteral("norq-help-intro.norq");

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

// Help files: the working folder's, else the program's own.
void locateHelp() {
    const QString help = findResourceFolder(QStringLiteral("help"), kHelpProbe);
    if (!help.isEmpty()) engine.helpFolder = help;
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

// Reads the library index: the working folder's, else the sample library. Entries are
// resolved against the index's folder; work files still go to the working folder.
int loadLibrary(NorqSQL *window) {
    const QString workFolder = QDir::currentPath();
    QString libraryFolder = findResourceFolder(QString(), engine.libraryFile);
    if (libraryFolder.isEmpty())
        libraryFolder = findResourceFolder(QStringLiteral("samples"), engine.libraryFile);
    if (libraryFolder.isEmpty() || libraryFolder == QDir(workFolder).absolutePath())
        return window->readLibrary(engine.libraryFile);
    QDir::setCurrent(libraryFolder);
    const int count = window->readLibrary(libraryFolder + u'/' + engine.libraryFile);
    QDir::setCurrent(workFolder);
    var_add(QStringLiteral("curdir"), libraryFolder + u'/');
    return count;
}

void showFirstScript(NorqSQL *window) {
    if (loadLibrary(window) < 1) {
        window->TV->clear();
        window->TV->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("No Libraries Loaded")}));
        window->setViewMode(ViewMode::sql);
        return;
    }
    window->setViewMode(ViewMode::script);
    const QString first = window->TV->topLevelItem(0)->data(0, Qt::UserRole).toString();
    window->fileToMemory(first);
    window->memoryToScript();
}

} // namespace

int runInteractive(QApplication &app) {
    engine_startup();
    installQtWindowInterface();
    registerPlotCommand();
    if (!allocateEnvironment()) return 1;
    locateHelp();

    DemoHook demo;
    demo.armConnectDialog();
    NorqConnect::shared()->exec();

    if (onlySqlWindow(QCoreApplication::arguments())) return runSqlWindowOnly(app);

    auto *window = new NorqSQL;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Form_Load();
    window->resize(1200, 820);
    window->show();
    showFirstScript(window);
    demo.armMainWindow(window);
    app.setQuitOnLastWindowClosed(false); // closing the main window ends the program
    return app.exec();
}
