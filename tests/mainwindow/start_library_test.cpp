// The main window's start: the library index of the working folder, the sample library
// when there is none, and the single "No Libraries Loaded" node when nothing is listed.

#include "core/engine_state.h"
#include "core/variables.h"
#include "document/grid.h"
#include "mainwindow/start_library.h"
#include "tests/mainwindow/fixture.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>

using StartLibrary = MainWindowTest;

namespace {

// A working folder of its own, left again at the end of the test.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString &name)
        : previous_(QDir::currentPath()),
          path_(MainWindowEnvironment::scratch() + QLatin1Char('/') + name) {
        QDir(path_).removeRecursively();
        QDir().mkpath(path_);
        QDir::setCurrent(path_);
    }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    QString path() const { return path_; }

private:
    QString previous_;
    QString path_;
};

} // namespace

TEST_F(StartLibrary, TheWorkingFoldersIndexComesFirst) {
    WorkingFolder folder("own-library");
    writeFile("own-library/first.norq", "/* {h1} Mine */\nSELECT 1 FROM EMPLOYEE;\n");
    writeFile("own-library/pavona.sql", "first.norq\n");
    EXPECT_EQ(openStartLibrary(window.get(), engine), 1);
    EXPECT_EQ(engine.viewMode, ViewMode::script);
    ASSERT_EQ(window->TV->topLevelItemCount(), 1);
    EXPECT_EQ(window->TV->topLevelItem(0)->text(0), "Mine");
    EXPECT_EQ(rowsOfKind(RowKind::sql).size(), 1);
    EXPECT_EQ(QDir::currentPath(), folder.path());
}

TEST_F(StartLibrary, WithoutAnIndexTheSampleLibraryOpensAndWorkStaysHere) {
    WorkingFolder folder("no-library");
    const int count = openStartLibrary(window.get(), engine);
    EXPECT_GT(count, 5);
    EXPECT_EQ(engine.viewMode, ViewMode::script);
    const QString first = window->TV->topLevelItem(0)->data(0, Qt::UserRole).toString();
    EXPECT_TRUE(QFile::exists(first)) << first.toStdString();
    EXPECT_GT(rowsOfKind(RowKind::sql).size(), 0);
    // Work files still go to the working folder; companion files come from the samples.
    EXPECT_EQ(QDir::currentPath(), folder.path());
    const int curdir = var_find("CURDIR");
    ASSERT_GT(curdir, 0);
    EXPECT_TRUE(QFile::exists(engine.vars[curdir].value + "pavona.sql"));
}

TEST_F(StartLibrary, AnIndexListingNothingLeavesOneNodeInSqlView) {
    WorkingFolder folder("empty-library");
    writeFile("empty-library/pavona.sql", "{\n}\n");
    EXPECT_EQ(openStartLibrary(window.get(), engine), 0);
    EXPECT_EQ(engine.viewMode, ViewMode::sql);
    ASSERT_EQ(window->TV->topLevelItemCount(), 1);
    EXPECT_EQ(window->TV->topLevelItem(0)->text(0), "No Libraries Loaded");
    EXPECT_TRUE(window->TV->topLevelItem(0)->data(0, Qt::UserRole).toString().isEmpty());
}
