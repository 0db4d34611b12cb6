#pragma once
// Runs runner commands for real in a scratch working folder, with an event loop for the
// polling timer and every wait bounded.

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/quoting.h"
#include "core/window_interface.h"
#include "engine/dispatch_table.h"
#include "engine/runners.h"
#include "engine/runners_process.h"
#include "engine/statements.h"
#include "tests/process_groups.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

class RunnersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = PAVONA_BIN_DIR "/test_engine";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv); // lives as long as the test program
        }
        set_messages();
        registerRunnerCommands();
    }

    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(work.path());
        // The work folder lasts as long as the test program: each test starts it empty.
        const auto entries = QDir(workFolder())
                                 .entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                                QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            if (entry.isDir() && !entry.isSymLink())
                QDir(entry.filePath()).removeRecursively();
            else
                QFile::remove(entry.filePath());
        }
        previousUi = engine.ui;
        engine.ui = &windows;
        engine.busy = false;
        engine.processId = 0;
        engine.stopRun = false;
        engine.outputText.clear();
        engine.resultKind = kResultMessage;
        engine.msgText.clear();
        engine.msgCode = 0;
    }

    void TearDown() override {
        waitForChild();
        engine.busy = false;
        engine.ui = previousUi;
        QDir::setCurrent(previousFolder);
    }

    // Parses and dispatches one statement the way a run does.
    void run(const QString &statement) {
        const QString keyword = parseCommand(statement);
        const CommandHandler *handler = findCommand(keyword);
        ASSERT_NE(handler, nullptr) << keyword.toStdString();
        (*handler)(CommandContext{});
    }

    // Lets the polling timer run until the runner is no longer busy; false on time-out.
    bool waitWhileBusy(int timeoutMs = 20000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (engine.busy && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
        return !engine.busy;
    }

    // Waits for a child left running (NOWAIT) so the scratch folder can go.
    void waitForChild(int timeoutMs = 20000) {
        const QDeadlineTimer deadline(timeoutMs);
        while (isProcessRunning(engine.processId) && !deadline.hasExpired())
            QThread::msleep(20);
    }

    QByteArray fileBytes(const QString &name) const {
        QFile file(QDir(work.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QString &name, const QByteArray &bytes) const {
        QFile file(QDir(work.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray workBytes(const QString &name) const {
        QFile file(workFilePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void putWorkFile(const QString &name, const QByteArray &bytes) const {
        QFile file(workFilePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A work file as a command line names it.
    static QByteArray inWork(const char *name) {
        return shellQuoted(workFilePath(QString::fromLatin1(name))).toUtf8();
    }

    QTemporaryDir work;
    SilentWindowInterface windows;

private:
    QString previousFolder;
    WindowInterface *previousUi = nullptr;
};
