// Random script text rendered in the Script View and exported in each format: every
// export is written whole (ending with CR LF), and the HTML ones hold no tag the text
// brought in.
#include "document_harness.h"
#include "mainwindow/export.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    DocumentHarness &h = documentHarness();
    engine.viewMode = ViewMode::script;
    h.load(data, size);
    h.document.memoryToScript();
    const QString path = h.scratch.filePath(QStringLiteral("export.htm"));
    for (const int type : {ExportType::htmlPage, ExportType::htmlPlain, ExportType::text}) {
        check(exportGrid(&h.grid, type, path));
        QFile file(path);
        check(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        check(written.isEmpty() || written.endsWith("\r\n"));
        if (type != ExportType::text) check(!written.contains("<script"));
    }
    return 0;
}
