// The window layer of a window-less run and its progress lines.

#include "app/batch_run.h"
#include "app/batch_window_interface.h"
#include "core/engine_state.h"
#include "printing.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// A FILE holding text to read, and one collecting what is written.
class Streams {
public:
    explicit Streams(const char *input) : in_(std::tmpfile()), err_(std::tmpfile()) {
        std::fputs(input, in_);
        std::rewind(in_);
    }
    ~Streams() {
        std::fclose(in_);
        std::fclose(err_);
    }
    FILE *in() const { return in_; }
    FILE *err() const { return err_; }
    QString written() const {
        std::fflush(err_);
        std::rewind(err_);
        QByteArray bytes;
        char buffer[256];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, err_)) > 0)
            bytes.append(buffer, static_cast<qsizetype>(n));
        return QString::fromLocal8Bit(bytes);
    }

private:
    FILE *in_;
    FILE *err_;
};

TEST(BatchWindowInterface, DefinedValuesAnswerWithoutAskingAnyone) {
    Streams streams("typed\n");
    BatchWindowInterface batch({{"DEPT", "A01"}}, true, streams.in(), streams.err());
    const auto answer = batch.askVariable("dept", "Enter Variable", "Which department?");
    EXPECT_FALSE(answer.refused);
    EXPECT_EQ(answer.value, "A01");
    EXPECT_TRUE(streams.written().isEmpty());
}

TEST(BatchWindowInterface, WithoutATerminalTheRefusalNamesTheVariableAndTheOption) {
    Streams streams("never read\n");
    BatchWindowInterface batch({}, false, streams.in(), streams.err());
    const auto answer = batch.askVariable("REGION", "Enter value for region", "");
    EXPECT_TRUE(answer.refused);
    EXPECT_TRUE(answer.reason.contains("REGION")) << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.contains("--define REGION=VALUE")) << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.contains("not a terminal")) << answer.reason.toStdString();
    EXPECT_TRUE(batch.inputBox("Title", "Prompt", "default").isEmpty());
    EXPECT_TRUE(streams.written().isEmpty());
}

TEST(BatchWindowInterface, OnATerminalItAsksAndReadsOneLinePerQuestion) {
    Streams streams("E21\r\nsecond answer\n");
    BatchWindowInterface batch({}, true, streams.in(), streams.err());
    const auto first = batch.askVariable("DEPT", "Enter value for dept", "");
    EXPECT_FALSE(first.refused);
    EXPECT_EQ(first.value, "E21");
    const auto second = batch.askVariable("WHO", "Enter Variable", "Whose salary?");
    EXPECT_EQ(second.value, "second answer");
    EXPECT_EQ(streams.written(), "Enter value for dept: Whose salary? ");
    // Input ended: nobody is left to answer.
    const auto third = batch.askVariable("MORE", "Enter value for more", "");
    EXPECT_TRUE(third.refused);
    EXPECT_TRUE(third.reason.contains("standard input ended")) << third.reason.toStdString();
}

TEST(BatchWindowInterface, MessageBoxesBecomeOneLineOnStandardError) {
    Streams streams("");
    BatchWindowInterface batch({}, false, streams.in(), streams.err());
    batch.messageBox("Pavona", "Can't open file:\r\n  /tmp/x.norq");
    EXPECT_EQ(streams.written(), "Pavona: Can't open file: /tmp/x.norq\n");
}

TEST(ProgressLine, NumberSummaryMessageAndTimeOnOneLine) {
    StatementRun run;
    run.number = 3;
    run.total = 17;
    run.summary = "SELECT *\r  FROM EMPLOYEE";
    run.seconds = 0.0042;
    EXPECT_EQ(progressLine(run, "42 record(s) selected. (0.004s)", false),
              "[3/17] SELECT * FROM EMPLOYEE ... 42 record(s) selected. (0.004s)");
    EXPECT_EQ(progressLine(run, "Command completed.", false),
              "[3/17] SELECT * FROM EMPLOYEE ... Command completed. (0.004s)");
    EXPECT_EQ(progressLine(run, "\r\nno such table: X\r\nSQLSTATE=42704", true),
              "[3/17] SELECT * FROM EMPLOYEE ... FAILED: no such table: X SQLSTATE=42704 (0.004s)");
    // Only a figure of seconds in the message's last parentheses is its time.
    EXPECT_TRUE(progressLine(run, "Waited. (12s)", false).endsWith("... Waited. (12s)"));
    EXPECT_TRUE(progressLine(run, "Unit (s)", false).endsWith("Unit (s) (0.004s)"));
    EXPECT_TRUE(progressLine(run, "Odd (1.s)", false).endsWith("Odd (1.s) (0.004s)"));
    EXPECT_TRUE(progressLine(run, "Odd (x1s)", false).endsWith("Odd (x1s) (0.004s)"));

    // A line with nothing to tidy is kept as it is; any blank other than one space is not.
    run.summary = "SELECT a,  b FROM t";
    EXPECT_TRUE(
        progressLine(run, "Done.", false).startsWith("[3/17] SELECT a, b FROM t ... Done."));
    run.summary = QString("SELECT ") + QChar(0x00A0) + "1 " + engine.lineMark + " FROM t ";
    EXPECT_TRUE(progressLine(run, " Done.", false).startsWith("[3/17] SELECT 1 FROM t ... Done."));

    // Escape sequences and NULs from the data reach the terminal as text.
    run.summary = QString("SELECT '\x1b[2J'") + QChar(0) + QChar(0x9b);
    EXPECT_EQ(progressLine(run, "bell\a", true),
              "[3/17] SELECT '\\x1B[2J'\\x00\\x9B ... FAILED: bell\\x07 (0.004s)");

    run.summary = QString(200, u'x') + engine.lineMark + "tail";
    const QString line = progressLine(run, "", false);
    EXPECT_FALSE(line.contains("tail"));
    EXPECT_TRUE(line.contains(u8"x\u2026 ... Command completed.")) << line.toStdString();
    EXPECT_LT(line.size(), 120);
}

} // namespace

TEST(BatchDrawing, OnlyAScriptThatMayDrawStartsTheDrawingLayer) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto mayDraw = [&](const QByteArray &text) {
        QFile file(dir.filePath("s.norq"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        return scriptMayDraw(file.fileName());
    };
    EXPECT_TRUE(mayDraw("SELECT 1;\nplot title 'x' x1 1;\n"));
    EXPECT_TRUE(mayDraw("RUN other.norq;\n"));
    EXPECT_TRUE(mayDraw("  &COMMAND title 'x';\n"));
    EXPECT_TRUE(mayDraw(QByteArray(3 << 20, ' ') + "PLOT x1 1;")); // beyond the first piece
    EXPECT_TRUE(mayDraw("SELECT 1;\r\r\t@chart.norq"));            // old Mac line ends, no last one
    EXPECT_TRUE(mayDraw("SELECT 1;\n-- then\nrun"));               // a word at the very end
    EXPECT_FALSE(mayDraw("SELECT start_date, plotted FROM t WHERE a = '&B';\n"));
    EXPECT_FALSE(mayDraw("RESTART_AT; SELECT x@y, RUNS FROM PLOTS;"));
    EXPECT_FALSE(scriptMayDraw(dir.filePath("missing.norq")));
}
