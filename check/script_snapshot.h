#pragma once
// A script's snapshot while the script is worked on in the window: it finds the snapshot's
// version of a statement that just ran, tells whether the new outcome differs, and merges
// the window's outcomes into the snapshot when the user updates it.

#include "check/compare.h"
#include "check/snapshot.h"
#include "document/document_model.h"

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

namespace snapshot {

// The folders a run here depends on: the companion folder (curdir) and the working
// folder, named as in every snapshot.
std::vector<Folder> machineFolders();

class ScriptSnapshot {
public:
    // Reads SCRIPT.out.md beside script. False when there is none (nothing to compare
    // with), or it cannot be read (error says why).
    bool load(const QString &script, QString *error);
    void clear();
    bool loaded() const { return loaded_; }
    QString path() const { return path_; }

    // The snapshot's version of a statement written as written (its writtenOf), null
    // when the snapshot has none. The n-th statement of a text meets the snapshot's n-th:
    // above (asked only when the snapshot holds the text more than once) counts the
    // statements above it written the same.
    const Statement *expectedFor(const QString &written, const std::function<int()> &above) const;

    // The snapshot to write for document: its statements in order, each with the outcome
    // it got in this window when it ran, else the snapshot's, left out when it has neither.
    Snapshot merged(const DocumentModel &document, const QString &scriptName) const;

    // Writes merged(document) atomically, and holds it from then on. False with a reason.
    bool write(const DocumentModel &document, const QString &script, QString *error);

private:
    const Statement *find(const QString &written, int occurrence) const;
    void index();

    bool loaded_ = false;
    QString path_;
    Snapshot snapshot_;
    QHash<QString, std::vector<int>> byText_; // statement indexes, in order
};

} // namespace snapshot
