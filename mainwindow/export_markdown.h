#pragma once
// Export as Markdown: headings "#" to "####", prose as paragraphs and bullet lists, each
// statement in a ```sql fence with its outputs in plain fences under it, pictures and
// charts as PNG files beside the file, linked by their relative name.

#include "mainwindow/export_blocks.h"

// One block as Markdown lines (a picture as a link to its PNG file); the notebook's
// markdown cells are made of them too.
QStringList markdownLines(const ExportBlock &block, const QString &pictureBase = {});

// The document as Markdown; picture n is linked as "<baseName>-<n>.png" (the base
// name's file part only).
QString markdownDocument(const QList<ExportBlock> &blocks, const QString &pictureBase);

// Writes path and its picture files; false (error says why) when the file cannot be
// written. A picture that cannot be written is left out, its link kept.
bool exportMarkdown(Grid *grid, const QString &path, QString *error);
