#include "export/export.h"

#include "export/export_page.h"
#include "export/shared_exports.h"

#include <algorithm>

QString exportExtension(int exportType) {
    if (const SharedExportFormat *format = sharedExportFormat(exportType))
        return QString::fromLatin1(format->extension);
    return exportType == ExportType::text ? QStringLiteral(".txt") : QStringLiteral(".htm");
}

QString exportDialogTitle(int exportType) {
    if (const SharedExportFormat *format = sharedExportFormat(exportType))
        return QString::fromLatin1(format->dialogTitle);
    return exportType == ExportType::text ? QStringLiteral("Export as a text file")
                                          : QStringLiteral("Export as HTML file");
}

QString exportDialogFilter(int exportType) {
    if (const SharedExportFormat *format = sharedExportFormat(exportType))
        return QString::fromLatin1(format->dialogFilter);
    return exportType == ExportType::text ? QStringLiteral("TEXT (txt) (*.txt);;All files (*)")
                                          : QStringLiteral("HTML (htm) (*.htm);;All files (*)");
}

QString proposedExportName(const QString &currentFile, int exportType) {
    const qsizetype at = currentFile.indexOf(QLatin1String(".norq"));
    if (at < 0) return QLatin1Char('*') + exportExtension(exportType);
    return currentFile.left(at) + exportExtension(exportType);
}

// Cut at the first "." of the file name, not of the whole path: a dotted folder name
// ("/tmp/tmp.x1/out.htm") must not send the pictures out of the export's folder.
QString pictureBaseName(const QString &path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype nameStart = slash + 1;
    // A leading dot belongs to a hidden file's name.
    const qsizetype dot = path.indexOf(QLatin1Char('.'), nameStart + 1);
    return dot < 0 ? path : path.left(dot);
}

QString pictureFileName(const QString &baseName, int number) {
    return baseName + QLatin1Char('-') + QString::number(number) + QStringLiteral(".bmp");
}

bool exportDocument(const DocumentModel &document, int exportType, const QString &path,
                    QString *error) {
    const QList<ExportBlock> blocks = exportBlocks(document);
    if (sharedExportFormat(exportType)) return exportShared(blocks, exportType, path, error);
    return exportPage(blocks, exportType, path, error);
}

int separatePictureCount(const DocumentModel &document, int exportType) {
    if (exportType != ExportType::htmlPage && exportType != ExportType::htmlPlain &&
        exportType != ExportType::markdown)
        return 0;
    const QList<ExportBlock> blocks = exportBlocks(document);
    return static_cast<int>(std::count_if(
        blocks.begin(), blocks.end(), [](const ExportBlock &b) { return !b.picture.isNull(); }));
}

bool exportGrid(const Grid *grid, int exportType, const QString &path, QString *error) {
    return exportDocument(documentFromGrid(grid), exportType, path, error);
}
