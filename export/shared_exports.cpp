#include "export/shared_exports.h"

#include "export/export.h"
#include "export/export_json.h"
#include "export/export_markdown.h"
#include "export/export_notebook.h"
#include "export/export_standalone.h"

#include <array>

namespace {

constexpr std::array kFormats{
    SharedExportFormat{ExportType::markdown, "markdown", ".md", true, "Markdown", "exportMarkdown",
                       "Export as Markdown", "Markdown (md) (*.md);;All files (*)"},
    SharedExportFormat{ExportType::notebook, "ipynb", ".ipynb", true, "Jupyter Notebook",
                       "exportNotebook", "Export as a Jupyter notebook",
                       "Jupyter notebook (ipynb) (*.ipynb);;All files (*)"},
    // .html and .htm already stand for the HTML page; this one is asked for by name.
    SharedExportFormat{ExportType::htmlStandalone, "html-standalone", ".html", false,
                       "HTML (one file)", "exportHTMLOne", "Export as one HTML file",
                       "HTML (html) (*.html);;All files (*)"},
    SharedExportFormat{ExportType::json, "json", ".json", true, "JSON Data", "exportJSON",
                       "Export as JSON data", "JSON (json) (*.json);;All files (*)"},
};

} // namespace

const SharedExportFormat *sharedExportFormat(int exportType) {
    for (const SharedExportFormat &format : kFormats)
        if (format.type == exportType) return &format;
    return nullptr;
}

int sharedExportTypeNamed(const QString &formatName) {
    for (const SharedExportFormat &format : kFormats)
        if (formatName == QLatin1String(format.formatName)) return format.type;
    return 0;
}

int sharedExportTypeForSuffix(const QString &suffix) {
    for (const SharedExportFormat &format : kFormats)
        if (format.byExtension && QStringLiteral(".") + suffix == QLatin1String(format.extension))
            return format.type;
    return 0;
}

bool exportShared(const QList<ExportBlock> &blocks, int exportType, const QString &path,
                  QString *error) {
    QString reason = QStringLiteral("not an export format");
    bool written = false;
    if (exportType == ExportType::markdown) written = exportMarkdown(blocks, path, &reason);
    if (exportType == ExportType::notebook) written = exportNotebook(blocks, path, &reason);
    if (exportType == ExportType::htmlStandalone)
        written = exportStandaloneHtml(blocks, path, &reason);
    if (exportType == ExportType::json) written = exportJson(blocks, path, &reason);
    if (!written && error) *error = reason;
    return written;
}
