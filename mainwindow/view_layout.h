#pragma once
// Where the main window's controls sit in each view: the text column's width, the wrap
// widths measured from it, and the interactive panel of Text View and SQL View (its row
// heights, the editors, the result grid and the toolbar laid over its cells). It reads
// the view from the settings and writes the wrap widths there.

class NorqSQL;
class QWidget;
class ScriptPane;
struct Settings;

class ViewLayout {
public:
    ViewLayout(NorqSQL &window, ScriptPane &pane, Settings &settings);

    void setTextColumnWidth();
    // Character widths of prose and code lines at the text column's width.
    void measureWrapWidths();
    // Lays the view out again after the window changed size.
    void resize();
    // Row heights of the interactive panel, and the controls laid over it.
    void layoutPanel();
    // The SQL entry box of the interactive panel: the cell editor over row 1.
    void openPanelEditor();
    void placeOverCell(QWidget *widget, int row, int col);

private:
    void placeFullEdit();
    void placeToolbar();
    void placeEntryBox();

    NorqSQL &window_;
    ScriptPane &pane_;
    Settings &settings_;
};
