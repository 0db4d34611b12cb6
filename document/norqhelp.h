#pragma once
// The help viewer: a separate window that shows a help file written in the script
// format, rendered as the Script View renders a script, with working links and runnable
// statements. Its ScriptPane is its own, as the main window's is.

#include "document/row_model.h"
#include "document/script_pane.h"

#include <QChartView>
#include <QString>
#include <QWidget>

class Grid;
class QAction;
class QLabel;

class NorqHelp : public QWidget, public ScriptColumns {
    Q_OBJECT

    // First: the controls and stores below refer into it.
    ScriptPane pane_;

public:
    explicit NorqHelp(QWidget *parent = nullptr);
    ~NorqHelp() override;

    // The one viewer of the program, made on first use.
    static NorqHelp *shared();

    Grid *CLP = nullptr;
    Grid *DataValues = nullptr;
    QChartView *Chart = nullptr;
    QLabel *TestImage = nullptr;
    MeasureBox &InfoRTF;
    ScriptLines &lines;
    int currentRow = 0;

    void setHelpMode();
    // Loads a help file (an empty store when it cannot be read) and empties the title.
    void fileToMemory(const QString &path);
    void memoryToScript();
    void addRow(RowKind &DataType, const QString &datain, const QString &dataSQL, int location);
    int getHeight(RowKind DataType, const QString &inText, const QString &displayFont,
                  double displaySize);
    int getHeightJPG(const QString &FileName);
    CellInfo getCellInfo(int row, int col);
    void cellWidthRefresh();
    void resizeView();
    void ResetCellEdit();

    // Word wrapping and prose layout at the viewer's own wrap width.
    QString wrapText(const QString &txtIN, const QString &prefix, bool first);
    QString toText(const QString &txtIN);
    int maxFixedHelp(const QString &fontName, int fontSize);
    int wrapWidth() const { return pane_.document().wrapWidth(); }
    QString title() const { return pane_.document().title(); }

    // Presses in the grid: a link's text, a statement's or a result's marker.
    void CLP_MouseDown(Qt::MouseButton button, int row, int col);

    // Opens a help file as a new place to go back from.
    void showFile(const QString &path);
    // Back and Forward (Alt+Left, Alt+Right) across the pages and links followed.
    void goBack();
    void goForward();
    QAction *backAction() const { return back_; }
    QAction *forwardAction() const { return forward_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openPage(const QString &target);
    void runStatementRow(int row);
    // The wrap width for the text column's present width.
    void measureWrapWidth();

    // A place seen: a file and the row at the top.
    struct Place {
        QString path;
        int topRow = 0;
    };
    void visit(const Place &place);
    void goTo(int index);
    void load(const QString &path);
    void updateHistoryActions();

    QLabel *missingFile_ = nullptr;
    QString folder_;
    QString path_;
    QList<Place> history_;
    int at_ = -1;
    QAction *back_ = nullptr;
    QAction *forward_ = nullptr;
};

// Opens a help file of the help folder in the viewer and shows it without a modal wait.
void showHelp(const QString &fileName);
