#pragma once
// The exports beside the three of File > Export's first entries, made to be read outside
// Pavona: Markdown, Jupyter notebook, one-file HTML and the document as JSON data. One
// entry per format ties its export type to its --format name, extension and save dialog.

#include "export/export_blocks.h"

#include <QString>

struct SharedExportFormat {
    int type;               // an ExportType value
    const char *formatName; // --format NAME
    const char *extension;  // with its dot; chosen by extension when byExtension
    bool byExtension;
    const char *menuCaption; // File > Export entry
    const char *menuName;    // its object name
    const char *dialogTitle;
    const char *dialogFilter;
};

// nullptr when exportType is none of these formats.
const SharedExportFormat *sharedExportFormat(int exportType);
// The export type a --format name or a file's extension stands for; 0 for none.
int sharedExportTypeNamed(const QString &formatName);
int sharedExportTypeForSuffix(const QString &suffix);

// Writes the blocks in one of these formats; false (error says why) when it cannot.
bool exportShared(const QList<ExportBlock> &blocks, int exportType, const QString &path,
                  QString *error = nullptr);
