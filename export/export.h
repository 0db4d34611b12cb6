#pragma once
// Export of a document (its rows, outputs included) to a file: the HTML page, HTML
// fragment and plain text of File > Export's first entries, the formats made to be read
// outside Pavona (export/shared_exports.h), and the document as JSON data. Every format
// reads the document through one reader (export/export_blocks.h). The main window's
// File > Export and the window-less batch run share it.

#include "document/document_model.h"

#include <QString>
#include <QStringList>

class Grid;

namespace ExportType {
inline constexpr int htmlPage = 1;
inline constexpr int htmlPlain = 2;
inline constexpr int text = 3;
// Made to be read outside Pavona (export/shared_exports.h).
inline constexpr int markdown = 4;
inline constexpr int notebook = 5;
inline constexpr int htmlStandalone = 6;
inline constexpr int json = 7;
} // namespace ExportType

// ".htm" or ".txt" (or a shared format's own).
QString exportExtension(int exportType);
QString exportDialogTitle(int exportType);
// The save dialog's filter in the platform dialog's syntax.
QString exportDialogFilter(int exportType);
// The script's name with the export's extension when the script is a ".norq" file,
// otherwise "*" and the extension.
QString proposedExportName(const QString &currentFile, int exportType);
// What picture file names start with: the chosen path without the extension of its file
// name.
QString pictureBaseName(const QString &path);
// "<base>-<n>.bmp".
QString pictureFileName(const QString &baseName, int number);

// Writes every row of the document to path, replacing the file atomically; pictures of
// chart and image rows go to picture files beside it where the format keeps them apart.
// False, with the reason in error, when the file or a picture cannot be written; an old
// file is then left whole.
bool exportDocument(const DocumentModel &document, int exportType, const QString &path,
                    QString *error = nullptr);
// How many picture files the export would write beside its file: the charts and pictures
// of an HTML page or fragment or of Markdown; 0 for the formats that keep them inside.
int separatePictureCount(const DocumentModel &document, int exportType);
// The same for the rows of a script grid.
bool exportGrid(const Grid *grid, int exportType, const QString &path, QString *error = nullptr);
