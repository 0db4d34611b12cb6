// File commands, the library tree, the toolbar's recall list and the option menus.

#include "core/engine_state.h"
#include "core/platform_units.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "document/grid.h"
#include "mainwindow/file_dialogs.h"
#include "mainwindow/norqsearch.h"
#include "tests/mainwindow/fixture.h"
#include "windows/norq_trace.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <sys/stat.h>

using Files = MainWindowTest;

namespace {

QStringList fileLines(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n');
}

QString readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Keeps what the window tells the user.
struct Told : SilentWindowInterface {
    QStringList messages;
    void messageBox(const QString &, const QString &text) override { messages << text; }
};

} // namespace

TEST_F(Files, SaveAsFromEditViewWritesAnEditedScriptInTheCanonicalLayout) {
    const QString source = writeFile("staff.norq", kTestScript);
    openScript(source, ViewMode::edit);
    window->currentRow = rowsOfKind(RowKind::sql).last();
    window->scriptInsertSQL_Click();
    window->TextEdit->setPlainText("VALUES 1;");
    window->Form_KeyPress(27);
    const QString target = MainWindowEnvironment::scratch() + "/saved.norq";
    QString askedTitle;
    QString proposed;
    window->CommonDialog = [&](bool save, const QString &title, const QString &,
                               const QString &initialName) {
        EXPECT_TRUE(save);
        askedTitle = title;
        proposed = initialName;
        return target;
    };
    window->saveFileAs_Click();
    EXPECT_EQ(askedTitle, "Save SQL Command File");
    EXPECT_EQ(proposed, source);
    EXPECT_EQ(window->currentFile, target);

    const QStringList lines = fileLines(target);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.value(0), "/* {h1} Staff */");
    EXPECT_EQ(lines.value(1), " ");
    EXPECT_TRUE(lines.contains("/* {h2} Departments */"));
    EXPECT_TRUE(lines.contains("SELECT LASTNAME, SALARY"));
    EXPECT_TRUE(lines.contains("  FROM EMPLOYEE;"));
    EXPECT_TRUE(lines.contains("SELECT COUNT(*) FROM EMPLOYEE;"));
    EXPECT_TRUE(lines.contains("VALUES 1;"));
    // The file's own line ends, LF, throughout.
    EXPECT_FALSE(readAll(target).contains('\r'));

    // The canonical layout is a fixed point: open, save, and the file is unchanged.
    openScript(target, ViewMode::edit);
    const QString again = MainWindowEnvironment::scratch() + "/saved-again.norq";
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return again;
    };
    window->saveFileAs_Click();
    EXPECT_EQ(readAll(again), readAll(target));
}

TEST_F(Files, AnEditMadeInEditViewSurvivesSaveAndReopen) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::edit);
    const int statement = rowsOfKind(RowKind::sql)[1];
    doublePress(window->CLP, statement, NorqSQL::textCol);
    ASSERT_EQ(window->editRow, statement);
    window->TextEdit->setPlainText("SELECT DEPTNAME\n  FROM DEPARTMENT\n  ORDER BY 1;");
    const QString target = MainWindowEnvironment::scratch() + "/edited.norq";
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return target;
    };
    window->saveFileAs_Click();

    openScript(target, ViewMode::script);
    const QList<int> statements = rowsOfKind(RowKind::sql);
    ASSERT_EQ(statements.size(), 4);
    EXPECT_EQ(cell(statements[1], NorqSQL::sqlCol),
              "SELECT DEPTNAME\r  FROM DEPARTMENT\r  ORDER BY 1;");
    EXPECT_EQ(cell(statements[0], NorqSQL::sqlCol), "SELECT LASTNAME, SALARY\r  FROM EMPLOYEE;");
    EXPECT_EQ(cell(statements[3], NorqSQL::sqlCol), "SELECT COUNT(*) FROM EMPLOYEE;");
    EXPECT_EQ(rowsOfKind(RowKind::heading).size(), 4);
}

TEST_F(Files, CancelledDialogsDoNothing) {
    const QString source = writeFile("staff.norq", kTestScript);
    openScript(source, ViewMode::edit);
    window->currentRow = rowsOfKind(RowKind::sql).last();
    window->scriptCut_Click();
    int asked = 0;
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        ++asked;
        return QString();
    };
    window->saveFileAs_Click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(window->currentFile, source);
    EXPECT_TRUE(window->scriptModified());
    EXPECT_EQ(readAll(source), kTestScript);

    window->mnuOpen_Click();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(window->currentFile, source);
}

TEST_F(Files, OpenFileRebuildsTheViewItWasChosenIn) {
    const QString path = writeFile("staff.norq", kTestScript);
    window->setViewMode(ViewMode::sql);
    QString filter;
    window->CommonDialog = [&](bool save, const QString &title, const QString &chosenFilter,
                               const QString &) {
        EXPECT_FALSE(save);
        EXPECT_EQ(title, "Load SQL Command File");
        filter = chosenFilter;
        return path;
    };
    window->mnuOpen_Click();
    EXPECT_EQ(engine.viewMode, ViewMode::script);
    EXPECT_EQ(window->currentFile, path);
    EXPECT_EQ(rowsOfKind(RowKind::sql).size(), 4);
    EXPECT_TRUE(filter.startsWith("NORQ (norq) (*.norq);;SQL (sql) (*.sql);;"));
    EXPECT_TRUE(filter.endsWith("All files (*.*) (*)"));
}

TEST_F(Files, OpeningFromTheTreeInSqlViewSwitchesToScriptView) {
    const QString script = writeFile("staff.norq", kTestScript);
    writeFile("other.norq", "/* {h1} Other */\nSELECT 1 FROM EMPLOYEE;\n");
    const QString index = writeFile("library.sql", "staff.norq\n{\nother.norq\n}\n");
    ASSERT_EQ(window->readLibrary(index), 2);
    window->setViewMode(ViewMode::sql);
    QTreeWidgetItem *node = window->TV->topLevelItem(0);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->data(0, Qt::UserRole).toString(), script);

    const QRect rect = window->TV->visualItemRect(node);
    QTest::mouseClick(window->TV->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    EXPECT_EQ(engine.viewMode, ViewMode::script);
    EXPECT_EQ(window->currentFile, script);
    EXPECT_EQ(rowsOfKind(RowKind::sql).size(), 4);

    // A node without a path ("No Libraries Loaded") does nothing.
    window->TV->clear();
    window->TV->addTopLevelItem(new QTreeWidgetItem({"No Libraries Loaded"}));
    window->openTreeNode(window->TV->topLevelItem(0));
    EXPECT_EQ(window->currentFile, script);
}

// Entries naming a device or a pipe are listed, but opening one is refused, not read.
TEST_F(Files, ADeviceOrAPipeInTheLibraryIsRefusedNotRead) {
    // Entries are relative to the working folder: a link there leads to the device.
    QTemporaryDir dir;
    const QString zero = dir.filePath("zero.norq");
    const QString fifo = dir.filePath("pipe.norq");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QDir::setCurrent(dir.path());
    const QString index = writeFile("special.sql", "zero.norq\npipe.norq\n");
    ASSERT_EQ(window->readLibrary(index), 2);
    Told told;
    WindowInterface *previous = engine.ui;
    engine.ui = &told;
    window->openTreeNode(window->TV->topLevelItem(0));
    window->openTreeNode(window->TV->topLevelItem(1));
    engine.ui = previous;
    const QString reason = " cannot be opened: Not a regular file (a device, a pipe or a socket).";
    EXPECT_EQ(told.messages, QStringList({zero + reason, fifo + reason}));
    EXPECT_EQ(window->scriptLines.lineCount, 0);
}

TEST_F(Files, OpenLibrarySetsCurdirToItsFolder) {
    writeFile("staff.norq", kTestScript);
    const QString index = writeFile("library.sql", "staff.norq\n");
    window->CommonDialog = [&](bool, const QString &title, const QString &, const QString &) {
        EXPECT_EQ(title, "Load PAVONA Library");
        return index;
    };
    window->mnuExamples_Click();
    EXPECT_EQ(window->TV->topLevelItemCount(), 1);
    const int slot = var_find("CURDIR");
    ASSERT_GT(slot, 0);
    EXPECT_EQ(engine.vars[slot].value, MainWindowEnvironment::scratch() + '/');

    // An index in another folder names its scripts relative to that folder.
    QDir(MainWindowEnvironment::scratch()).mkpath("elsewhere");
    const QString script = writeFile("elsewhere/there.norq", "/* {h1} There */\n");
    const QString other = writeFile("elsewhere/library.sql", "there.norq\n");
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return other;
    };
    window->mnuExamples_Click();
    ASSERT_EQ(window->TV->topLevelItemCount(), 1);
    EXPECT_EQ(window->TV->topLevelItem(0)->data(0, Qt::UserRole).toString(), script);
    EXPECT_EQ(window->TV->topLevelItem(0)->text(0), "There");
    EXPECT_EQ(QDir::currentPath(), MainWindowEnvironment::scratch());
}

TEST_F(Files, RecallListWrapsAroundFiveSlots) {
    window->setViewMode(ViewMode::sql);
    // Before anything was run, recycle shows the empty slot 5.
    window->TextEdit->setPlainText("typed");
    window->TB_ButtonClick("recycle");
    EXPECT_EQ(engine.recallPos, 5);
    EXPECT_EQ(window->TextEdit->toPlainText(), "");

    engine.recallPos = 0;
    for (int n = 1; n <= 6; ++n) {
        window->TextEdit->setPlainText(QString("VALUES %1").arg(n));
        window->TB_ButtonClick("run");
    }
    EXPECT_EQ(engine.recallPos, 1);
    EXPECT_EQ(window->recallList[1], "VALUES 6");
    EXPECT_EQ(window->recallList[2], "VALUES 2");
    // The panel's message row holds the last run's message.
    EXPECT_FALSE(cell(3, NorqSQL::textCol).isEmpty());

    window->TB_ButtonClick("recycle");
    EXPECT_EQ(window->TextEdit->toPlainText(), "VALUES 5");
    window->TB_ButtonClick("recycle");
    EXPECT_EQ(window->TextEdit->toPlainText(), "VALUES 4");

    window->TB_ButtonClick("trash");
    EXPECT_TRUE(window->TextEdit->toPlainText().isEmpty());
    // An empty entry box runs nothing and stores nothing.
    window->TB_ButtonClick("run");
    EXPECT_EQ(engine.recallPos, 4);
}

TEST_F(Files, FontSizeAndColumnWidthMenusKeepOneCheckMark) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    window->mnuFontSizeValue_Click(5);
    EXPECT_EQ(engine.fontSize, 14);
    EXPECT_EQ(engine.vars[var_find("FONTSIZE")].value, "14");
    for (int i = 0; i < window->mnuFontSizeValue.size(); ++i)
        EXPECT_EQ(window->mnuFontSizeValue[i]->isChecked(), i == 5) << i;
    const int statement = rowsOfKind(RowKind::sql)[0];
    window->CLP->setRow(statement);
    window->CLP->setCol(NorqSQL::textCol);
    EXPECT_EQ(window->CLP->cellFontSize(), 14);
    // Headings keep their level's size and style, as a fresh rendering draws them.
    const QList<int> headings = rowsOfKind(RowKind::heading);
    window->CLP->setRow(headings[0]);
    EXPECT_EQ(window->CLP->cellFontSize(), 18);
    window->CLP->setRow(headings[1]);
    EXPECT_EQ(window->CLP->cellFontSize(), 15);
    EXPECT_TRUE(window->CLP->cellFontBold());
    window->mnuFontSizeValue_Click(2);
    EXPECT_EQ(engine.fontSize, 10);

    window->mnuColSize_Click(4);
    EXPECT_EQ(engine.columnSize, 30);
    for (int i = 0; i < window->mnuColSize.size(); ++i)
        EXPECT_EQ(window->mnuColSize[i]->isChecked(), i == 4) << i;
    window->mnuColSize_Click(7);
    EXPECT_EQ(engine.columnSize, 15);
    window->mnuColSize_Click(2);
}

TEST_F(Files, MenusCarryTheirCaptionsAndMarks) {
    const QList<QPair<QString, QString>> entries{
        {"mnuOpen", "Open File"},
        {"mnuExamples", "Open Library"},
        {"saveFile", "Save"},
        {"saveFileAs", "Save As..."},
        {"editNew", "New Script"},
        {"exportHTMLP", "HTML Plain"},
        {"searchExamples", "Search Examples"},
        {"modeSQL", "SQL View"},
        {"mnuReset", "Reset Examples"},
        {"runAll", "Run all"},
        {"mnutrace", "Trace Statements"},
        {"helpSQLSupport", "Supported SQL Statements"},
        {"copySQL", "Copy to SQL"},
        {"doToc", "Table of Contents"},
        {"viewInsertSQL", "Insert SQL"},
    };
    for (const auto &[name, caption] : entries) {
        QAction *entry = window->menuEntry(name);
        ASSERT_NE(entry, nullptr) << name.toStdString();
        EXPECT_EQ(QString(entry->text()).remove('&'), caption) << name.toStdString();
        EXPECT_EQ(entry->shortcut().isEmpty(),
                  name != "runAll" && name != "saveFile" && name != "saveFileAs")
            << name.toStdString();
    }
    EXPECT_EQ(window->menuEntry("runAll")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(window->menuEntry("saveFile")->shortcut(), QKeySequence::Save);
    EXPECT_EQ(window->menuEntry("searchScript")->shortcut(), QKeySequence("Ctrl+Shift+F"));
    EXPECT_EQ(window->menuEntry("findInView")->shortcut(), QKeySequence::Find);
    EXPECT_TRUE(window->menuEntry("mnuFontSizeValue2")->isChecked());
    EXPECT_TRUE(window->menuEntry("mnuColSize2")->isChecked());
    EXPECT_FALSE(window->menuEntry("mnuDetach")->isChecked());
    EXPECT_EQ(qtFileFilter("SQL (sql)|*.sql;"), "SQL (sql) (*.sql)");
}

TEST_F(Files, TheSplitterBarMovesTheTreeEdgeAndStaysInsideTheWindow) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::script);
    const int treeBefore = window->TV->width();
    window->DragBar_MouseDown(Qt::LeftButton, 0);
    EXPECT_TRUE(window->dragging);
    window->DragBar_MouseMove(Qt::LeftButton, 1500); // 100 pixels to the right
    EXPECT_NEAR(window->TV->width(), treeBefore + 100 - twipsToPixels(window->splitterGap), 3);
    // Dragged far beyond the right edge, the grid keeps what the window must show of it.
    window->DragBar_MouseMove(Qt::LeftButton, 1000000);
    EXPECT_LT(window->TV->width(), window->width());
    EXPECT_GT(window->CLP->width(), 0);
    window->DragBar_MouseUp();
    EXPECT_FALSE(window->dragging);
    // A move without the button held does nothing.
    const int tree = window->TV->width();
    window->DragBar_MouseMove(Qt::NoButton, 0);
    EXPECT_EQ(window->TV->width(), tree);

    // Real mouse events on the bar move it once by the mouse's travel.
    window->DragBar->setSizes({300, 800});
    QWidget *bar = window->DragBar->handle(1);
    const int before = window->TV->width();
    const auto send = [bar](QEvent::Type type, QPoint pos, Qt::MouseButton button,
                            Qt::MouseButtons buttons) {
        QMouseEvent event(type, pos, bar->mapToGlobal(pos), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    };
    send(QEvent::MouseButtonPress, {1, 50}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {61, 50}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {61, 50}, Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(window->TV->width(), before + 60 - twipsToPixels(window->splitterGap), 3);
}

TEST_F(Files, SaveFromTextViewWritesTheEditorsLines) {
    openScript(writeFile("staff.norq", kTestScript), ViewMode::text);
    window->FullEdit->setPlainText("/* {h1} Short */\nVALUES 1;\n\nVALUES 2;");
    const QString target = MainWindowEnvironment::scratch() + "/short.norq";
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return target;
    };
    window->saveFileAs_Click();
    EXPECT_EQ(readAll(target), "/* {h1} Short */\nVALUES 1;\n\nVALUES 2;\n");
}

TEST_F(Files, TraceToggleAndMinimisingCloseTheSatelliteWindows) {
    window->mnutrace_Click();
    EXPECT_TRUE(engine.traceOn);
    EXPECT_TRUE(window->menuEntry("mnutrace")->isChecked());
    NorqTrace *trace = NorqTrace::existing();
    ASSERT_NE(trace, nullptr);
    EXPECT_TRUE(trace->isVisible());
    EXPECT_EQ(trace->History->textMatrix(0, 1), "SQL");
    window->mnutrace_Click();
    EXPECT_FALSE(engine.traceOn);
    EXPECT_FALSE(trace->isVisible());
    EXPECT_FALSE(window->menuEntry("mnutrace")->isChecked());

    window->mnutrace_Click();
    window->searchExamples_Click();
    ASSERT_TRUE(NorqSearch::existing()->isVisible());
    window->setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_FALSE(NorqSearch::existing()->isVisible());
    EXPECT_FALSE(trace->isVisible());
    window->setWindowState(Qt::WindowNoState);
    window->mnutrace_Click();
    EXPECT_FALSE(engine.traceOn);
}

TEST_F(Files, TheSaveDialogAddsTheChosenFiltersExtension) {
    EXPECT_EQ(filterSuffix("NORQ (norq) (*.norq)"), "norq");
    EXPECT_EQ(filterSuffix("All SQL (sql,norq) (*.sql *.norq)"), "sql");
    EXPECT_EQ(filterSuffix("All files (*.*) (*.*)"), "");

    QFileDialog dialog(window.get(), "Save", MainWindowEnvironment::scratch(),
                       qtFileFilter("NORQ (norq)|*.norq;|SQL (sql)|*.sql;|All files (*.*)|*.*"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    followFilterSuffix(dialog);
    const auto typed = [&](const QString &name) {
        dialog.selectFile(name);
        return QFileInfo(dialog.selectedFiles().value(0)).fileName();
    };
    EXPECT_EQ(typed("notes"), "notes.norq");
    EXPECT_EQ(typed("notes.txt"), "notes.txt");
    // The user picks another filter.
    auto *types = dialog.findChild<QComboBox *>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    const auto choose = [&](int index) {
        types->setCurrentIndex(index);
        emit types->activated(index);
        emit types->textActivated(types->currentText());
    };
    choose(1);
    EXPECT_EQ(typed("notes"), "notes.sql");
    choose(2);
    EXPECT_EQ(typed("notes"), "notes");
}

TEST_F(Files, AScriptReadOnlyInPartIsNeverSavedOverItsFile) {
    QByteArray text;
    for (int i = 1; i <= 12000; ++i)
        text += "INSERT INTO T VALUES (" + QByteArray::number(i) + ");\n";
    const QString source = writeFile("long.sql", text);
    Told told;
    WindowInterface *previous = engine.ui;
    engine.ui = &told;
    openScript(source, ViewMode::text);
    window->saveFile_Click();
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return source;
    };
    window->saveFileAs_Click();
    // Nor through a link to it.
    const QString link = MainWindowEnvironment::scratch() + "/link-to-long.sql";
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(source, link));
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return link;
    };
    window->saveFileAs_Click();
    const QString elsewhere = MainWindowEnvironment::scratch() + "/first-part.sql";
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return elsewhere;
    };
    window->saveFileAs_Click();
    engine.ui = previous;
    EXPECT_EQ(readAll(source).toUtf8(), text);
    ASSERT_EQ(told.messages.size(), 4) << told.messages.join('\n').toStdString();
    EXPECT_TRUE(told.messages[0].contains("has more than 10000 lines; only the first 10000 lines"));
    EXPECT_TRUE(told.messages[1].contains("Save it under another name"));
    EXPECT_EQ(told.messages[2], told.messages[1]);
    EXPECT_TRUE(told.messages[3].contains("Save it under another name"));
    EXPECT_EQ(fileLines(elsewhere).size(), 10001); // 10000 lines, each ended
}
