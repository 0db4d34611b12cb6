#pragma once
// Export of the rendered script (its rows, outputs included) as a styled HTML page, an
// HTML fragment or plain text, with pictures and charts written as bitmaps beside it.
// The main window's File > Export entries and the window-less batch run share it.

#include <QString>
#include <QStringList>

class Grid;

namespace ExportType {
inline constexpr int htmlPage = 1;
inline constexpr int htmlPlain = 2;
inline constexpr int text = 3;
// Made to be read outside Pavona (mainwindow/shared_exports.h).
inline constexpr int markdown = 4;
inline constexpr int notebook = 5;
inline constexpr int htmlStandalone = 6;
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
// The style sheet head of the HTML page, a line per entry.
QStringList exportPageHead();

// Writes every row of a script grid to path, replacing the file atomically; pictures of
// chart and image rows go to picture files beside it (HTML only). False, with the reason
// in error, when the file or a picture cannot be written; an old file is then left whole.
bool exportGrid(Grid *grid, int exportType, const QString &path, QString *error = nullptr);
