#include "check/script_snapshot.h"

#include "core/engine_state.h"
#include "core/file_writer.h"
#include "core/variables.h"
#include "document/row_model.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace snapshot {

std::vector<Folder> machineFolders() {
    std::vector<Folder> folders;
    if (const int slot = var_find(QStringLiteral("curdir")))
        folders.push_back({engine.vars[slot].value, QStringLiteral("<curdir>")});
    folders.push_back({QDir::currentPath(), QStringLiteral("<working folder>")});
    if (!engine.workFolder.isEmpty())
        folders.push_back({engine.workFolder, QStringLiteral("<working folder>")});
    return folders;
}

QStringList statementsNotRun(const DocumentModel &document) {
    QStringList notRun;
    for (const DocumentRow &row : document)
        if (row.kind == RowKind::sql && row.outcome.ran.isEmpty()) notRun << writtenOf(row);
    return notRun;
}

void ScriptSnapshot::hold(Snapshot snapshot) {
    snapshot_ = std::move(snapshot);
    loaded_ = true;
    index();
}

bool ScriptSnapshot::load(const QString &script, QString *error) {
    clear();
    path_ = pathFor(script);
    QFile file(path_);
    if (!QFileInfo(path_).isFile()) return false;
    Snapshot read;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read snapshot '%1': %2").arg(path_, file.errorString());
        return false;
    }
    if (!fromText(file.readAll(), &read, error)) {
        *error = QStringLiteral("snapshot '%1' cannot be read: %2").arg(path_, *error);
        return false;
    }
    if (read.script != QFileInfo(script).fileName()) {
        *error = QStringLiteral("snapshot '%1' is of script '%2'").arg(path_, read.script);
        return false;
    }
    snapshot_ = std::move(read);
    loaded_ = true;
    index();
    return true;
}

void ScriptSnapshot::clear() {
    loaded_ = false;
    path_.clear();
    snapshot_ = {};
    byText_.clear();
}

void ScriptSnapshot::index() {
    byText_.clear();
    for (int i = 0; i < static_cast<int>(snapshot_.statements.size()); ++i)
        byText_[snapshot_.statements[i].written].push_back(i);
}

const Statement *ScriptSnapshot::find(const QString &written, int occurrence) const {
    const auto found = byText_.constFind(written);
    if (found == byText_.cend() || occurrence < 0 || occurrence >= int(found->size()))
        return nullptr;
    return &snapshot_.statements[(*found)[occurrence]];
}

const Statement *ScriptSnapshot::expectedFor(const QString &written,
                                             const std::function<int()> &above) const {
    const auto found = byText_.constFind(written);
    if (found == byText_.cend()) return nullptr;
    return find(written, found->size() == 1 ? 0 : above());
}

Snapshot ScriptSnapshot::merged(const DocumentModel &document, const QString &scriptName) const {
    Snapshot out;
    out.script = scriptName;
    const std::vector<Folder> folders = machineFolders();
    QHash<QString, int> seen;
    for (size_t r = 0; r < document.size(); ++r) {
        if (document[r].kind != RowKind::sql) continue;
        const QString written = writtenOf(document[r]);
        const int occurrence = seen[written]++;
        if (!document[r].outcome.ran.isEmpty()) {
            out.statements.push_back(statementAt(document, r, folders));
        } else if (const Statement *kept = find(written, occurrence)) {
            out.statements.push_back(*kept);
        } else {
            continue;
        }
        out.statements.back().number = static_cast<int>(out.statements.size());
    }
    return out;
}

bool ScriptSnapshot::write(const DocumentModel &document, const QString &script, QString *error) {
    Snapshot written = merged(document, QFileInfo(script).fileName());
    const QString path = pathFor(script);
    if (const QString problem = writeWholeFile(path, toText(written)); !problem.isEmpty()) {
        *error = QStringLiteral("cannot write snapshot '%1': %2").arg(path, problem);
        return false;
    }
    path_ = path;
    snapshot_ = std::move(written);
    loaded_ = true;
    index();
    return true;
}

} // namespace snapshot
