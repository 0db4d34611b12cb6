#pragma once
// The main window: the library tree, the script grid and the overlays laid over it.
// Its document methods (file format, rows, views, cell editing, parsing) are implemented
// in document/; its commands (menus, toolbar, events) in further mainwindow/ files.

#include "document/measure_box.h"
#include "document/row_model.h"
#include "document/script_document.h"
#include "document/script_lines.h"

#include <QMainWindow>
#include <QString>

class Grid;
class QChartView;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QWidget;

// Geometry and font of one grid cell, in twips relative to the grid.
struct CellInfo {
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    QString fontName;
    int fontSize = 0;
};

class NorqSQL : public QMainWindow {
    Q_OBJECT

public:
    // ---- Row model (document/row_model.h) -------------------------------------------
    static constexpr int markerCol = ScriptRow::markerCol;
    static constexpr int textCol = ScriptRow::textCol;
    static constexpr int kindCol = ScriptRow::kindCol;
    static constexpr int tagCol = ScriptRow::tagCol;
    static constexpr int rawCol = ScriptRow::rawCol;
    static constexpr int sqlCol = ScriptRow::sqlCol;

    explicit NorqSQL(QWidget *parent = nullptr);
    ~NorqSQL() override;

    // ---- Controls ---------------------------------------------------------------------
    QTreeWidget *TV = nullptr;          // library tree; a node's data(0, UserRole) is its path
    QSplitter *DragBar = nullptr;       // splitter between TV and CLP
    Grid *CLP = nullptr;                // script grid
    Grid *DataValues = nullptr;         // result overlay / SQL View result grid
    QTreeWidget *XMLView = nullptr;     // XML tree pop-up
    QWidget *EditBox = nullptr;         // frame of the cell editor
    QPlainTextEdit *TextEdit = nullptr; // text box inside EditBox
    QPlainTextEdit *FullEdit = nullptr; // Text View editor
    MeasureBox InfoRTF;                 // hidden word-wrapping measure
    QToolBar *TB = nullptr;             // toolbar of the interactive panel
    QChartView *Chart = nullptr;        // plots
    QLabel *TestImage = nullptr;        // hidden picture box for measuring pictures

    // ---- Document state -------------------------------------------------------------
    ScriptLines scriptLines; // the open script, single source of truth between views
    int currentRow = 0;      // row the window's commands work on
    int currentCol = 0;      // column under the mouse at the last press
    int editRow = -1;        // row under the cell editor; -1 closed, -2 read-only message

    // ---- Script file and library index (document/norqsql_file.cpp) -----------------
    // Number of entries read, -1 when the index cannot be opened.
    int readLibrary(const QString &opsfilein);
    void fileToMemory(const QString &FName);
    void memoryToFile(const QString &fileOUT);
    void memoryToEdit();
    void editToMemory();
    void printToMemory(const QString &inData);
    void saveToMemory();

    // ---- Rows and rendering (document/norqsql_rows.cpp) -----------------------------
    void addRow(int &DataType, const QString &datain, const QString &dataSQL, int location);
    int getHeight(int DataType, const QString &inText, const QString &displayFont,
                  double displaySize);
    int getHeightJPG(const QString &FileName);
    static QString getRawSQL(const QString &inSQL);
    static QString removeComments(const QString &inSQL);
    static QString stripCR(const QString &stringIN);
    void cellWidthRefresh();

    // ---- Parsing and regeneration (document/norqsql_rows.cpp) -----------------------
    void memoryToScript();
    void scriptToMemory();

    // ---- Views and layout (document/norqsql_views.cpp) ------------------------------
    void setViewMode(int viewModeIN);
    void resizeView();
    CellInfo getCellInfo(int row, int col);
    // Keeps the row after meRow in sight; always returns false (nothing to report).
    bool setTopRow(int meRow);
    // Character widths of prose and code lines at the text column's width.
    void measureWrapWidths();
    bool scrollingItself() const { return settingTopRow_; }

    // View commands.
    void modeText_Click();
    void modeScript_Click();
    void modeSQL_Click();
    void modeEdit_Click();
    void viewEditMode_Click();
    void editViewScript_Click();
    void scriptviewText_Click();

    // ---- Cell editing (document/norqsql_edit.cpp) -----------------------------------
    void SaveCellEdit(int row);
    void ResetCellEdit();

    // The renderer behind the grid (shared rules with the help viewer).
    ScriptDocument &document() { return document_; }

    // ---- Main window commands (mainwindow/*.cpp) -------------------------------------
    // Menus, toolbar, running rows, export, editing commands, search and file commands
    // add their members below this line.

private:
    void buildControls();
    void buildInteractivePanel();
    void layoutPanel();
    void placeFullEdit();
    void placeToolbar();
    void placeOverCell(QWidget *widget, int row, int col);
    void openPanelEditor();
    void switchView(bool commit, int mode, bool rebuildScript);
    void setTextColumnWidth();

    ScriptDocument document_;
    bool settingTopRow_ = false;
};
