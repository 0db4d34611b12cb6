#include "core/text_files.h"
#include "core/variables.h"
#include "engine/dispatch_table.h"
#include "engine/dispatcher.h"
#include "engine/runners_process.h"
#include "fake_windows.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

const QString CR = QStringLiteral("\r");

class Dispatcher : public EngineTest {
protected:
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString &name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    static QString valueOf(const QString &name) {
        const int slot = var_find(name);
        return slot ? engine.vars[slot].value : QStringLiteral("<none>");
    }
    static void run(const QString &text) { runScript(text, nullptr, nullptr); }
};

TEST_F(Dispatcher, AnEmptyTextLeavesTheMessageAlone) {
    engine.msgText = "earlier";
    run("  \r \t ");
    EXPECT_EQ(engine.msgText, "earlier");
    run("DEFINE x 1");
    EXPECT_EQ(engine.msgText, "Command completed.");
    run("DEFINE lf 1;\nDEFINE crlf 2;\r\nDEFINE cr 3;");
    EXPECT_EQ(valueOf("LF"), "1");
    EXPECT_EQ(valueOf("CRLF"), "2");
    EXPECT_EQ(valueOf("CR"), "3");
}

TEST_F(Dispatcher, CommandsOfOtherShellsFailWithoutReachingTheDatabase) {
    run("\\set ON_ERROR_STOP on" + CR + "DEFINE after 1;");
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(engine.msgText, "Statement 1 of 2 failed: \\set is a command of another SQL shell, "
                              "not SQL: it was not run.");
    EXPECT_EQ(valueOf("after"), "1");
}

TEST_F(Dispatcher, WithoutAConnectionTheRunStopsAtTheFirstQuery) {
    run("DEFINE first 1;" + CR + "SELECT * FROM T;" + CR + "DEFINE third 3;");
    EXPECT_EQ(valueOf("FIRST"), "1");
    EXPECT_EQ(engine.msgText,
              "Statement 2 of 3 failed: No connection exists.\rStatement 3 of 3 was not run.");
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_TRUE(engine.stopRun);
    EXPECT_EQ(var_find("third"), 0);
}

TEST_F(Dispatcher, OptionKeepsItsBounds) {
    auto option = [](const QString &text) { run("OPTION " + text); };
    option("MAXDISPLAY 2");
    EXPECT_EQ(engine.maxDisplay, 5);
    engine.maxRows = 100;
    option("maxdisplay=2000");
    EXPECT_EQ(engine.maxDisplay, 1000);
    EXPECT_EQ(engine.maxRows, 1000);
    option("MAXROWS 0");
    EXPECT_EQ(engine.maxRows, 1000);
    option("MAXDISPLAY 6.5");
    EXPECT_EQ(engine.maxDisplay, 6);
    option("MAXDISPLAY 7.5xyz");
    EXPECT_EQ(engine.maxDisplay, 8);
    option("MAXROWS 0");
    EXPECT_EQ(engine.maxRows, 8);
    option("MAXROWS 40000");
    EXPECT_EQ(engine.maxRows, 32000);
    option("MAXROWS abc");
    EXPECT_EQ(engine.maxRows, 8);
    // Values beyond 32 bits change nothing.
    for (const char *big : {"MAXROWS 3000000000", "MAXROWS -2147483649", "MAXDISPLAY 1e300"}) {
        option(big);
        EXPECT_EQ(engine.maxRows, 8) << big;
        EXPECT_EQ(engine.maxDisplay, 8) << big;
    }
    // A setting it does not know fails rather than pass for done.
    option("COLOUR 3");
    EXPECT_EQ(engine.maxRows, 8);
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_TRUE(engine.msgText.startsWith("OPTION COLOUR 3: not an option setting."))
        << engine.msgText.toStdString();
    option("SUBSTITUTION OFF");
    EXPECT_EQ(engine.msgCode, 0);
    EXPECT_FALSE(engine.substitution);
    option("substitution on");
    EXPECT_TRUE(engine.substitution);
}

TEST_F(Dispatcher, TestListsItsArguments) {
    run("TEST a 'b c' d=e \"\"");
    EXPECT_EQ(engine.resultKind, 2);
    EXPECT_EQ(engine.outputText, "Test Command\r------------\rParameter Count=5\rParm(1)=a\r"
                                 "Parm(2)=b c\rParm(3)=d\rParm(4)=e\rParm(5)=\r");
    run("TEST");
    EXPECT_EQ(engine.outputText, "Test Command\r------------\rParameter Count=0\r");
}

TEST_F(Dispatcher, ColumnFormatsAreDollarVariables) {
    run("COLUMN salary FORMAT 999999;" + CR + "column Name format a20;" + CR +
        "COLUMN bonus FORMAT 9,999.99;" + CR + "COLUMN odd FORMAT A9.9;" + CR + "DEFINE keep yes;");
    EXPECT_EQ(valueOf("$SALARY"), "######");
    EXPECT_EQ(valueOf("$NAME"), "A20");
    EXPECT_EQ(valueOf("$BONUS"), "#,###.##");
    EXPECT_EQ(valueOf("$ODD"), "####");
    run("COLUMN salary");
    EXPECT_EQ(var_find("$SALARY"), 0);
    run("COLUMN name other");
    EXPECT_EQ(valueOf("$NAME"), "A20");
    run("COLUMN name clear");
    EXPECT_EQ(var_find("$NAME"), 0);
    run("COLUMN CLEAR");
    EXPECT_EQ(var_find("$BONUS"), 0);
    EXPECT_EQ(var_find("$ODD"), 0);
    EXPECT_EQ(valueOf("KEEP"), "yes");
    EXPECT_NE(var_find("VERSION"), 0);
}

TEST_F(Dispatcher, EraseFollowsShellWildcards) {
    for (const char *name : {"a1.tmp", "a2.tmp", "abc.tmp", "b.tmp", ".hidden.tmp", "keep.txt"})
        write(name, "x");
    run("ERASE " + path("a?.tmp"));
    EXPECT_EQ(engine.msgText, "File erased: " + path("a?.tmp"));
    EXPECT_FALSE(QFile::exists(path("a1.tmp")));
    EXPECT_FALSE(QFile::exists(path("a2.tmp")));
    EXPECT_TRUE(QFile::exists(path("abc.tmp")));
    run("ERASE " + path("*.tmp"));
    EXPECT_FALSE(QFile::exists(path("abc.tmp")));
    EXPECT_FALSE(QFile::exists(path("b.tmp")));
    EXPECT_TRUE(QFile::exists(path(".hidden.tmp")));
    run("ERASE " + path("[jk]eep.txt"));
    EXPECT_FALSE(QFile::exists(path("keep.txt")));
    run("ERASE " + path(".hidden.tmp"));
    EXPECT_FALSE(QFile::exists(path(".hidden.tmp")));
    run("ERASE " + path("nothing-here"));
    EXPECT_EQ(engine.msgText, "File erased: " + path("nothing-here"));
    EXPECT_TRUE(QDir(dir.path()).exists());
}

TEST_F(Dispatcher, ViewfileShowsTextAndPictures) {
    write("notes.txt", "first\r\nsecond\n");
    run("VIEWFILE " + path("notes.txt"));
    EXPECT_EQ(engine.resultKind, 2);
    EXPECT_EQ(engine.outputText, "first\rsecond");

    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path("red.png")));
    ASSERT_TRUE(picture.save(path("red.bmp")));
    ASSERT_TRUE(picture.save(path("red.jpg")));
    for (const char *name : {"red.png", "red.bmp", "red.jpg"}) {
        windows.picture = QImage();
        run(QStringLiteral("VIEWFILE ") + path(name));
        EXPECT_EQ(engine.resultKind, 4) << name;
        EXPECT_EQ(windows.picture.size(), QSize(4, 3)) << name;
    }

    write("broken.gif", "not a picture");
    run("VIEWFILE " + path("broken.gif"));
    EXPECT_EQ(engine.resultKind, 0);
    EXPECT_TRUE(engine.msgText.startsWith("Cannot read picture: "));
    EXPECT_EQ(engine.msgCode, -1);
    run("VIEWFILE " + path("missing.txt"));
    EXPECT_EQ(engine.msgText, "File not found.");
    run("VIEWFILE");
    EXPECT_EQ(engine.msgText, "No arguments supplied.");
}

TEST_F(Dispatcher, RunOfAMissingFileRunsNothing) {
    run("RUN " + path("missing.sql") + ";" + CR + "DEFINE after 1;");
    EXPECT_EQ(valueOf("after"), "1");
    run("RUN " + path("missing.sql"));
    EXPECT_EQ(engine.msgText, "File Error: " + path("missing.sql") + "\rNo such file or directory");
    EXPECT_EQ(engine.msgCode, -1);
    run("RUN " + dir.path());
    EXPECT_EQ(engine.msgText, "File Error: " + dir.path() + "\rIs a directory");
}

// A device or a pipe is refused before it is opened: reading one would never end.
TEST_F(Dispatcher, SpecialFilesAreRefusedAndTextIsBounded) {
    const QString fifo = path("pipe.sql");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString &special : {QStringLiteral("/dev/zero"), fifo}) {
        run("VIEWFILE " + special);
        EXPECT_EQ(engine.msgText,
                  "Cannot view " + special + "\rNot a regular file (a device, a pipe or a socket)");
        run("RUN " + special);
        EXPECT_EQ(engine.msgText,
                  "File Error: " + special + "\rNot a regular file (a device, a pipe or a socket)");
        EXPECT_EQ(engine.msgCode, -1);
    }
    ASSERT_TRUE(QFile::link("/dev/zero", path("zero.gif")));
    run("VIEWFILE " + path("zero.gif"));
    EXPECT_EQ(engine.msgText, "Cannot read picture: " + path("zero.gif") +
                                  "\rNot a regular file (a device, a pipe or a socket)");

    // RUN refuses a script longer than it may read, rather than run its first part.
    write("long.sql", QByteArray("DEFINE ran 1;\n").repeated(10001));
    run("RUN " + path("long.sql"));
    EXPECT_EQ(engine.msgText, "File Error: " + path("long.sql") + "\rMore than 10000 lines");
    EXPECT_EQ(var_find("RAN"), 0);
    write("long.txt", QByteArray("line\n").repeated(10005));
    run("VIEWFILE " + path("long.txt"));
    EXPECT_EQ(engine.outputText.count(u'\r'), 9999);

    // Few lines but more bytes than are read: its first part is not taken for the whole.
    QFile huge(path("huge.sql"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.write("DEFINE ran 1;\n") > 0 &&
                huge.resize(kMaxTextBytes + 1));
    huge.close();
    run("RUN " + path("huge.sql"));
    EXPECT_EQ(engine.msgText, "File Error: " + path("huge.sql") + "\rLarger than 64 MB");
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(var_find("RAN"), 0);
    run("VIEWFILE " + path("huge.sql"));
    EXPECT_EQ(engine.msgText, "Cannot view " + path("huge.sql") + "\rLarger than 64 MB");
    // A work file is not where it used to be; the message says where.
    run("VIEWFILE " + path("NORQCMDS.OUT"));
    EXPECT_EQ(engine.msgText,
              "File not found. The work files of this program are in " + workFolder() + ".");
}

TEST_F(Dispatcher, SubstitutionStopsAtTheStatementLimitAndTheRunGoesOn) {
    engine.maxStatementChars = 1000;
    QString doublings = "DEFINE A0 0123456789;";
    for (int i = 1; i <= 7; ++i)
        doublings += CR + QStringLiteral("DEFINE A%1=&A%2&A%2;").arg(i).arg(i - 1);
    run(doublings + CR + "DEFINE after 1;");
    engine.maxStatementChars = kMaxStatementChars;
    EXPECT_EQ(valueOf("A6").size(), 640);
    EXPECT_EQ(valueOf("A7"), "<none>");
    EXPECT_EQ(valueOf("after"), "1");
    EXPECT_TRUE(engine.msgText.contains("Statement 8 of 9 failed: With its variables filled in, "
                                        "the statement would be longer than the limit of 1000 "
                                        "characters"))
        << engine.msgText.toStdString();
}

TEST_F(Dispatcher, ANestedRunSharesItsVariables) {
    write("inner.sql", "-- set by the inner script\r\nDEFINE inner 'from inside';\r\n");
    run("START " + path("inner.sql") + ";" + CR + "DEFINE copy '&inner.';");
    EXPECT_EQ(valueOf("COPY"), "from inside.");
    EXPECT_TRUE(windows.prompts.empty());

    // A script that runs itself ends with a message, not with the stack.
    write("loop.sql", ("RUN " + path("loop.sql")).toUtf8());
    run("RUN " + path("loop.sql"));
    EXPECT_TRUE(engine.msgText.startsWith("File Error: " + path("loop.sql")));
}

TEST_F(Dispatcher, PutBlocksAndSpoolFailures) {
    const QString out = path("out.txt");
    run("SPOOL " + out + ";" + CR + "PUT first line" + CR + "  second -- cut" + CR + "/" + CR +
        "PUT third;" + CR + "/");
    // Once the file is open, "--" is no longer a comment.
    run("PUT fourth -- kept" + CR + "/" + CR + "SPOOL OFF;");
    EXPECT_FALSE(engine.spoolOpen);
    EXPECT_EQ(read("out.txt"), "first line\r\n  second\r\nthird;\r\nfourth -- kept\r\n");

    run("PUT nowhere");
    EXPECT_EQ(engine.msgText, "Not defined");
    EXPECT_EQ(engine.msgCode, -1);

    const QString bad = path("no/such/folder/out.txt");
    run("SPOOL " + bad);
    EXPECT_EQ(engine.msgText, bad + ": No such file or directory");
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_FALSE(engine.spoolOpen);
    run("SPOOL " + dir.path());
    EXPECT_TRUE(engine.msgText.startsWith(dir.path() + ": ") &&
                engine.msgText.contains("directory", Qt::CaseInsensitive))
        << engine.msgText.toStdString();
    // A full disk.
    run("SPOOL /dev/full;" + CR + "PUT lost");
    EXPECT_EQ(engine.msgText, "Statement 2 of 2 failed: /dev/full: No space left on device");
    run("SPOOL");
    EXPECT_EQ(engine.msgText, "No arguments supplied.");
}

TEST_F(Dispatcher, TracingMarksEachStatement) {
    engine.traceOn = true;
    run("DEFINE x 1;" + CR + "UNDEFINE;" + CR + "TEST");
    ASSERT_EQ(windows.history.size(), 3u);
    EXPECT_EQ(windows.history[1].summary, "DEFINE x 1;");
    EXPECT_EQ(windows.history[1].status, "Command completed.");
    EXPECT_EQ(windows.history[1].colour, QColor(0, 255, 0));
    EXPECT_EQ(windows.history[2].status, "No arguments supplied.");
    EXPECT_EQ(windows.history[2].colour, QColor(255, 0, 0));
    EXPECT_EQ(windows.history[3].status, "Command completed.");
    EXPECT_EQ(windows.history[3].colour, QColor(0, 255, 0));

    // Each row shows its own statement's outcome; the run's is the failure among them.
    EXPECT_EQ(engine.msgCode, -1);
    EXPECT_EQ(engine.msgText, "Statement 2 of 3 failed: No arguments supplied.");

    // A nested run adds its rows after the row of its RUN statement.
    write("two.sql", "TEST;\nUNDEF;\n");
    run("RUN " + path("two.sql") + ";" + CR + "TEST");
    EXPECT_EQ(windows.historyClears, 2);
    ASSERT_EQ(windows.history.size(), 4u);
    EXPECT_TRUE(windows.history[1].summary.startsWith("RUN "));
    EXPECT_EQ(windows.history[3].colour, QColor(255, 0, 0));
    EXPECT_EQ(windows.history[4].summary, "TEST");

    // A password never shows, the statement runs with it.
    var_add("pw", "s3cret");
    run("CONNECT TO NOSUCHDB USER auditor USING &pw");
    ASSERT_EQ(windows.history.size(), 1u);
    EXPECT_EQ(windows.history[1].summary, "CONNECT TO NOSUCHDB USER auditor USING ********");
    EXPECT_FALSE(windows.history[1].status.contains("s3cret"));
}

TEST_F(Dispatcher, WaitsWhileAnExternalCommandRuns) {
    // NOP has no handler of its own; here it stands for a runner that starts a
    // child.
    registerCommand("NOP", [](const CommandContext &) { engine.busy = true; });
    int rounds = 0;
    windows.onEvents = [&] {
        if (++rounds == 3) engine.busy = false;
    };
    run("NOP;" + CR + "DEFINE after 1;");
    registerCommand("NOP", nullptr);
    EXPECT_EQ(rounds, 3);
    EXPECT_EQ(valueOf("after"), "1");
}

TEST_F(Dispatcher, BadScriptsEndInAMessage) {
    run("PUT never ends;" + CR + "DEFINE inside 1;");
    EXPECT_EQ(var_find("inside"), 0);
    EXPECT_EQ(engine.msgText, "Not defined");

    QByteArray junk;
    for (int i = 0; i < 5000; ++i) {
        const char byte = char((i * 131 + 7) % 256);
        junk += byte == '!' ? '?' : byte; // no shell commands out of the junk
    }
    write("junk.sql", junk);
    run("RUN " + path("junk.sql"));
    EXPECT_FALSE(engine.msgText.isEmpty());
}

} // namespace
