#pragma once
// Export as one self-contained HTML page: the HTML page's look in a UTF-8 page, every
// picture inline as a PNG data URI, links between headings by id, nothing outside it.

#include "mainwindow/export_blocks.h"

QString standaloneHtmlDocument(const QList<ExportBlock> &blocks, const QString &title);

// False (error says why) when the file cannot be written.
bool exportStandaloneHtml(Grid *grid, const QString &path, QString *error);
