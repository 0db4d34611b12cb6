#pragma once
// A script document on the offscreen platform, as the main window holds one: a grid of
// script rows, the measuring box, the picture label and the lines.
#include "core/engine_state.h"
#include "document/grid.h"
#include "document/measure_box.h"
#include "document/row_model.h"
#include "document/script_document.h"
#include "document/script_lines.h"
#include "fuzz_input.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <cstdlib>

struct DocumentHarness {
    DocumentHarness() : app(argc, argv) {
        grid.setCols(ScriptRow::columnCount);
        grid.setRows(1);
        document.attach(&grid, &measure, &label, &lines);
    }

    // The input as the lines of a script file.
    void load(const uint8_t *data, size_t size) {
        lines.setText(
            QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    }

    static inline int argc = 1;
    static inline char name[] = "fuzz";
    static inline char *argv[] = {name, nullptr};
    QApplication app;
    QTemporaryDir scratch;
    Grid grid;
    MeasureBox measure;
    QLabel label;
    ScriptLines lines;
    ScriptDocument document;
};

inline DocumentHarness &documentHarness() {
    static DocumentHarness *harness = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new DocumentHarness;
    }();
    return *harness;
}
