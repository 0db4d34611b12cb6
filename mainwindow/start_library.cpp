#include "mainwindow/start_library.h"

#include "core/engine_state.h"
#include "core/variables.h"
#include "mainwindow/norqsql.h"
#include "mainwindow/resource_folders.h"

#include <QDir>
#include <QTreeWidget>

namespace {

// Entries of an index are resolved against its folder; work files still go to the
// working folder, which is restored at once.
int readLibraryFrom(NorqSQL *window, const QString &libraryFile) {
    const QString workFolder = QDir::currentPath();
    QString libraryFolder = findResourceFolder(QString(), libraryFile);
    if (libraryFolder.isEmpty())
        libraryFolder = findResourceFolder(QStringLiteral("samples"), libraryFile);
    if (libraryFolder.isEmpty() || libraryFolder == QDir(workFolder).absolutePath())
        return window->readLibrary(libraryFile);
    QDir::setCurrent(libraryFolder);
    const int count = window->readLibrary(libraryFolder + u'/' + libraryFile);
    QDir::setCurrent(workFolder);
    // Companion files of the scripts are named from curdir.
    var_add(QStringLiteral("curdir"), libraryFolder + u'/');
    return count;
}

} // namespace

int openStartLibrary(NorqSQL *window, const Settings &settings) {
    const int count = readLibraryFrom(window, settings.libraryFile);
    if (count < 1 || window->TV->topLevelItemCount() == 0) {
        window->TV->clear();
        window->TV->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("No Libraries Loaded")}));
        window->setViewMode(ViewMode::sql);
        return std::max(count, 0);
    }
    window->setViewMode(ViewMode::script);
    window->openScriptFile(window->TV->topLevelItem(0)->data(0, Qt::UserRole).toString());
    return count;
}

void locateHelpFolder() {
    const QString help =
        findResourceFolder(QStringLiteral("help"), QStringLiteral("norq-help-intro.norq"));
    if (!help.isEmpty()) engine.helpFolder = help;
}
