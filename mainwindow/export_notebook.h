#pragma once
// Export as a Jupyter notebook (nbformat 4.5): headings, links and prose become markdown
// cells, each statement a code cell (language sql) holding its outputs: text as stream
// or execute_result text, results also as an HTML table, charts as image/png. Pictures of
// the document are markdown cells with the picture as an attachment.

#include "mainwindow/export_blocks.h"

#include <QJsonObject>

QJsonObject notebookDocument(const QList<ExportBlock> &blocks);

// False (error says why) when the file cannot be written.
bool exportNotebook(Grid *grid, const QString &path, QString *error);
