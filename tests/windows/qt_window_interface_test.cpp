#include "core/engine_state.h"
#include "windows/qt_window_interface.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct RecordingSink : RunHistorySink {
    QStringList calls;
    void historyClear() override { calls << "clear"; }
    void historyAppend(int number, const QString &summary, const QString &status) override {
        calls << QString("append %1 %2 %3").arg(number).arg(summary, status);
    }
    void historySetStatus(int number, const QColor &colour, const QString &text) override {
        calls << QString("status %1 %2 %3").arg(number).arg(colour.name(), text);
    }
};

} // namespace

TEST(QtWindowInterface, ClipboardCarriesTextAndPictures) {
    WindowInterface *before = engine.ui;
    QtWindowInterface *ui = installQtWindowInterface();
    EXPECT_EQ(engine.ui, ui);
    engine.ui = before;
    ui->setClipboardText("select 1");
    EXPECT_EQ(ui->clipboardText(), "select 1");
    // The program's CR line breaks reach other programs as LF.
    ui->setClipboardText("select 1\rfrom t\r\nwhere x");
    EXPECT_EQ(QApplication::clipboard()->text(), "select 1\nfrom t\nwhere x");

    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ui->setClipboardImage(picture);
    const QImage back = ui->clipboardImage();
    ASSERT_EQ(back.size(), picture.size());
    EXPECT_EQ(back.pixelColor(1, 1), QColor(Qt::red));

    ui->clearClipboard();
    EXPECT_TRUE(ui->clipboardText().isEmpty());
    EXPECT_TRUE(ui->clipboardImage().isNull());
}

TEST(QtWindowInterface, EnterGivesTheAnswerTheQuestionProposes) {
    QtWindowInterface ui;
    // Enter on the box as it comes up; the button it chose by default answers.
    const auto pressEnter = [] {
        QTimer::singleShot(0, [] {
            QWidget *box = QApplication::activeModalWidget();
            if (box) QTest::keyClick(box, Qt::Key_Return);
        });
    };
    pressEnter();
    EXPECT_TRUE(ui.offerYesNo("Pavona", "Create the sample database SAMPLE?"));
    pressEnter();
    EXPECT_FALSE(ui.askYesNo("Pavona", "Go on?"));
}

TEST(QtWindowInterface, BusyPointerIsOnOrOffNeverStacked) {
    QtWindowInterface ui;
    ui.setBusyPointer(true);
    ui.setBusyPointer(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.setBusyPointer(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui.setBusyPointer(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtWindowInterface, RunHistoryGoesToTheSink) {
    QtWindowInterface ui;
    ui.historyAppend(1, "dropped", "Running..."); // no sink yet: nothing happens
    RecordingSink sink;
    ui.setHistorySink(&sink);
    ui.historyClear();
    ui.historyAppend(1, "select 1", "Running...");
    ui.historySetStatus(1, QColor(0, 255, 0), "Command completed.");
    EXPECT_EQ(sink.calls, QStringList({"clear", "append 1 select 1 Running...",
                                       "status 1 #00ff00 Command completed."}));
}
