#pragma once
// The HTML page, the HTML fragment and the plain text of File > Export's first entries:
// every line ends in CR LF, pictures and charts are bitmaps beside the HTML ones.

#include "export/export_blocks.h"

// The style sheet head of the HTML page, a line per entry.
QStringList exportPageHead();

// Writes the blocks as ExportType::htmlPage, htmlPlain or text.
bool exportPage(const QList<ExportBlock> &blocks, int exportType, const QString &path,
                QString *error);
