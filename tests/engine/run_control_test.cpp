// Ending a statement from outside it: a time limit and a stop from the user, checked by
// what came of the statement and of its child, never by how long it took.

#include "engine/dispatcher.h"
#include "engine/run_control.h"
#include "runners_fixture.h"

#include <QTimer>

namespace {

std::string text(const QString &value) {
    return value.toStdString();
}

// The process group a shell statement wrote to shell.pid (its own $$).
qint64 shellGroup(const QString &folder) {
    QFile file(QDir(folder).filePath(QStringLiteral("shell.pid")));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

class RunControlTest : public RunnersTest {
protected:
    void TearDown() override {
        run_control::setStatementLimit(0);
        RunnersTest::TearDown();
    }
    static void runText(const QString &text) { runScript(text, nullptr, nullptr); }
};

} // namespace

TEST_F(RunControlTest, ATimeLimitEndsTheStatementAndItsChildAndTheRunGoesOn) {
    run_control::setStatementLimit(1);
    runText(
        QStringLiteral("HOST echo $$ > shell.pid\rsleep 30 | sleep 30;\rHOST touch next.flag;"));
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(text(engine.msgText), "Statement 1 of 2 failed: Stopped: the statement ran longer "
                                    "than the limit of 1 second(s).");
    const qint64 group = shellGroup(work.path());
    ASSERT_GT(group, 0);
    EXPECT_FALSE(groupHasLiveProcess(group));
    EXPECT_TRUE(QFile::exists(QStringLiteral("next.flag")));
    EXPECT_FALSE(engine.stopRun);
}

TEST_F(RunControlTest, AStopFromTheUserEndsTheChildAndTheRun) {
    EXPECT_FALSE(run_control::stopRunByUser()); // nothing runs: nothing to stop
    QTimer::singleShot(300, [] { EXPECT_TRUE(run_control::stopRunByUser()); });
    runText(QStringLiteral("HOST echo $$ > shell.pid\rsleep 30;\rHOST touch next.flag;"));
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(text(engine.msgText),
              "Statement 1 of 2 failed: Stopped by the user.\rStatement 2 of 2 was not run.");
    EXPECT_TRUE(engine.stopRun);
    EXPECT_FALSE(groupHasLiveProcess(shellGroup(work.path())));
    EXPECT_FALSE(QFile::exists(QStringLiteral("next.flag")));

    // The next run is the user's own again.
    runText(QStringLiteral("HOST touch next.flag"));
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_TRUE(QFile::exists(QStringLiteral("next.flag")));
}
