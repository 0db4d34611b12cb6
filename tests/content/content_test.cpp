// Checks of the shipped content: the help files the menus open, the sample library and
// its scripts. They read the files only; running the scripts is the job of the
// batch-run tests.

#include "script_scan.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>
#include <ostream>

// Failure messages name files and lines as text.
std::ostream &operator<<(std::ostream &out, const QString &text) {
    return out << text.toStdString();
}

namespace {

const QString sourceDir = QStringLiteral(PAVONA_SOURCE_DIR);
const QString helpDir = sourceDir + "/help";
const QString samplesDir = sourceDir + "/samples";

// The files of the Help menu and of the SQL window's help button.
const QStringList menuHelpFiles = {
    "norq-help-intro.norq",        "norq-help-menus.norq",      "norq-help-file.norq",
    "norq-help-search.norq",       "norq-help-view.norq",       "norq-help-options.norq",
    "norq-help-viewoverview.norq", "norq-help-scriptview.norq", "norq-help-editview.norq",
    "norq-help-textmode.norq",     "norq-help-sql.norq",        "norq-help-sqlwindow.norq",
    "norq-help-SQL-Support.norq",  "norq-help-Commands.norq",   "norq-help-formats.norq",
    "norq-help-disclaimer.norq",   "norq-help-about.norq"};

const QString meantToFail = QStringLiteral("-- expect: error");

QStringList scriptsIn(const QString &dir) {
    QStringList paths;
    for (const QFileInfo &info : QDir(dir).entryInfoList({"*.norq"}, QDir::Files))
        paths.append(info.absoluteFilePath());
    return paths;
}

QStringList allScripts() {
    return scriptsIn(helpDir) + scriptsIn(samplesDir);
}

// Link targets are stored upper-cased, so the viewer has to find help files without
// regard to case; the check does the same.
bool helpFileExists(const QString &name) {
    for (const QString &file : QDir(helpDir).entryList(QDir::Files))
        if (file.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString cutComment(const QString &line) {
    if (line.contains("--#")) return line;
    const int dash = line.indexOf("--");
    return dash >= 0 && dash < line.size() - 2 ? line.left(dash) : line;
}

QString firstWord(const QString &line) {
    return line.trimmed().section(' ', 0, 0).remove(';').toUpper();
}

QString secondWord(const QString &line) {
    QString rest = line.trimmed().section(' ', 1).trimmed();
    int end = 0;
    while (end < rest.size() && (rest[end].isLetterOrNumber() || rest[end] == '_'))
        ++end;
    return rest.left(end).toUpper();
}

// What a batch run would have to ask the reader for: every reference to a variable that
// is not defined by then, every forced re-prompt and every ACCEPT.
QStringList promptsOf(const QString &path) {
    static const QStringList commands = {
        "TEST",     "ACCEPT", "CLP",      "JSON",     "NORQSET", "DESCRIBE", "NOP",      "EXECUTE",
        "RUNSTATS", "PROMPT", "SHOWPLAN", "ERASE",    "INCLUDE", "SPOOL",    "VIEWFILE", "RUN",
        "START",    "REORG",  "UNDEF",    "UNDEFINE", "HOST",    "CMD",      "NORQ",     "PUT",
        "PLOT",     "DEFINE", "CONNECT",  "XLOAD",    "COLUMN",  "OPTION"};
    QSet<QString> defined = {"VERSION",  "DATE",     "FONT",     "FONTSIZE",     "DATABASE",
                             "USERID",   "PASSWORD", "SEMI",     "QUOTE",        "CURDIR",
                             "ME",       "SQLLIB",   "NORQPATH", "NORQINSTPROF", "NORQINSTDEF",
                             "INSTANCE", "NORQDIAG", "SCHEMA",   "JSONDB"};
    QStringList prompts;
    const ScriptFile script = readScript(path);
    for (const ScriptBlock &block : script.blocks) {
        if (block.kind != ScriptBlock::Sql) continue;
        for (int i = 0; i < block.lines.size(); ++i) {
            const QString &raw = block.lines[i];
            if (raw.trimmed().startsWith("--##")) continue; // hidden lines run all the same
            const QString line = cutComment(raw);
            const QString where =
                QString("%1:%2").arg(QFileInfo(path).fileName()).arg(block.firstLine + i);
            for (const QString &name : variableReferences(line))
                if (name.isEmpty() || name.startsWith('&') || !defined.contains(name.toUpper()))
                    prompts.append(where + " &" + name);
            const QString word = firstWord(line);
            if (word == "ACCEPT") prompts.append(where + " ACCEPT");
            if (word.isEmpty()) continue;
            if (word == "DEFINE" && !secondWord(line).isEmpty())
                defined.insert(secondWord(line));
            else if (word == "UNDEFINE" || word == "UNDEF")
                defined.remove(secondWord(line));
            else if (word == "EXECUTE")
                defined.insert("RESULT");
            else if (!commands.contains(word))
                defined += {"RESULT", "ROWS", "TIME"};
        }
    }
    return prompts;
}

} // namespace

TEST(HelpFiles, EveryMenuEntryOpensAnExistingTitledFile) {
    for (const QString &name : menuHelpFiles) {
        const QString path = helpDir + "/" + name;
        ASSERT_TRUE(QFileInfo::exists(path)) << name;
        EXPECT_FALSE(scriptTitle(path).isEmpty()) << name << " has no title on its first line";
    }
}

// The windows name their help files in their own sources; whatever they name must ship.
TEST(HelpFiles, EveryHelpFileTheProgramNamesShips) {
    static const QRegularExpression helpName(
        QStringLiteral("\"(norq-help-[A-Za-z0-9_-]+\\.norq)\""));
    QSet<QString> named;
    for (const char *folder : {"mainwindow", "windows", "document", "engine", "app"}) {
        QDirIterator it(sourceDir + "/" + QLatin1String(folder), {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (auto match = helpName.globalMatch(text); match.hasNext();)
                named.insert(match.next().captured(1));
        }
    }
    EXPECT_FALSE(named.isEmpty()) << "no help file name found in the program's sources";
    for (const QString &name : named)
        EXPECT_TRUE(QFileInfo::exists(helpDir + "/" + name)) << name << " is named by the program";
}

TEST(Scripts, EveryLinkReachesAHelpFileOrAHeadingOfItsOwnFile) {
    int helpLinks = 0;
    for (const QString &path : allScripts()) {
        const ScriptFile script = readScript(path);
        QSet<QString> anchors;
        QStringList links;
        for (const ScriptBlock &block : script.blocks) {
            if (block.kind != ScriptBlock::Comment) continue;
            const HeadingTag tag = headingTag(block.lines.first());
            if (tag.word == "{H0}")
                links.append(tag.anchor);
            else if (!tag.anchor.isEmpty())
                anchors.insert(tag.anchor);
        }
        for (const QString &target : links) {
            if (target.contains(".NORQ")) {
                ++helpLinks;
                EXPECT_TRUE(helpFileExists(target.trimmed()))
                    << path.toStdString() << " -> " << target.toStdString();
            } else {
                EXPECT_TRUE(anchors.contains(target.trimmed()))
                    << path.toStdString() << " links to a missing heading " << target.toStdString();
            }
        }
    }
    EXPECT_GT(helpLinks, 0) << "no file links to a help file";
}

TEST(SampleLibrary, IndexNestsAndListsExistingTitledScripts) {
    QString error;
    const QList<LibraryEntry> entries = readLibraryIndex(samplesDir + "/pavona.sql", &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_GE(entries.size(), 8);
    int deepest = 0;
    for (const LibraryEntry &entry : entries) {
        deepest = std::max(deepest, entry.level);
        const QString path = samplesDir + "/" + entry.name;
        ASSERT_FALSE(entry.name.isEmpty()) << "an empty line would be an entry of its own";
        ASSERT_TRUE(QFileInfo::exists(path)) << entry.name.toStdString();
        EXPECT_FALSE(scriptTitle(path).isEmpty()) << entry.name.toStdString();
    }
    EXPECT_EQ(entries.first().level, 1);
    EXPECT_GE(deepest, 3) << "the library should show groups within groups";
    EXPECT_FALSE(scriptTitle(samplesDir + "/template.norq").isEmpty());
}

// A file a script reads is either one it wrote itself (SPOOL, a shell redirection) or a companion
// file of the library, found through &curdir wherever the program was started.
TEST(Scripts, CompanionFilesNamedByTheScriptsExist) {
    for (const QString &path : allScripts()) {
        const ScriptFile script = readScript(path);
        QSet<QString> written;
        for (const ScriptBlock &block : script.blocks) {
            QStringList names;
            if (block.kind == ScriptBlock::Comment) {
                const HeadingTag tag = headingTag(block.lines.first());
                if (tag.word == "{IMAGE}") names.append(tag.text);
            } else {
                for (const QString &runnable : runnableLines(block)) {
                    const QString line = cutComment(runnable);
                    const QString word = firstWord(line);
                    const QString rest = line.trimmed().section(' ', 1).remove(';').trimmed();
                    static const QRegularExpression redirect(">>?\\s*([^\\s;]+\\.[^\\s;]+)");
                    for (auto it = redirect.globalMatch(line); it.hasNext();)
                        written.insert(it.next().captured(1)); // a shell command's output file
                    static const QRegularExpression snapshot("--snapshot-file\\s+([^\\s;]+)");
                    if (const auto found = snapshot.match(runnable); found.hasMatch())
                        written.insert(found.captured(1)); // a check run's snapshot
                    if (word == "SPOOL")
                        written.insert(rest);
                    else if (word == "RUN" || word == "START" || word == "VIEWFILE")
                        names.append(rest);
                    else if (word == "CLP") // the file name may be quoted for blanks
                        names.append(rest.section(' ', 1, 1).remove('"'));
                    const int open = line.indexOf('[');
                    if (word == "XLOAD" && open >= 0)
                        names.append(line.mid(open + 1, line.indexOf(']', open) - open - 1));
                }
            }
            for (QString name : names) {
                if (written.contains(name)) continue;
                ASSERT_TRUE(name.startsWith("&curdir"))
                    << path << ": " << name << " should be found through &curdir";
                // As substitution gives it: curdir ends with its separator, and the name
                // ends at the first character that is not a name character.
                name.replace("&curdir", samplesDir + "/");
                EXPECT_FALSE(name.contains("//")) << path << ": " << name;
                EXPECT_TRUE(QFileInfo::exists(name)) << path << ": " << name;
            }
        }
    }
}

TEST(Scripts, RunInABatchWithoutAskingForInput) {
    for (const QString &path : allScripts()) {
        const QStringList prompts = promptsOf(path);
        EXPECT_TRUE(prompts.isEmpty()) << prompts.join(", ").toStdString();
    }
}

TEST(Scripts, AreWellFormedForTheScriptView) {
    int failing = 0;
    for (const QString &path : allScripts()) {
        const ScriptFile script = readScript(path);
        const std::string name = QFileInfo(path).fileName().toStdString();
        ASSERT_TRUE(script.readable) << name;
        EXPECT_FALSE(script.unterminatedComment) << name;
        for (const ScriptBlock &block : script.blocks) {
            if (block.kind != ScriptBlock::Sql) continue;
            const QStringList runnable = runnableLines(block);
            EXPECT_EQ((block.lines.size() - runnable.size()) % 2, 0)
                << name << ":" << block.firstLine << " opens a hidden section it never closes";
            const QString text = runnable.join('\n');
            if (text.contains(meantToFail)) {
                ++failing;
                QStringList cut;
                for (const QString &line : runnable)
                    cut.append(cutComment(line));
                QString statement = cut.join(' ').trimmed();
                if (statement.endsWith(';')) statement.chop(1);
                EXPECT_FALSE(statement.contains(';'))
                    << name << ":" << block.firstLine << " a statement meant to fail stands alone";
            }
        }
    }
    EXPECT_GT(failing, 0) << "the samples show what an error looks like";
}
