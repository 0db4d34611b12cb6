// Random script text rendered in the Script View and exported in each format: every
// export is written whole (the three first ones ending with CR LF), the HTML ones hold no
// tag the text brought in, and the JSON data parses.
#include "document_harness.h"
#include "export/export.h"

#include <QFile>
#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    DocumentHarness &h = documentHarness();
    engine.viewMode = ViewMode::script;
    h.load(data, size);
    h.document.memoryToScript();
    const DocumentModel document = documentFromGrid(&h.grid);
    const QString path = h.scratch.filePath(QStringLiteral("export.htm"));
    for (const int type :
         {ExportType::htmlPage, ExportType::htmlPlain, ExportType::text, ExportType::markdown,
          ExportType::notebook, ExportType::htmlStandalone, ExportType::json}) {
        check(exportDocument(document, type, path));
        QFile file(path);
        check(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        if (type <= ExportType::text) check(written.isEmpty() || written.endsWith("\r\n"));
        if (type == ExportType::htmlPage || type == ExportType::htmlPlain ||
            type == ExportType::htmlStandalone)
            check(!written.contains("<script"));
        if (type == ExportType::json || type == ExportType::notebook) {
            QJsonParseError error{};
            QJsonDocument::fromJson(written, &error);
            check(error.error == QJsonParseError::NoError);
        }
    }
    return 0;
}
