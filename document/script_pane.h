#pragma once
// The rendered script as a window shows it: the grid and its column layout, the renderer
// with its line store, measuring box and picture box, links, the output rows placed under
// statements, and the result grid laid over a result row. The main window and the help
// viewer each own one; the viewer's differences are the renderer's help mode, its own
// wrap width and where a link to another page goes.

#include "document/measure_box.h"
#include "document/script_document.h"
#include "document/script_lines.h"

#include <QString>
#include <functional>

class Grid;
class QChartView;
class QLabel;
class QWidget;
struct DocumentRow;

// Geometry and font of one grid cell, in twips relative to the grid.
struct CellInfo {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    QString fontName;
    int fontSize = 0;
};

// Selects the cell and reads its geometry; a cell scrolled out of view gets the
// default placement the cell editor and overlays fall back to.
CellInfo cellInfoAt(Grid *grid, int row, int col);

class ScriptPane {
public:
    static constexpr int markerWidth = 500;    // twips
    static constexpr int documentMargin = 855; // grid width less the text column's

    // Makes the grid, its result overlay, the chart and the picture box as children of
    // window; a layout the window adds the grid to takes it from there.
    explicit ScriptPane(QWidget *window);
    ScriptPane(const ScriptPane &) = delete;
    ScriptPane &operator=(const ScriptPane &) = delete;

    Grid *grid() const { return grid_; }
    Grid *overlay() const { return overlay_; }
    QChartView *chart() const { return chart_; }
    QLabel *testImage() const { return testImage_; }
    MeasureBox &measure() { return measure_; }
    ScriptLines &lines() { return lines_; }
    ScriptDocument &document() { return document_; }
    const ScriptDocument &document() const { return document_; }

    // Before its window is first shown the grid still has a child's default size: the
    // window's layouts give it its real one, so that what is measured next fits it. For a
    // window that renders before it shows itself (the main window shows itself first).
    void takeFinalSize();
    // Marker and text columns for a grid margin, the hidden columns at zero width, and
    // the measuring box as wide as the text column.
    void layOutColumns(int margin = documentMargin);

    // A link to another page ("...NORQ") goes to the opener; the main window and the
    // viewer open it in different places.
    void setPageOpener(std::function<void(const QString &target)> opener) {
        pageOpener_ = std::move(opener);
    }
    // The tool tip of a statement's marker, which says how to run it from the keys.
    void setRunHint(const QString &hint) { runHint_ = hint; }
    // What pressing the cell does, for its tool tip; empty when a press there does nothing.
    QString pressHint(int row, int col) const;

    // Follows the link on row: the row of the heading it names (scrolled to the top), or
    // -1 when it names none here (another page went to the opener, or nothing matched).
    int followLink(int row);

    // Runs statement into the overlay and chart, unless a statement is executing. True
    // when no other run started meanwhile: the engine state then holds this run's outcome.
    bool run(const QString &statement);
    // Where placeOutput put the last run's output: the row written, and how many rows a
    // caller walking the statements steps over (0 or 1). Nothing placed: row -1.
    struct Output {
        int row = -1;
        int step = 0;
    };
    // Records on a statement row the text as it ran and its number in a Run all (0 alone).
    void markRan(int row, int number);
    // Puts the last run's output at position, rewriting an output row already there.
    Output placeOutput(int position);
    // Puts an output row (as documentFromGrid reads one) at position, styled as a run
    // leaves it; returns the row written. A result is made from its full text.
    int putOutput(int position, const DocumentRow &output);

    // The overlay over a result row: hides it when shown, otherwise runs the row's
    // statement into it. True when it now shows a result.
    bool toggleResult(int row);

    // Marks an output row whose outcome differs from the script's snapshot, with how;
    // no changes: its own look again.
    void markChanged(int row, const QStringList &changes);

private:
    void markFailure(int row);
    QString toolTip(int row, int col) const;

    Grid *grid_ = nullptr;
    Grid *overlay_ = nullptr;
    QChartView *chart_ = nullptr;
    QLabel *testImage_ = nullptr;
    MeasureBox measure_;
    ScriptLines lines_;
    ScriptDocument document_;
    std::function<void(const QString &)> pageOpener_;
    QString runHint_ = QStringLiteral("Run this statement");
};
