#pragma once
// Shared set-up of the main window tests: a scratch data folder with a SAMPLE database,
// the engine started and connected, and a window over a script written for the test.

#include "mainwindow/norqsql.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class Grid;

// Lives for the whole test program: the scratch folders, the database and the session.
class MainWindowEnvironment {
public:
    MainWindowEnvironment();
    ~MainWindowEnvironment();
    bool ready() const { return ready_; }
    static QString scratch(); // a folder for the tests' own files

private:
    QTemporaryDir data_;
    bool ready_ = false;
};

// A script with headings, prose and statements, one of them failing.
extern const char *const kTestScript;

// Makes the window the active one, failing the test when it does not become so.
void activate(QWidget *window);
// Where the keyboard's keys go now.
QWidget *focused();

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes text to a file of the scratch folder and returns its path.
    QString writeFile(const QString &name, const QString &text);
    // Opens the file in the given view, as the tree and the File menu do.
    void openScript(const QString &path, int viewMode);
    // A real mouse press (or double press) on a cell of a grid.
    void press(Grid *grid, int row, int col, Qt::MouseButton button = Qt::LeftButton);
    void doublePress(Grid *grid, int row, int col);

    RowKind kindOf(int row) const;
    QString cell(int row, int col) const;
    // Rows of the given kind, top to bottom.
    QList<int> rowsOfKind(RowKind kind) const;
    int outputRowCount() const;

    std::unique_ptr<NorqSQL> window;
};
