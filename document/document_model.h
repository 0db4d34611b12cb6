#pragma once
// A script's rows with their outputs, as data: what a run fills and what every export
// reads. The window's grid shows the same rows (the outcome of a row travels with it as
// the row's data); a window-less run builds its document from the script's lines and
// creates no widget.

#include "database/result_set.h"
#include "document/row_model.h"

#include <QImage>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

struct MessageTable;
struct RunOutcome;

class Grid;
class ScriptLines;

// What running a row left: on a statement row the text as it ran, on an output row the
// outcome.
struct RowOutcome {
    // Statement row: its shown text with the variables as they were when it ran (empty
    // while it has not run), and its number in a Run all (0 when run on its own).
    QString ran;
    int number = 0;
    // Output row: the message code (0 success) and, for a result, the data and the
    // text that followed the table (its message and what the run added).
    int code = 0;
    std::shared_ptr<const ResultSet> result;
    QString trailer;
    // Output row of a run in the window, when the script has a snapshot: how the
    // statement's outcome differs from it (empty when it matches).
    QStringList changes;

    bool failed() const { return code != 0; }
};
Q_DECLARE_METATYPE(RowOutcome)

struct DocumentRow {
    RowKind kind = RowKind::none;
    QString text; // what the reader sees
    QString tag;  // heading level, picture file name, an output's statement
    QString raw;  // source of a comment or example; a heading's anchor
    QString sql;  // a statement's full text, hidden sections included
    RowOutcome outcome;
    QImage picture; // a chart, or the picture of an image row (null when none)
};

using DocumentModel = std::vector<DocumentRow>;

// A row's cells from the text it is made from, as the renderer writes them; kind comes
// back changed for a tagged comment (heading, picture, example). prose lays a comment's
// joined text out at the wrap width; pictureFile gets an image row's file name.
DocumentRow rowFromText(RowKind &kind, const QString &text, const QString &dataSQL,
                        const std::function<QString(const QString &)> &prose, QString *pictureFile);

// The rows of a script as the Script View renders them, pictures loaded, ending with
// the end marker; prose wrapped at engine.textLineWidth.
DocumentModel documentFromLines(const ScriptLines &lines);

// The output a run left (its outcome and message), as the row that shows it (the
// statement's output rows: message, result, command text, server output, chart).
// step is how many rows a caller walking statements steps over (0 or 1); none when
// the run left nothing to show.
struct RunOutput {
    bool shown = false;
    RowKind kind = RowKind::message;
    QString text;      // what the row is made from
    QString statement; // a result's statement
    RowOutcome outcome;
    QImage picture;
    int step = 0;
};
RunOutput runOutput(const RunOutcome &outcome, const MessageTable &messages);

// The statement's shown text with the variables as they were when each of its
// statements ran (recorded by the last run).
QString textAsRan(const QString &shown);

// The rows of a script grid with their outcomes and pictures.
DocumentModel documentFromGrid(const Grid *grid);
DocumentRow documentRowAt(const Grid *grid, int row);
