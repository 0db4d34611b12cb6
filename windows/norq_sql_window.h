#pragma once
// The interactive SQL window: an editor whose text runs through the dispatcher, and one
// rectangle below it showing the last run's result as a grid, a text, an XML tree or a
// chart. Several can be open at once; each keeps its own history of five texts.

#include "windows/result_panes.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

class Grid;
class QAction;
class QChartView;
class QLabel;
class QPlainTextEdit;
class QToolBar;
class QTreeWidget;

struct RunOutcome;

class NorqSQLWindow : public QWidget {
    Q_OBJECT
public:
    explicit NorqSQLWindow(QWidget *parent = nullptr);

    // Shows a text over the results rectangle (CR line breaks).
    void showExtendedMessage(const QString &message);

    // Toolbar button by key: run, trash, recycle, paste, fontsize, newsql, info.
    void TB_ButtonClick(const QString &key);
    void NorqMSG_Click();
    void DataValues_MouseDown(int x);
    // Escape: back to the grid, focus in the editor.
    void escapeKey();

    int historyPosition() const { return historyPos_; }
    int editorFontSize() const { return fontSize_; }
    // Next header click sorts descending (1) or ascending (2).
    int sortDirection() const { return panes_.sortDirection(); }
    // The window opened by the last "newsql" press.
    NorqSQLWindow *lastOpened() const { return lastOpened_.data(); }

    QPlainTextEdit *TextEdit;
    QToolBar *TB;
    QWidget *DragBar;
    QLabel *NorqMSG;
    // Shown at the message's start while it reports a failure.
    QLabel *failureMark() const { return failureMark_; }
    Grid *DataValues;
    Grid *SingleView;
    QTreeWidget *XMLView;
    QPlainTextEdit *ExtendedMsg;
    QChartView *Chart;
    // Pictures a run leaves on the clipboard (a plot, or a picture file viewed) are shown
    // here, in the chart's place.
    QLabel *Picture;
    QLabel *Running;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbar();
    QAction *addButton(const QString &key, const QString &tip);

    void runQuery();
    void recallHistory();
    void nextFontSize();
    void openNewWindow();
    void showResult(const RunOutcome &outcome);
    void showTextResult(const QString &text);
    void showPicture();
    void coverGrid(QWidget *pane);
    void hideResultPanes();
    void showMessageOutcome(bool failed);

    void layoutControls(int editorHeight);
    bool dragSplitter(int dy);

    QLabel *failureMark_ = nullptr;
    std::array<QString, 6> history_{}; // slots 1..5
    int historyPos_ = 0;
    int fontSize_ = 8;
    ResultPanes panes_;
    int grabY_ = 0;
    QPointer<NorqSQLWindow> lastOpened_;
};
