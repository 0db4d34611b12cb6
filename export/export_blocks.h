#pragma once
// The one reader of a document for every export: its rows as blocks, each row's kind
// mapped once, a statement given as it ran, pictures taken from the rows. The formats made
// to be read outside Pavona take them through readingBlocks, which joins and trims them.

#include "document/document_model.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// A paragraph (its lines) or a bullet list (its items) of a prose comment.
struct ProsePart {
    bool bullets = false;
    QStringList lines;
};

struct ExportBlock {
    enum class Kind { heading, link, prose, statement, example, message, result, chart, picture };
    Kind kind = Kind::prose;
    int level = 0;  // heading: 1..4
    QString anchor; // heading: its id; link: the id it points at (both upper case)
    // Heading or link: its first line, trimmed; picture: its file name as written.
    QString text;
    // What the reader sees, a line each: prose without its carets, a statement as it ran
    // (as written when it has not run), an example as written, an output's text.
    QStringList lines;
    QString written;        // statement: its text as written
    RowOutcome outcome;     // as the row holds it
    bool completed = false; // message or result: "Command completed.", which no document shows
    int pictureNumber = 0;  // chart or picture: 1, 2, ... in document order
    QImage picture;         // null when the row holds none
    QList<ProsePart> prose; // prose, filled by readingBlocks
};

// A block for every row but the end marker (and kinds no row has).
QList<ExportBlock> exportBlocks(const DocumentModel &document);

// The blocks as a document to read shows them: adjacent prose rows as one prose block,
// blank lines around statements and outputs dropped, and what shows nothing (an empty
// comment, a completed command, a link without a target) left out.
QList<ExportBlock> readingBlocks(const QList<ExportBlock> &blocks);

// "Chart 3" or "Picture 3".
QString pictureCaption(const ExportBlock &block);

// A value of a result as the documents show it: NULL as the text of a result shows it.
QString shownValue(const ResultValue &value);
// The value's lines, a line break inside it ("\r\n", "\r" or "\n") ending each but the last.
QStringList valueLines(const QString &value);

// "<base>-<n>.png": the picture files beside a Markdown export.
QString pngPictureName(const QString &baseName, int number);
// The picture as PNG bytes.
QByteArray pngBytes(const QImage &picture);
// The file name alone, percent-encoded, for a link relative to the exported file.
QString relativeUrl(const QString &fileName);

// Writes data to path whole or not at all (a pipe or a device as it is); error names the
// reason of a failure.
bool saveWhole(const QString &path, const QByteArray &data, QString *error = nullptr);
