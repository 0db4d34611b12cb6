// Runs every script of the sample library and every help page against a fresh SAMPLE
// database, row by row as Run all does, twice: through the engine in this process, and as
// a batch job with pavona --run. No row may ask for input and no row may fail; a row
// marked "-- expect: error" must fail as expected.

#include "core/engine_state.h"
#include "core/variables.h"
#include "core/window_interface.h"
#include "database/session.h"
#include "engine/dispatcher.h"
#include "engine/startup.h"
#include "script_grid.h"
#include "script_scan.h"
#include "windows/plot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <sqlite3.h>

std::ostream &operator<<(std::ostream &out, const QString &text) {
    return out << text.toStdString();
}

// Test names show the script's path, not its characters one by one.
void PrintTo(const QString &text, std::ostream *out) {
    *out << text.toStdString();
}

namespace {

const QString sourceDir = QStringLiteral(PAVONA_SOURCE_DIR);
const QString samplesDir = sourceDir + "/samples";
const QString helpDir = sourceDir + "/help";
const QString meantToFail = QStringLiteral("-- expect: error");

// Records every question the engine asks: a batch run has nobody to answer it.
class RecordingWindowInterface : public SilentWindowInterface {
public:
    QString inputBox(const QString &title, const QString &, const QString &) override {
        questions.append(title);
        return {};
    }
    bool askYesNo(const QString &title, const QString &) override {
        questions.append(title);
        return false;
    }
    QStringList questions;
};

bool createSampleDatabase(const QString &dataHome, QString *error) {
    const QString folder = dataHome + "/pavona/databases";
    QFile script(samplesDir + "/sample.sql");
    if (!QDir().mkpath(folder) || !script.open(QIODevice::ReadOnly)) {
        *error = "cannot prepare " + folder + " from " + script.fileName();
        return false;
    }
    sqlite3 *db = nullptr;
    const QByteArray path = QFile::encodeName(folder + "/SAMPLE.db");
    char *message = nullptr;
    const bool ok =
        sqlite3_open(path.constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, script.readAll().constData(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok) *error = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

QStringList scriptsToRun() {
    QStringList paths;
    QString ignored;
    for (const LibraryEntry &entry : readLibraryIndex(samplesDir + "/pavona.sql", &ignored))
        paths.append(samplesDir + "/" + entry.name);
    paths.append(samplesDir + "/template.norq");
    for (const QFileInfo &info : QDir(helpDir).entryInfoList({"*.norq"}, QDir::Files))
        paths.append(info.absoluteFilePath());
    return paths;
}

class ScriptRuns : public ::testing::TestWithParam<QString> {
protected:
    static void SetUpTestSuite() {
        dataHome = std::make_unique<QTemporaryDir>();
        workFolder = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome->path()));
        startFolder = QDir::currentPath();
        QDir::setCurrent(workFolder->path()); // work files of the commands land here
        engine_startup();
        registerPlotCommand();
        engine.ui = &ui;
        if (!createSampleDatabase(dataHome->path(), &setupError)) return;
        QString database = "SAMPLE", user, password;
        if (Norq_connect(engine, database, user, password) != 0)
            setupError = "cannot connect to SAMPLE: " + engine.msgText;
        var_add("curdir", samplesDir + "/");
    }

    static void TearDownTestSuite() {
        Norq_disconnect(engine);
        engine.ui = &silent;
        QDir::setCurrent(startFolder);
        workFolder.reset();
        dataHome.reset();
    }

    // Runs one text as a statement row; an empty string when it behaved as it should.
    static QString runRow(const QString &text, const QString &where) {
        ui.questions.clear();
        engine.gridMode = false;
        runScript(text, &grid, nullptr);
        const bool failed = engine.msgCode != 0;
        QString problem;
        if (failed)
            problem += where + " failed: " + engine.msgText + "\n";
        else if (text.contains(meantToFail) && !engine.msgText.contains("Failed as expected"))
            problem += where + " should have failed\n";
        if (!ui.questions.isEmpty()) problem += where + " asked: " + ui.questions.join(", ") + "\n";
        // A row that ends in a chart or a picture shows it (its variables gave numbers).
        const QString last = text.trimmed().section('\r', -1).trimmed().toUpper();
        const bool picture =
            last.startsWith("PLOT ") || (last.startsWith("VIEWFILE ") && last.contains(".GIF"));
        if (picture && engine.resultKind != 4) problem += where + " shows no picture\n";
        // The command-line processor's rows show what it wrote.
        const QString first = text.trimmed().section('\r', 0, 0).trimmed().toUpper();
        const bool processor = first == "NORQ" || last.startsWith("CLP ");
        if (processor && (engine.resultKind != 2 || engine.outputText.trimmed().isEmpty()))
            problem += where + " shows nothing of the command-line processor\n";
        return problem;
    }

    static inline std::unique_ptr<QTemporaryDir> dataHome;
    static inline std::unique_ptr<QTemporaryDir> workFolder;
    static inline QString startFolder;
    static inline QString setupError;
    static inline RecordingWindowInterface ui;
    static inline SilentWindowInterface silent;
    static inline DiscardingGrid grid;
};

TEST_P(ScriptRuns, EveryRowRunsWithoutQuestionsAndFailsOnlyWhereMarked) {
    ASSERT_TRUE(setupError.isEmpty()) << setupError;
    const QString path = GetParam();
    const ScriptFile script = readScript(path);
    ASSERT_TRUE(script.readable) << path;
    runScript("COLUMN CLEAR", &grid, nullptr); // opening a script forgets column formats
    QString problems;
    int rows = 0;
    for (const ScriptBlock &block : script.blocks) {
        if (block.kind != ScriptBlock::Sql) continue;
        ++rows;
        const QString where = QFileInfo(path).fileName() + ":" + QString::number(block.firstLine);
        // Run all and a press on the marker both run the hidden sections with the row.
        problems += runRow(runnableLines(block).join('\r'), where);
    }
    EXPECT_GT(rows, 0) << path << " has no statement to run";
    EXPECT_TRUE(problems.isEmpty()) << problems;
}

// The same scripts run as a user's batch job does: the program itself, pavona --run, on a
// SAMPLE database of its own. Its progress lines say which statement rows failed, and its
// check against the script's snapshot which outputs changed (scripts/update-snapshots
// rewrites the snapshots after an intended change).
class BatchScriptRuns : public ::testing::TestWithParam<QString> {
protected:
    static void SetUpTestSuite() {
        dataHome = std::make_unique<QTemporaryDir>();
        workFolder = std::make_unique<QTemporaryDir>();
        if (!createSampleDatabase(dataHome->path(), &setupError)) return;
    }
    static void TearDownTestSuite() {
        workFolder.reset();
        dataHome.reset();
    }

    struct Outcome {
        int status = -1;
        QStringList progress; // "[n/N] ..." lines in order
        QString errors;       // all of standard error
        QString check;        // standard output: the changes since the snapshot
    };

    static Outcome runProgram(const QString &script, const QString &exportPath) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", dataHome->path());
        // The snapshots list the databases a run reaches: the machine's data sources stay out.
        environment.insert("ODBCINI", dataHome->path() + "/odbc.ini");
        environment.insert("ODBCSYSINI", dataHome->path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workFolder->path());
        // Help pages find their pictures and companion files with the samples.
        process.start(QStringLiteral(PAVONA_BIN_DIR "/pavona"),
                      {"--run", script, "--define", "curdir=" + samplesDir + "/", "--export",
                       exportPath, "--check"});
        process.closeWriteChannel();
        Outcome outcome;
        if (!process.waitForFinished(240000)) {
            process.kill();
            process.waitForFinished();
            outcome.errors = "pavona --run did not finish";
            return outcome;
        }
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        outcome.errors = QString::fromUtf8(process.readAllStandardError());
        outcome.check = QString::fromUtf8(process.readAllStandardOutput());
        static const QRegularExpression progressLine("^\\[\\d+/\\d+\\] ");
        outcome.progress = outcome.errors.split('\n').filter(progressLine);
        return outcome;
    }

    static inline std::unique_ptr<QTemporaryDir> dataHome;
    static inline std::unique_ptr<QTemporaryDir> workFolder;
    static inline QString setupError;
};

TEST_P(BatchScriptRuns, PavonaRunFailsOnlyTheRowsMarkedToFail) {
    ASSERT_TRUE(setupError.isEmpty()) << setupError;
    const QString path = GetParam();
    const ScriptFile script = readScript(path);
    ASSERT_TRUE(script.readable) << path;
    QList<ScriptBlock> rows;
    for (const ScriptBlock &block : script.blocks)
        if (block.kind == ScriptBlock::Sql) rows.append(block);

    const QString exportPath =
        workFolder->path() + "/" + QFileInfo(path).completeBaseName() + ".htm";
    const Outcome outcome = runProgram(path, exportPath);
    ASSERT_EQ(outcome.progress.size(), rows.size()) << outcome.errors;

    QString problems;
    for (qsizetype n = 0; n < rows.size(); ++n) {
        const QString &line = outcome.progress[n];
        const QString where = QFileInfo(path).fileName() + ":" + QString::number(rows[n].firstLine);
        if (!line.startsWith(QStringLiteral("[%1/%2] ").arg(n + 1).arg(rows.size())))
            problems += where + " reported out of turn: " + line + "\n";
        const bool meant = rows[n].lines.join('\n').contains(meantToFail);
        if (line.contains(" ... FAILED: "))
            problems += where + " failed: " + line + "\n";
        else if (meant && !line.contains("Failed as expected"))
            problems += where + " should have failed: " + line + "\n";
    }
    EXPECT_TRUE(problems.isEmpty()) << problems.toStdString();
    // Statements meant to fail count as successes: every sample runs clean, and prints
    // what its snapshot holds.
    EXPECT_EQ(outcome.status, 0) << outcome.check << outcome.errors;

    QFile page(exportPath);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << exportPath;
    const QByteArray html = page.readAll();
    EXPECT_TRUE(html.contains("<body>") && html.contains("</html>")) << exportPath;
    const QString text = QString::fromUtf8(html);
    // The page shows a statement as it ran: a variable's value stands for its reference.
    static const QRegularExpression reference(QStringLiteral("&+\\w+\\.?"));
    for (const ScriptBlock &row : rows) {
        const QString first = row.lines.constFirst().trimmed();
        if (first.startsWith("--")) continue; // a hidden section's marker is not shown
        QStringList pieces;
        for (const QString &piece : first.split(reference))
            pieces << QRegularExpression::escape(piece.toHtmlEscaped());
        EXPECT_TRUE(text.contains(QRegularExpression(pieces.join(".*"))))
            << first << " is not on the page";
    }
}

std::string testName(const ::testing::TestParamInfo<QString> &info) {
    std::string name = QFileInfo(info.param).completeBaseName().toStdString();
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Content, ScriptRuns, ::testing::ValuesIn(scriptsToRun()), testName);
INSTANTIATE_TEST_SUITE_P(Content, BatchScriptRuns, ::testing::ValuesIn(scriptsToRun()), testName);

} // namespace
