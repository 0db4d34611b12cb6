#pragma once
// The main window: the library tree, the script grid and the overlays laid over it. The
// rendered script (grid, renderer, layout, links, output rows, result overlay) is its
// ScriptPane; searching (ScriptSearch), the layout of each view (ViewLayout) and the
// script's changes against its file (ScriptChanges) are parts it owns, given the engine
// state they work on, and its commands forward to them. The rest of the window's methods
// are split by concern over the mainwindow/ files.

#include "core/engine_state.h"
#include "document/document_model.h"
#include "document/document_run.h"
#include "document/row_model.h"
#include "document/script_pane.h"
#include "mainwindow/script_changes.h"
#include "mainwindow/script_search.h"
#include "mainwindow/snapshot_marks.h"
#include "mainwindow/view_layout.h"

#include <QChartView>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class FindBar;
class Grid;
class QAction;
class QMenu;
class QTreeWidgetItem;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QWidget;

class NorqSQL : public QMainWindow, public ScriptColumns {
    Q_OBJECT

    // The parts of the engine record the window's own commands read and set.
    Settings &settings_;
    RunOutcome &outcome_;
    WindowMemory &memory_;
    SessionState &session_;

    // First of the controls: the controls and stores below refer into it.
    ScriptPane pane_;
    SnapshotMarks snapshotMarks_{pane_};

public:
    explicit NorqSQL(QWidget *parent = nullptr, EngineState &state = engine);
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
    MeasureBox &InfoRTF;                // hidden word-wrapping measure
    QToolBar *TB = nullptr;             // toolbar of the interactive panel
    QChartView *Chart = nullptr;        // plots
    QLabel *TestImage = nullptr;        // hidden picture box for measuring pictures

    // ---- Document state -------------------------------------------------------------
    ScriptLines &scriptLines; // the open script, single source of truth between views
    int currentRow = 0;       // row the window's commands work on
    int currentCol = 0;       // column under the mouse at the last press
    int editRow = -1;         // row under the cell editor; -1 closed, -2 read-only message

    // ---- Script file and library index (script_file.cpp) ----------------------------
    // Number of entries read, -1 when the index cannot be opened.
    int readLibrary(const QString &opsfilein);
    void fileToMemory(const QString &FName);
    // False, with the user told why, when nothing was written.
    bool memoryToFile(const QString &fileOUT);
    void memoryToEdit();
    void editToMemory();
    void printToMemory(const QString &inData);
    // Brings the lines up to date with the view's edits (rows or text the user left as
    // they were leave the lines as read). False when the Edit View's rows could not be
    // written back (see scriptToMemory).
    bool saveToMemory();

    // ---- The script against its file (mainwindow/script_state.cpp) ----------------
    // The script differs from its file: an edit committed to the lines, or one still in
    // the view (Text View's editor, the rows, an open cell editor). Outputs do not count.
    bool scriptModified();
    // "report.norq* — SAMPLE — Pavona", with the open-transaction note.
    QString windowCaption();
    void refreshCaption();
    enum class DiscardAnswer { save, discard, cancel };
    // Before the script is replaced or dropped: asks Save / Discard / Cancel when it has
    // changes. True when the caller may go on (saved, discarded, or nothing to lose).
    bool mayDiscardScript();
    // The file's script in the current view (Script View from SQL View), once
    // mayDiscardScript agrees; false when the user kept the script.
    bool openScriptFile(const QString &path);
    // Writes the script in place (Save As when it has no file yet); false when nothing
    // was written.
    bool saveScript();
    bool saveScriptAs();
    // The question of mayDiscardScript, given the script's name; replaceable so that the
    // window can be driven without a modal box.
    std::function<DiscardAnswer(const QString &scriptName)> AskDiscard;

    // ---- Child programs (mainwindow/child_programs.cpp) -----------------------------
    // Before the script's statements run: a script that holds commands starting other
    // programs (pending, a row's text not yet in the rows, included) runs only once the
    // user agreed, asked once per file for the session. False when the user cancelled.
    bool mayStartChildPrograms(const QString &pending = {});
    // The question, given the script's name and the commands; true to run. Replaceable so
    // that the window can be driven without a modal box.
    std::function<bool(const QString &scriptName, const QStringList &commands)> AskChildPrograms;

    // ---- Rows and rendering (script_rows.cpp) ---------------------------------------
    void addRow(RowKind &DataType, const QString &datain, const QString &dataSQL, int location);
    int getHeight(RowKind DataType, const QString &inText, const QString &displayFont,
                  double displaySize);
    int getHeightJPG(const QString &FileName);
    static QString getRawSQL(const QString &inSQL);
    static QString removeComments(const QString &inSQL);
    static QString stripCR(const QString &stringIN);
    void cellWidthRefresh();

    // ---- Parsing and regeneration (script_rows.cpp) --------------------------------
    void memoryToScript();
    // False, with the user told and the lines unchanged, when the rows need more lines
    // than a script can hold.
    bool scriptToMemory();

    // ---- Views and layout (views.cpp) -----------------------------------------------
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

    // ---- Cell editing (cell_editing.cpp) --------------------------------------------
    void SaveCellEdit(int row);
    void ResetCellEdit();

    // The rendered script, and its renderer (shared with the help viewer).
    ScriptPane &pane() { return pane_; }
    ScriptDocument &document() { return pane_.document(); }

    // ==== Main window commands ========================================================
    // Window state.
    QString currentFile;                  // script last opened or saved
    QString cutFile;                      // a file read only in part: never saved over
    bool dragging = false;                // the splitter bar is being dragged
    int dragStartX = 0;                   // twips, relative to the bar
    int splitterGap = 30;                 // twips between the bar and the script grid
    std::array<QString, 11> recallList{}; // toolbar statements, slots 1..5 used
    QString rowClipKind;                  // the one-row clipboard of the row commands
    QString rowClipText;
    QString rowClipTag;
    // The file dialog: returns the chosen path, empty when cancelled. Replaceable so that
    // the file commands can be driven without a modal dialog.
    std::function<QString(bool save, const QString &title, const QString &filter,
                          const QString &initialName)>
        CommonDialog;

    // Menus (mainwindow/menus.cpp): every entry by its control name ("mnuOpen", ...).
    QAction *menuEntry(const QString &name) const;
    QMenu *editmnu = nullptr;   // pop-up of the Text View editor
    QMenu *mnuScript = nullptr; // pop-up of Edit View
    QMenu *viewMenu = nullptr;  // pop-up of Script View
    QList<QAction *> mnuFontSizeValue;
    QList<QAction *> mnuColSize;

    // Window events (mainwindow/window_events.cpp). Form_Load wires the menus, toolbar,
    // mouse, wheel and keys; it runs once, before the window is first used.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Form_KeyPress(int keyCode);
    void DragBar_MouseDown(Qt::MouseButton button, int x);
    void DragBar_MouseMove(Qt::MouseButtons buttons, int x);
    void DragBar_MouseUp();
    void MouseWheel(int mouseKeys, int rotation, int x, int y);
    void TV_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void openTreeNode(QTreeWidgetItem *node);
    void EditBox_LostFocus();
    void FullEdit_MouseDown(Qt::MouseButton button, int x, int y);
    void TB_ButtonClick(const QString &key);

    // File, option, window and help commands (mainwindow/file_commands.cpp,
    // mainwindow/option_commands.cpp).
    void mnuOpen_Click();
    void mnuExamples_Click();
    void saveFile_Click();
    void saveFileAs_Click();
    void mnuExit_Click();
    void exportHTML_Click();
    void exportHTMLP_Click();
    void exportText_Click();
    void mnuFontSizeValue_Click(int index);
    void mnuColSize_Click(int index);
    void mnuDetach_Click();
    void mnutrace_Click();
    void mnuConnection_Click();
    void openSQLWindow_Click();
    void sqlWindow_Click();
    void viewSQLWindow_Click();
    void help_Click(const QString &entry); // help entry by control name

    // Running rows (mainwindow/run_rows.cpp).
    void CLP_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void CLP_DblClick();
    void CLP_Scroll();
    void DataValues_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void DataValues_Scroll();
    void runAll_Click();
    void mnuReset_Click();
    // Search > Next Failure (F8): the next output of a failed statement, after the
    // current row and round to the top; the status bar says when there is none.
    void nextFailure_Click();
    // File > Update Snapshot and View > Compare with Snapshot (snapshot_commands.cpp).
    void updateSnapshot_Click();
    void compareSnapshot_Click();
    // A snapshot beside the script that cannot be used: said on the status bar.
    void showSnapshotProblem(const QString &problem);
    SnapshotMarks &snapshotMarks() { return snapshotMarks_; }
    void doToc_Click();
    void beginCellEdit();
    void placeCellEditor();
    void runStatementRow();
    // What runAllRows reports after each statement; the outcome itself is in engine.
    using StatementRun = ::StatementRun;
    // Places the last run's output under its statement and leaves currentRow as a marker
    // press expects; returns the rows a caller walking the statements steps over.
    int placeOutput(int position);
    // Runs every statement row from the top as a marker press does, placing each output
    // under its statement; progress is called after each statement. No dialogs: a batch
    // run calls it too. Returns the number of statements run.
    int runAllRows(const std::function<void(const StatementRun &)> &progress = {});
    // The caption says whether a transaction the user opened is still open.
    void showTransactionState();

    // Editing commands (mainwindow/edit_commands.cpp).
    void editCut_Click();
    void copyCell_Click();
    void copySQL_Click();
    void editPaste_Click();
    void editDelete_Click();
    void editUpper_Click();
    void insertComment_Click();
    void insertHeading_Click();
    void insertSQL_Click();
    void insertImage_Click();
    void scriptEdit_Click();
    void scriptCut_Click();
    void scriptCopy_Click();
    void scriptPaste_Click();
    void scriptDuplicate_Click();
    void scriptInsertSQL_Click();
    void scriptInsertComment_Click();
    void scriptInsertXMP_Click();
    void scriptInsertTitle_Click();
    void scriptInsertImage_Click();
    void viewInsertSQL_Click();
    void editNew_Click();

    // Search (mainwindow/search.cpp).
    void searchExamples_Click();
    void searchScript_Click();
    void searchReset_Click();
    bool searchLibrary(const QString &text);
    static bool fileContains(const QString &file, const QString &text);
    bool highlightMatches(const QString &text);
    // The find bar over the view (Ctrl+F); F3 and Shift+F3 step through its hits.
    void findInView_Click();
    void findNext_Click();
    void findPrevious_Click();
    FindBar *findBar() const { return findBar_; }
    ScriptSearch &search() { return search_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    void connectEvents();
    QAction *addEntry(QMenu *menu, const QString &name, const QString &caption,
                      std::function<void()> handler);
    void showResultRow();
    void followLink();
    void cycleHeadingLevel();
    void copyRowToClip();
    void pasteRowClip();
    void insertRowAndEdit(RowKind kind, const QString &tag);
    void insertSnippet(const QString &snippet, int caretOffset);
    void rebuildAfterOpen();
    bool writeScriptTo(const QString &path);
    void exportScript(int exportType);

    QHash<QString, QAction *> menuEntries_;
    FindBar *findBar_ = nullptr;
    bool commandsLoaded_ = false;
    bool closeAgreed_ = false;         // the user let the script go for this close or exit
    QStringList childProgramsAllowed_; // files whose child programs the user let run
    // ==== End of main window commands =================================================

private:
    void buildControls();
    void buildInteractivePanel();
    void switchView(bool commit, int mode, bool rebuildScript);
    // A view change rebuilds the rows: the outputs of the statements are taken from the
    // rows first and put back under the statements whose text did not change.
    void keepOutputs();
    void restoreOutputs();
    void commitRowText(int row, RowKind kind, const QString &text);

    struct KeptRun {
        RowOutcome statement;
        DocumentModel outputs;
    };
    QHash<QString, QList<KeptRun>> keptOutputs_; // by the statement's full text
    bool settingTopRow_ = false;
    int wheelRemainder_ = 0; // wheel delta short of a whole notch

    ScriptSearch search_;
    ViewLayout layout_;
    ScriptChanges changes_;
};
