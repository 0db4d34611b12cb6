// The main window's script text: file, line store, raw text editor and library index.

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/text_files.h"
#include "core/window_interface.h"
#include "document/editor_text.h"
#include "document/grid.h"
#include "engine/pair_stack.h"
#include "mainwindow/norqsql.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <vector>

namespace {

constexpr int kMaxLibraryEntries = 1000;

struct LibraryEntry {
    QString path;
    int level = 1;
};

void tellUser(const QString &text) {
    if (engine.ui) engine.ui->messageBox(QStringLiteral("Pavona"), text);
}

// Entries of a library index: "{" opens a level, "}" closes one, any other line names a
// script relative to the working folder.
std::vector<LibraryEntry> readLibraryEntries(const ScriptLines &index) {
    std::vector<LibraryEntry> entries;
    int level = 1;
    const QString folder = QDir::currentPath();
    for (int slot = 1; slot <= index.lineCount; ++slot) {
        const QString &line = index.lines[slot];
        if (line.contains(u'{')) {
            ++level;
        } else if (line.contains(u'}')) {
            level = std::max(1, level - 1);
        } else {
            if (static_cast<int>(entries.size()) == kMaxLibraryEntries) break;
            QString name = line.trimmed();
            name.replace(u'\\', u'/');
            entries.push_back({folder + u'/' + name, level});
        }
    }
    return entries;
}

QTreeWidgetItem *makeNode(const LibraryEntry &entry) {
    auto *node = new QTreeWidgetItem;
    node->setText(0, libraryTitle(entry.path));
    node->setData(0, Qt::UserRole, entry.path);
    node->setToolTip(0, entry.path);
    return node;
}

void addSibling(QTreeWidget *tree, QTreeWidgetItem *of, QTreeWidgetItem *node) {
    if (QTreeWidgetItem *parent = of->parent())
        parent->insertChild(parent->indexOfChild(of) + 1, node);
    else
        tree->insertTopLevelItem(tree->indexOfTopLevelItem(of) + 1, node);
}

// Nests the entries with the pair stack (node number, level): at most 9 levels deep;
// deeper entries and entries above the first one's level stay within reach.
void buildLibraryTree(QTreeWidget *tree, const std::vector<LibraryEntry> &entries) {
    std::vector<QTreeWidgetItem *> nodes(entries.size() + 1, nullptr);
    resetPairStack();
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto number = static_cast<int16_t>(i + 1);
        const auto level = static_cast<int16_t>(std::min(entries[i].level, 30000));
        QTreeWidgetItem *node = makeNode(entries[i]);
        nodes[number] = node;
        while (peekPair().second > level)
            popPair();
        const auto [onTop, topLevel] = peekPair();
        if (topLevel == 0 || onTop <= 0) {
            tree->addTopLevelItem(node);
            resetPairStack();
            pushPair(number, level);
        } else if (topLevel == level) {
            addSibling(tree, nodes[onTop], node);
            popPair();
            pushPair(number, level);
        } else {
            nodes[onTop]->addChild(node);
            pushPair(number, level);
        }
    }
    resetPairStack();
}

} // namespace

int NorqSQL::readLibrary(const QString &opsfilein) {
    ScriptLines index;
    if (!index.readFile(opsfilein)) return -1;
    const std::vector<LibraryEntry> entries = readLibraryEntries(index);
    TV->setUpdatesEnabled(false);
    TV->clear();
    buildLibraryTree(TV, entries);
    TV->expandAll();
    TV->setUpdatesEnabled(true);
    return static_cast<int>(entries.size());
}

void NorqSQL::fileToMemory(const QString &FName) {
    cutFile.clear();
    changes_.forgetEdits();
    keptOutputs_.clear(); // another script's outputs
    if (!scriptLines.readFile(FName)) {
        const QString special = notRegularFile(FName);
        if (!special.isEmpty())
            tellUser(FName + QStringLiteral(" cannot be opened: ") + special + u'.');
    }
    if (scriptLines.truncated()) {
        cutFile = QFileInfo(FName).canonicalFilePath();
        tellUser(QStringLiteral("%1 %2; only the first %3 lines were read. "
                                "It cannot be saved over itself; pavona --run runs it whole.")
                     .arg(FName, scriptLines.cutReason())
                     .arg(scriptLines.lineCount));
    }
}

bool NorqSQL::memoryToFile(const QString &fileOUT) {
    // Canonical, so that a link to the file or another spelling of its path is no way round.
    if (!cutFile.isEmpty() && QFileInfo(fileOUT).canonicalFilePath() == cutFile) {
        tellUser(QStringLiteral("%1 was read only in part: saving over it would lose its other "
                                "lines. Save it under another name.")
                     .arg(fileOUT));
        return false;
    }
    const QString error = scriptLines.writeFile(fileOUT);
    if (error.isEmpty()) return true;
    tellUser(QStringLiteral("Error writing to output file: ") + fileOUT +
             QStringLiteral("\r\nERR=") + error);
    return false;
}

void NorqSQL::memoryToEdit() {
    FullEdit->clear();
    if (scriptLines.lineCount > 0) {
        FullEdit->setPlainText(textForEditor(scriptLines.joined()));
    }
    changes_.takeEditorAsRead();
}

void NorqSQL::editToMemory() {
    scriptLines.setText(textFromEditor(FullEdit->document()));
    if (scriptLines.truncated())
        tellUser(QStringLiteral("The text has more than %1 lines; only the first %1 are kept.")
                     .arg(ScriptLines::maxLines));
}

void NorqSQL::printToMemory(const QString &inData) {
    scriptLines.append(inData);
}
