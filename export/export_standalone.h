#pragma once
// Export as one self-contained HTML page: the HTML page's look in a UTF-8 page, results
// as tables that scroll sideways when wide, every picture inline as a PNG data URI, links
// between headings by id, nothing outside it.

#include "export/export_blocks.h"

// The page of a document's blocks as readingBlocks gives them.
QString standaloneHtmlDocument(const QList<ExportBlock> &blocks, const QString &title);

// False (error says why) when the file cannot be written.
bool exportStandaloneHtml(const QList<ExportBlock> &blocks, const QString &path, QString *error);
