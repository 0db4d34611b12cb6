#pragma once
// The rows of a script grid as the blocks a shared document is made of, for the exports
// that are read outside Pavona (Markdown, notebook, one-file HTML). Like the HTML page
// they show what the reader sees; statements are given as they ran (variables
// substituted), and pictures are kept as images for the format to encode.

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class Grid;

// A paragraph (its lines) or a bullet list (its items) of a prose comment.
struct ProsePart {
    bool bullets = false;
    QStringList lines;
};

struct ExportBlock {
    enum class Kind { heading, link, prose, statement, example, output, picture };
    Kind kind = Kind::prose;
    int level = 0;          // heading: 1..4
    QString anchor;         // heading: its id; link: the id it points at
    QString text;           // heading or link text
    QStringList lines;      // statement, example or output lines
    QList<ProsePart> prose; // prose
    bool result = false;    // output: a result set (else a message or a command's text)
    bool chart = false;     // picture: a chart row (else a picture of the document)
    int number = 0;         // picture: 1, 2, ... in grid order
    QImage picture;         // null when the row holds none
};

QList<ExportBlock> exportBlocks(Grid *grid);

// "Chart 3" or "Picture 3".
QString pictureCaption(const ExportBlock &block);

// A result set's text split into its columns by the separator line under the header.
struct ResultTable {
    QStringList header;
    QList<QStringList> rows;
    QStringList trailer; // what follows the rows (the "record(s) selected" line)
};
// False when the lines are not a header, a separator and rows.
bool parseResultTable(const QStringList &lines, ResultTable *table);

// "<base>-<n>.png": the picture files beside a Markdown export.
QString pngPictureName(const QString &baseName, int number);
// The picture as PNG bytes.
QByteArray pngBytes(const QImage &picture);

// Writes data to path whole or not at all; error names the reason of a failure.
bool saveWhole(const QString &path, const QByteArray &data, QString *error = nullptr);
