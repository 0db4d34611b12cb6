#pragma once
// Export as a Jupyter notebook (nbformat 4.5, kernel and language sql): headings, links
// and prose become markdown cells, each statement a code cell holding its outputs:
// messages as stream text, a failure as an error output, results as text and as an HTML
// table, charts as image/png. Pictures of the document are markdown cells with the
// picture as an attachment.

#include "export/export_blocks.h"

#include <QJsonObject>

// The notebook of a document's blocks as readingBlocks gives them.
QJsonObject notebookDocument(const QList<ExportBlock> &blocks);

// False (error says why) when the file cannot be written.
bool exportNotebook(const QList<ExportBlock> &blocks, const QString &path, QString *error);
