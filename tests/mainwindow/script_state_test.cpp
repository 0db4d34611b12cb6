// The script against its file: the star in the caption, the question before the script
// is replaced or dropped, Save in place with the file's own line ends, and the clipboard.

#include "core/engine_state.h"
#include "document/grid.h"
#include "tests/mainwindow/fixture.h"
#include "windows/qt_window_interface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using ScriptState = MainWindowTest;

namespace {

const QString kCaptionEnd = QStringLiteral(" \u2014 SAMPLE \u2014 Pavona");

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Typed key by key at the end; a line feed is the Return key.
void typeAtEnd(QPlainTextEdit *editor, const QString &text) {
    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    const QStringList lines = text.split(u'\n');
    for (qsizetype line = 0; line < lines.size(); ++line) {
        if (line > 0) QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, lines[line]);
    }
}

} // namespace

TEST_F(ScriptState, AnEditedScriptIsNeverDroppedUnasked) {
    const QString staff = writeFile("staff.norq", kTestScript);
    const QString other = writeFile("other.norq", "/* {h1} Other */\nVALUES 1;\n");
    ASSERT_EQ(window->readLibrary(writeFile("library.sql", "staff.norq\nother.norq\n")), 2);
    window->setViewMode(ViewMode::edit);
    ASSERT_TRUE(window->openScriptFile(staff));
    EXPECT_EQ(window->windowTitle(), "staff.norq" + kCaptionEnd);

    // Typing in a cell's editor shows the star before the edit is committed.
    const int statement = rowsOfKind(RowKind::sql)[1];
    doublePress(window->CLP, statement, NorqSQL::textCol);
    typeAtEnd(window->TextEdit, " WHERE 1 = 1");
    EXPECT_EQ(window->windowTitle(), "staff.norq*" + kCaptionEnd);
    window->Form_KeyPress(27);
    const QString edited = cell(statement, NorqSQL::sqlCol);
    ASSERT_TRUE(edited.contains("WHERE 1 = 1"));

    // Cancel, from every way of replacing or dropping the script: everything stays.
    int asked = 0;
    auto answer = NorqSQL::DiscardAnswer::cancel;
    window->AskDiscard = [&](const QString &) {
        ++asked;
        return answer;
    };
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        return other;
    };
    window->mnuOpen_Click();
    window->openTreeNode(window->TV->topLevelItem(1));
    window->editNew_Click();
    window->mnuExit_Click();
    EXPECT_FALSE(window->close());
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(window->currentFile, staff);
    EXPECT_EQ(cell(statement, NorqSQL::sqlCol), edited);

    // The box itself offers Save, Discard and Cancel.
    window->AskDiscard = nullptr;
    QMessageBox::StandardButtons offered;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            offered = box->standardButtons();
            box->button(QMessageBox::Cancel)->click();
        }
    });
    EXPECT_FALSE(window->close());
    EXPECT_EQ(offered, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);

    // Discard: the other script opens clean; the file was not touched.
    window->AskDiscard = [&](const QString &) {
        ++asked;
        return NorqSQL::DiscardAnswer::discard;
    };
    window->mnuOpen_Click();
    EXPECT_EQ(window->currentFile, other);
    EXPECT_EQ(window->windowTitle(), "other.norq" + kCaptionEnd);
    EXPECT_EQ(bytesOf(staff), QByteArray(kTestScript));

    // Save: a heading level changed from its marker is written before the next opens.
    window->openScriptFile(staff);
    press(window->CLP, rowsOfKind(RowKind::heading)[0], NorqSQL::markerCol);
    answer = NorqSQL::DiscardAnswer::save;
    window->AskDiscard = [&](const QString &) { return answer; };
    window->openTreeNode(window->TV->topLevelItem(1));
    EXPECT_EQ(window->currentFile, other);
    EXPECT_TRUE(bytesOf(staff).startsWith("/* {h2} Staff */\n"));
}

TEST_F(ScriptState, RunningAndChangingViewsLeaveTheScriptClean) {
    window->setViewMode(ViewMode::script);
    ASSERT_TRUE(window->openScriptFile(writeFile("staff.norq", kTestScript)));
    press(window->CLP, rowsOfKind(RowKind::sql)[0], NorqSQL::markerCol);
    window->runAll_Click();
    ASSERT_EQ(outputRowCount(), static_cast<int>(rowsOfKind(RowKind::sql).size()));
    doublePress(window->CLP, rowsOfKind(RowKind::sql)[0], NorqSQL::textCol);
    window->Form_KeyPress(27); // an editor closed unchanged
    window->modeEdit_Click();
    window->modeText_Click();
    EXPECT_EQ(window->FullEdit->toPlainText() + '\n', QString(kTestScript));
    window->modeScript_Click();
    EXPECT_FALSE(window->scriptModified());
    EXPECT_EQ(window->windowTitle(), "staff.norq" + kCaptionEnd);
}

TEST_F(ScriptState, SaveWritesInPlaceFromEveryViewWithTheFilesLineEnds) {
    // Script View, where Save did nothing: an edited statement reaches the file by Ctrl+S.
    const QString staff = writeFile("staff.norq", kTestScript);
    window->setViewMode(ViewMode::script);
    ASSERT_TRUE(window->openScriptFile(staff));
    int asked = 0;
    const QString fresh = MainWindowEnvironment::scratch() + "/fresh.norq";
    window->CommonDialog = [&](bool, const QString &, const QString &, const QString &) {
        ++asked;
        return fresh;
    };
    doublePress(window->CLP, rowsOfKind(RowKind::sql)[1], NorqSQL::textCol);
    typeAtEnd(window->TextEdit, " ORDER BY 1");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget *focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, Qt::Key_S, Qt::ControlModifier);
    const QByteArray saved = bytesOf(staff);
    EXPECT_TRUE(saved.contains(" ORDER BY 1\n")) << saved.data();
    EXPECT_FALSE(saved.contains('\r'));
    EXPECT_FALSE(window->windowTitle().contains('*'));

    // One line added in Text View is one more line in the file, with the file's line end.
    for (const QByteArray &end : {QByteArray("\n"), QByteArray("\r\n")}) {
        const QByteArray original = "/* {h1} Ends */" + end + "VALUES 1;" + end;
        const QString path = writeFile("ends.norq", QString::fromUtf8(original));
        window->setViewMode(ViewMode::text);
        ASSERT_TRUE(window->openScriptFile(path));
        typeAtEnd(window->FullEdit, "\nVALUES 2;");
        window->saveFile_Click();
        EXPECT_EQ(bytesOf(path), original + "VALUES 2;" + end);
    }
    EXPECT_EQ(asked, 0);

    // A script with no file yet goes to Save As; a new file gets CR LF.
    window->editNew_Click();
    EXPECT_EQ(window->windowTitle(), "Untitled" + kCaptionEnd);
    window->saveFile_Click();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(bytesOf(fresh).contains("SELECT * FROM EMPLOYEE\r\n"));
    EXPECT_EQ(window->windowTitle(), "fresh.norq" + kCaptionEnd);
}

TEST_F(ScriptState, ACopiedRowReachesTheClipboardWithLineFeeds) {
    QtWindowInterface qt;
    WindowInterface *previous = engine.ui;
    engine.ui = &qt;
    openScript(writeFile("staff.norq", kTestScript), ViewMode::edit);
    window->currentRow = rowsOfKind(RowKind::sql)[0];
    window->scriptCopy_Click();
    engine.ui = previous;
    EXPECT_EQ(QApplication::clipboard()->text(), "SELECT LASTNAME, SALARY\n  FROM EMPLOYEE;");
}
