#pragma once
// A run's outcomes as a text file beside its script (SCRIPT.out.md), written so that a
// reviewer reads it as Markdown and --check reads it back value for value.
//
// The file, in UTF-8 with LF line ends:
//   <!-- pavona snapshot 1 of NAME: pavona --run NAME --check --update rewrites it -->
// then, for each statement row that ran, in the order it ran:
//   ## N. FIRST LINE OF THE STATEMENT AS WRITTEN      (N: its number in the run; shown
//                                                       only, never read back)
//   ```sql
//   the statement as written
//   ```
//   ```ran                                            (only when variables changed it)
//   the statement as it ran
//   ```
// and its outputs, each one block of non-blank lines, blocks apart by blank lines:
//   failed: CODE [SQLSTATE]     a failure: the message code, and the SQLSTATE its
//                               message names ("SQLSTATE=42704")
//   ```result                   a result: tab-separated lines, the column names, then a
//   NAME<TAB>...                line a row; in values \\ is a backslash, \t a tab, \n a
//   value<TAB>\N                line feed, \r a carriage return and \N alone is NULL
//   ```
//   (more rows)                 more rows were there than the run fetched
//   > message line              the message, a line each (a result's: what followed its
//                               table); ">" alone is an empty line
//   (chart)                     a chart
// The folders a run depends on (the script's companion folder &curdir, the working folder)
// are written as <curdir> and <working folder>, so that a library checks the same from any
// place it is cloned or run in.
// A fence is three backticks, or one more than the longest run of backticks any of its
// lines starts with, so no text can close it early.

#include "database/result_set.h"
#include "document/document_model.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace snapshot {

inline constexpr int kVersion = 1;

struct Output {
    enum class Kind { message, result, chart };
    Kind kind = Kind::message;
    int code = 0;     // 0: success
    QString sqlState; // of a failure, when its message names one
    QStringList columns;
    std::vector<std::vector<ResultValue>> rows;
    std::vector<bool> approximate; // per column, float or double; known only from a run
    bool more = false;
    QStringList message; // lines, without timings

    bool failed() const { return code != 0; }
};

struct Statement {
    int number = 0;
    QString written; // as the script has it: what a check aligns by
    QString ran;
    std::vector<Output> outputs;
};

struct Snapshot {
    QString script; // the script's file name, without its folder
    std::vector<Statement> statements;
};

// A folder that depends on the machine, and the name a snapshot gives it.
struct Folder {
    QString path;
    QString name;
};

// The statements of a run document that ran, with their outputs; every place a folder's
// path stands as a whole (not as the start of a longer name) shows the folder's name.
Snapshot fromDocument(const DocumentModel &document, const QString &scriptName,
                      const std::vector<Folder> &folders = {});

// The statement on row of a document, with the outputs under it, whether it ran in a
// Run all or alone.
Statement statementAt(const DocumentModel &document, size_t row,
                      const std::vector<Folder> &folders = {});
// A statement row's text as a snapshot holds it: what a check aligns statements by.
QString writtenOf(const DocumentRow &row);

// The snapshot file of a script: its path with ".out.md" added.
QString pathFor(const QString &scriptPath);

QByteArray toText(const Snapshot &snapshot);

// Reads a snapshot's text; false, with a one-line reason naming the line, when the text
// is not one this version wrote.
bool fromText(const QByteArray &text, Snapshot *snapshot, QString *error);

// A result line as the file holds it: the values escaped, tab-separated.
QString resultLine(const std::vector<ResultValue> &values);

// The first line of a statement, trimmed, for headings and reports.
QString firstLine(const QString &statement);

} // namespace snapshot
