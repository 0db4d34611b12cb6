#include "app/batch_options.h"
#include "app/batch_watch.h"
#include "export/export.h"
#include "printing.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

CommandLine parse(const QStringList &arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, WithoutDoubleDashOptionsTheInteractiveCommandLineStands) {
    EXPECT_EQ(parse({}).mode, StartMode::interactive);
    EXPECT_EQ(parse({"-SQL"}).mode, StartMode::interactive);
    EXPECT_EQ(parse({"-sql"}).mode, StartMode::interactive);
    EXPECT_TRUE(parse({"-SQL"}).openFile.isEmpty());
    // A script named as the desktop entry names it opens in the main window.
    const CommandLine named = parse({"/home/ann/My Reports/staff.norq", "second.norq"});
    EXPECT_EQ(named.mode, StartMode::interactive);
    EXPECT_EQ(named.openFile, "/home/ann/My Reports/staff.norq");
    EXPECT_EQ(parse({"--create-sample"}).mode, StartMode::createSample);
    EXPECT_EQ(parse({"--help"}).mode, StartMode::help);
    EXPECT_EQ(parse({"-h"}).mode, StartMode::help);
    EXPECT_EQ(parse({"--version"}).mode, StartMode::version);
    // Help wins over everything else on the line, mistakes included.
    EXPECT_EQ(parse({"--run", "x.norq", "--format", "pdf", "--help"}).mode, StartMode::help);
}

TEST(CommandLine, RunReadsEveryOption) {
    const CommandLine line =
        parse({"--run", "lib/staff.norq", "--database", "payroll", "--user", "ann", "--password",
               "s=cret", "--define", "dept=A01", "--define", "Where=x = 'y'", "--define",
               "empty=", "--export", "out/staff.HTML", "--allow-errors"});
    ASSERT_EQ(line.mode, StartMode::batch) << line.error.toStdString();
    const BatchOptions &batch = line.batch;
    EXPECT_EQ(batch.script, "lib/staff.norq");
    EXPECT_EQ(batch.database, "payroll");
    EXPECT_EQ(batch.user, "ann");
    EXPECT_EQ(batch.password, "s=cret");
    EXPECT_TRUE(batch.passwordGiven);
    ASSERT_EQ(batch.defines.size(), 3);
    EXPECT_EQ(batch.defines[0], std::make_pair(QString("DEPT"), QString("A01")));
    EXPECT_EQ(batch.defines[1], std::make_pair(QString("WHERE"), QString("x = 'y'")));
    EXPECT_EQ(batch.defines[2], std::make_pair(QString("EMPTY"), QString()));
    EXPECT_EQ(batch.exportPath, "out/staff.HTML");
    EXPECT_EQ(batch.exportType, ExportType::htmlPage);
    EXPECT_TRUE(batch.allowErrors);
    EXPECT_FALSE(batch.noTimings);

    // The row limits take the whole range OPTION keeps them to.
    const CommandLine limits =
        parse({"--run", "a.norq", "--max-display", "5", "--max-rows=32000", "--no-timings"});
    ASSERT_EQ(limits.mode, StartMode::batch) << limits.error.toStdString();
    EXPECT_EQ(limits.batch.maxDisplay, 5);
    EXPECT_EQ(limits.batch.maxRows, 32000);
    EXPECT_TRUE(limits.batch.noTimings);

    const CommandLine plain = parse({"--run=a.norq"});
    ASSERT_EQ(plain.mode, StartMode::batch);
    EXPECT_EQ(plain.batch.database, "SAMPLE");
    EXPECT_FALSE(plain.batch.passwordGiven);
    EXPECT_TRUE(plain.batch.exportPath.isEmpty());
    EXPECT_FALSE(plain.batch.allowErrors);
}

TEST(CommandLine, TheExportFormatComesFromFormatOrElseTheExtension) {
    const auto typeOf = [](const QStringList &extra) {
        const CommandLine line = parse(QStringList{"--run", "a.norq"} + extra);
        return line.mode == StartMode::batch ? line.batch.exportType : -1;
    };
    EXPECT_EQ(typeOf({"--export", "a.htm"}), ExportType::htmlPage);
    EXPECT_EQ(typeOf({"--export", "a.txt"}), ExportType::text);
    EXPECT_EQ(typeOf({"--export", "a.txt", "--format", "html-plain"}), ExportType::htmlPlain);
    EXPECT_EQ(typeOf({"--export", "report", "--format", "TEXT"}), ExportType::text);
    EXPECT_EQ(typeOf({"--export", "a.htm", "--format", "html"}), ExportType::htmlPage);
    EXPECT_EQ(typeOf({"--export", "a.md"}), ExportType::markdown);
    EXPECT_EQ(typeOf({"--export", "a.IPYNB"}), ExportType::notebook);
    // .html stays the page of old; the one-file page is asked for by name.
    EXPECT_EQ(typeOf({"--export", "a.html"}), ExportType::htmlPage);
    EXPECT_EQ(typeOf({"--export", "a.html", "--format", "html-standalone"}),
              ExportType::htmlStandalone);
    EXPECT_EQ(typeOf({"--export", "a", "--format", "markdown"}), ExportType::markdown);
    EXPECT_EQ(typeOf({"--export", "a", "--format", "ipynb"}), ExportType::notebook);
    EXPECT_EQ(typeOf({"--export", "data.JSON"}), ExportType::json);
    EXPECT_EQ(typeOf({"--export", "a.txt", "--format", "json"}), ExportType::json);
    EXPECT_EQ(typeOf({"--export", "a.pdf"}), -1);
    EXPECT_EQ(typeOf({"--export", "a.htm", "--format", "pdf"}), -1);
}

TEST(CommandLine, MistakesAreUsageErrorsThatSayWhatIsWrong) {
    const auto errorOf = [](const QStringList &arguments) {
        const CommandLine line = parse(arguments);
        return line.mode == StartMode::usageError ? line.error : QStringLiteral("<accepted>");
    };
    EXPECT_TRUE(errorOf({"--rum", "a.norq"}).contains("rum"));
    EXPECT_TRUE(errorOf({"--run"}).contains("--run"));
    EXPECT_TRUE(errorOf({"--run", ""}).contains("script"));
    EXPECT_TRUE(errorOf({"--database", "X"}).contains("--run SCRIPT"));
    EXPECT_TRUE(errorOf({"--run", "a.norq", "b.norq"}).contains("b.norq"));
    // What it quotes stays on its line and cannot steer the terminal.
    EXPECT_TRUE(errorOf({"--x\n\x1b[2J"}).contains("x\\x0A\\x1B[2J"));
    EXPECT_TRUE(errorOf({"--run", "a.norq", "--define", "dept"}).contains("'dept'"));
    EXPECT_TRUE(errorOf({"--run", "a.norq", "--define", "=A01"}).contains("NAME=VALUE"));
    EXPECT_TRUE(errorOf({"--run", "a.norq", "--define", "my-var=1"}).contains("my-var"));
    EXPECT_TRUE(errorOf({"--run", "a.norq", "--format", "text"}).contains("--export"));
    EXPECT_TRUE(errorOf({"--run", "a.norq", "--export", "a.pdf"}).contains("--format"));
    EXPECT_TRUE(
        errorOf({"--run", "a.norq", "--export", "a.htm", "--format", "pdf"}).contains("'pdf'"));
    EXPECT_TRUE(errorOf({"--run", "a.norq", "--database", " "}).contains("--database"));
    EXPECT_TRUE(errorOf({"-SQL", "--run", "a.norq"}).contains("SQL"));
    // One dash is a typing mistake, with or without other options; a value may have one.
    EXPECT_EQ(errorOf({"-run", "a.norq"}), "Unknown option '-run': did you mean --run?");
    EXPECT_EQ(errorOf({"--run", "a.norq", "-export", "a.txt"}),
              "Unknown option '-export': did you mean --export?");
    EXPECT_EQ(errorOf({"-x"}), "Unknown option '-x'.");
    EXPECT_EQ(errorOf({"--run", "-", "--password", "-pw-", "--export", "-", "-q"}), "<accepted>");
    EXPECT_TRUE(errorOf({"--run", "-", "--watch"}).contains("standard input"));
    EXPECT_TRUE(errorOf({"--run", "-", "--snapshot"}).contains("standard input"));
    for (const QStringList &bad : QList<QStringList>{{"--max-display", "4"},
                                                     {"--max-display", "1001"},
                                                     {"--max-display", "20.5"},
                                                     {"--max-rows", "0"},
                                                     {"--max-rows", "32001"}})
        EXPECT_TRUE(errorOf(QStringList{"--run", "a.norq"} + bad)
                        .startsWith(bad[0] + " takes a whole number of rows from"))
            << bad.join(' ');
}

// --csv names a folder, with --export or without it; one that exists must be a folder.
TEST(CommandLine, CsvTakesAFolderThatIsNotAFile) {
    const CommandLine alone = parse({"--run", "a.norq", "--csv", "/tmp/no-such-folder/results"});
    ASSERT_EQ(alone.mode, StartMode::batch) << alone.error.toStdString();
    EXPECT_EQ(alone.batch.csvFolder, "/tmp/no-such-folder/results");
    EXPECT_TRUE(alone.batch.exportPath.isEmpty());

    const CommandLine both =
        parse({"--run", "a.norq", "--export", "report.json", "--csv", QDir::tempPath()});
    ASSERT_EQ(both.mode, StartMode::batch) << both.error.toStdString();
    EXPECT_EQ(both.batch.exportType, ExportType::json);
    EXPECT_EQ(both.batch.csvFolder, QDir::tempPath());
    EXPECT_TRUE(parse({"--run", "a.norq"}).batch.csvFolder.isEmpty());

    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString file = scratch.filePath("taken");
    QFile taken(file);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    const CommandLine onFile = parse({"--run", "a.norq", "--csv", file});
    EXPECT_EQ(onFile.mode, StartMode::usageError);
    EXPECT_TRUE(onFile.error.contains("'" + file + "'")) << onFile.error.toStdString();
    EXPECT_EQ(parse({"--run", "a.norq", "--csv", ""}).mode, StartMode::usageError);
    EXPECT_TRUE(commandLineHelp().contains("--csv DIR"));
}

} // namespace

TEST(CommandLine, DefineFilesGiveDefaultsThatDefineOverrides) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    const QString test = write("test.env", "# test server\r\nhost=test.local\r\n\r\n"
                                           "DEPT = D11\nLIMIT=5=five\nhost=later.local\n");
    const QString prod = write("prod.env", "DEPT=E21\n");
    const CommandLine line = parseCommandLine(
        {"--run", "s.norq", "--define", "LIMIT=9", "--define-file", test, "--define-file", prod});
    ASSERT_EQ(line.mode, StartMode::batch) << line.error.toStdString();
    QHash<QString, QString> last;
    for (const auto &[name, value] : line.batch.defines)
        last.insert(name, value);
    EXPECT_EQ(last.value("HOST"), "later.local");
    EXPECT_EQ(last.value("DEPT"), "E21");
    EXPECT_EQ(last.value("LIMIT"), "9"); // --define has the last word, wherever it stands

    const QString bad = write("bad.env", "OK=1\nnot a definition\n");
    const CommandLine refused = parseCommandLine({"--run", "s.norq", "--define-file", bad});
    EXPECT_EQ(refused.mode, StartMode::usageError);
    EXPECT_TRUE(refused.error.contains("bad.env:2:")) << refused.error.toStdString();
    const CommandLine missing =
        parseCommandLine({"--run", "s.norq", "--define-file", dir.filePath("none.env")});
    EXPECT_EQ(missing.mode, StartMode::usageError);
    EXPECT_TRUE(missing.error.contains("no such file")) << missing.error.toStdString();
}

// Each run of a watch reports against the run before it: through the user's own snapshot
// when there is one (kept by --snapshot-file, which only looks like --snapshot), else a
// private one.
TEST(CommandLine, AWatchRunsWithoutWatchAndAgainstTheRunBefore) {
    EXPECT_TRUE(parse({"--run", "a.norq", "--snapshot-file", "x.md"}).error.contains("--check"));
    const auto argumentsOf = [](const QStringList &arguments, bool first) {
        const CommandLine line = parse(arguments);
        EXPECT_EQ(line.mode, StartMode::batch) << line.error.toStdString();
        EXPECT_TRUE(line.batch.watch);
        return watchRunArguments(line.batch, "/own.md", first).join(' ');
    };
    EXPECT_EQ(argumentsOf({"--run", "a.norq", "--watch"}, true),
              "--run a.norq --snapshot-file /own.md --snapshot");
    EXPECT_EQ(argumentsOf({"--run", "a.norq", "--watch"}, false),
              "--run a.norq --snapshot-file /own.md --check --update");
    const QStringList own{"--run", "a.norq", "--watch", "--snapshot", "--snapshot-file", "s.md"};
    EXPECT_EQ(argumentsOf(own, true), "--run a.norq --snapshot --snapshot-file s.md");
    EXPECT_EQ(argumentsOf(own, false), "--run a.norq --snapshot-file s.md --check --update");
    EXPECT_EQ(argumentsOf({"--watch", "--run", "a.norq", "--check"}, false),
              "--run a.norq --check");
}
