#pragma once
// Export as Markdown: headings "#" to "####", prose as paragraphs and bullet lists, each
// statement in a ```sql fence with its outputs under it: a result as a pipe table with
// its message below, other outputs in plain fences. Pictures and charts are PNG files
// beside the file, linked by their relative name.

#include "export/export_blocks.h"

// One block of readingBlocks as Markdown lines (a picture as a link to its PNG file);
// the notebook's markdown cells are made of them too.
QStringList markdownLines(const ExportBlock &block, const QString &pictureBase = {});

// The document as Markdown; picture n is linked as "<baseName>-<n>.png" (the base
// name's file part only).
QString markdownDocument(const QList<ExportBlock> &blocks, const QString &pictureBase);

// Writes path and its picture files; false (error says why) when the file cannot be
// written. A picture that cannot be written is left out, its link kept.
bool exportMarkdown(const QList<ExportBlock> &blocks, const QString &path, QString *error);
