// Whole runs against the embedded engine, on a database in a temporary catalog.

#include "database/session.h"
#include "engine/dispatcher.h"
#include "engine/variables.h"
#include "fake_windows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString CR = QStringLiteral("\r");

class EmbeddedRun : public EngineTest {
protected:
    QTemporaryDir dir;

    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        const QString catalog = dir.filePath("data/pavona/databases");
        ASSERT_TRUE(QDir().mkpath(catalog));
        QFile db(catalog + "/RUNTEST.db");
        ASSERT_TRUE(db.open(QIODevice::WriteOnly));
        db.close();
        QString name = "RUNTEST", user, password;
        ASSERT_EQ(Norq_connect(name, user, password), 0) << engine.msgText.toStdString();
        ASSERT_TRUE(engine.connected);
        engine.gridMode = false;
    }
    void TearDown() override {
        run("SPOOL OFF");
        Norq_disconnect();
        EngineTest::TearDown();
    }

    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray read(const QString &name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static void run(const QString &text) { runScript(text, nullptr, nullptr); }
    static QString valueOf(const QString &name) {
        const int slot = var_find(name);
        return slot ? engine.vars[slot].value : QStringLiteral("<none>");
    }
    // Width of the dashes under the column names.
    static qsizetype firstLineWidth() {
        return engine.resultText.section(u'\r', 1, 1).trimmed().size();
    }
};

TEST_F(EmbeddedRun, SpoolWritesQueriesAsCommaLines) {
    run("CREATE TABLE T (A INTEGER, B VARCHAR(10));" + CR +
        "INSERT INTO T VALUES (1, 'x'), (2, 'y z');");
    const QString out = path("out.txt");
    run("SPOOL " + out + ";" + CR + "SELECT A, B FROM T ORDER BY A;" + CR + "-- kept as a line" +
        CR + "VALUES ('v');" + CR + "SPOOL OFF;");
    EXPECT_EQ(read("out.txt"), "1,x\r\n2,y z\r\nv\r\n");
    EXPECT_EQ(engine.msgText, "Command completed.");

    run("SPOOL " + out + ";" + CR + "SELECT A FROM T WHERE A > 5;");
    EXPECT_EQ(engine.msgText, "No records found.");
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_TRUE(engine.spoolOpen);
    run("SPOOL OFF");
    EXPECT_EQ(read("out.txt"), "");
}

TEST_F(EmbeddedRun, SpoolRefusesRowsWiderThanTheBuffer) {
    QStringList columns;
    for (int i = 1; i <= 8; ++i)
        columns << QStringLiteral("C%1 VARCHAR(4000)").arg(i);
    run("CREATE TABLE W (" + columns.join(", ") + ");" + CR + "INSERT INTO W (C1) VALUES ('a');");
    run("SPOOL " + path("wide.txt") + ";" + CR + "SELECT * FROM W;");
    EXPECT_EQ(engine.msgText,
              "Maximum output record length exceeded - reduce the number of columns.");
    run("SELECT C1, C2 FROM W;" + CR + "SPOOL OFF;");
    EXPECT_EQ(read("wide.txt"), "a,\r\n");
}

TEST_F(EmbeddedRun, PromptBecomesTheRunsServerOutput) {
    // The apostrophe leaves the line's ";" quoted, so a "/" line ends the statement.
    run("PROMPT It's done" + CR + "/" + CR + "DEFINE x 1;" + CR + "PROMPT second line;");
    EXPECT_EQ(engine.serverOutput, "It`s done\rsecond line");
    EXPECT_EQ(engine.resultKind, 3);
    run("DEFINE y 2");
    EXPECT_EQ(engine.serverOutput, "");
    EXPECT_EQ(engine.resultKind, 0);
    // Output switched off by one run is on again for the next.
    run("CALL DBMS_OUTPUT.DISABLE");
    run("PROMPT third line;");
    EXPECT_EQ(engine.serverOutput, "third line");
}

TEST_F(EmbeddedRun, TracingShowsTheDatabasesMessage) {
    engine.traceOn = true;
    run("SELECT * FROM NO_SUCH_TABLE;" + CR + "DEFINE x 1;");
    ASSERT_EQ(windows.history.size(), 2u);
    EXPECT_EQ(windows.history[1].colour, QColor(255, 0, 0));
    EXPECT_TRUE(windows.history[1].status.contains("NO_SUCH_TABLE", Qt::CaseInsensitive))
        << windows.history[1].status.toStdString();
    EXPECT_EQ(windows.history[2].colour, QColor(0, 255, 0));
    EXPECT_EQ(windows.history[2].status, "Command completed.");
}

TEST_F(EmbeddedRun, ColumnFormatsChangeTheTextWidth) {
    run("CREATE TABLE P (NAME VARCHAR(60));" + CR + "INSERT INTO P VALUES ('short');");
    run("SELECT NAME FROM P");
    const qsizetype plain = firstLineWidth();
    run("COLUMN name FORMAT A40;" + CR + "SELECT NAME FROM P;");
    EXPECT_EQ(firstLineWidth(), plain + 20) << engine.resultText.toStdString();
    run("COLUMN CLEAR;" + CR + "SELECT NAME FROM P;");
    EXPECT_EQ(firstLineWidth(), plain);
}

TEST_F(EmbeddedRun, ExecuteAndTheVariableListing) {
    run("EXECUTE VALUES 6*7");
    EXPECT_EQ(valueOf("RESULT"), "42");
    run("EXECUTE");
    EXPECT_EQ(valueOf("RESULT"), "");
    run("OPTION MAXDISPLAY 100;" + CR + "DEFINE quoted \"it's\";" + CR + "DEFINE;");
    EXPECT_TRUE(engine.resultText.contains("QUOTED")) << engine.resultText.toStdString();
    EXPECT_TRUE(engine.resultText.contains("it's"));
    EXPECT_TRUE(engine.resultText.contains("9.7.0"));
}

} // namespace
