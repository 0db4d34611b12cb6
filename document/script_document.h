#pragma once
// Renders a script's lines as rows of a grid and regenerates lines from the rows. The
// main window and the help viewer each own one, over their own grid, measuring box and
// picture box; the help viewer's always follows the Script View rules.

#include "document/row_model.h"

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Grid;
class MeasureBox;
class QLabel;
class ScriptLines;
struct RowSource;

class ScriptDocument {
public:
    void attach(Grid *grid, MeasureBox *measure, QLabel *testImage, ScriptLines *lines);

    // Help viewer: Script View rules always, row heights always set, no Edit View minimum,
    // its own prose wrap width, and the first heading as the window title.
    void setHelpMode(bool on) { helpMode_ = on; }
    bool helpMode() const { return helpMode_; }
    // The view whose rules apply: engine.viewMode, or the Script View in help mode.
    int viewMode() const;
    // Prose wrap width in characters; 0 uses engine.textLineWidth.
    void setWrapWidth(int characters) { wrapWidth_ = characters; }
    int wrapWidth() const { return wrapWidth_; }
    // Called with the text of the first heading of level 1..4 while no title is set.
    void setTitleHandler(std::function<void(const QString &)> handler) {
        titleHandler_ = std::move(handler);
    }
    void clearTitle() { title_.clear(); }
    QString title() const { return title_; }

    // Creates or rewrites a row and styles it; kind may come back changed (a tagged
    // comment becomes a heading, picture or example). Returns the row written.
    int addRow(RowKind &kind, const QString &datain, const QString &dataSQL, int location);
    int getHeight(RowKind kind, const QString &text, const QString &fontName, double size) const;
    int getHeightJPG(const QString &fileName);
    void cellWidthRefresh();
    // Lays the prose rows out again at the wrap width (after it changed).
    void rewrapProse();
    // Parses the lines into rows below the grid's one placeholder row.
    void memoryToScript();
    // Rewrites the lines from the rows, in the canonical layout; false, with the lines
    // unchanged, when they would not fit in a script.
    bool scriptToMemory();
    // The lines scriptToMemory would write, leaving the script's lines alone.
    QStringList regeneratedLines() const;

    // Shown text of a comment: carets removed, laid out as prose at the wrap width.
    QString commentDisplayText(const QString &joined) const;
    // The wrap width, or the settings' textLineWidth when none is set.
    int proseWidth() const;
    // wrapText and formatProse at the wrap width.
    QString wrapAtWrapWidth(const QString &text, const QString &prefix, bool first) const;
    QString proseAtWrapWidth(const QString &text) const;
    // Shows a picture in the row's text cell, or its file name when it cannot be loaded.
    void showPicture(int row, const QString &fileName);
    // Height of a row from its shown text; lowerLinks takes 150 twips off a link line.
    int measuredRowHeight(int row, bool lowerLinks) const;
    RowKind kindOf(int row) const;
    // Marker, colours and fonts of a row of kind, as the renderer gives them.
    void styleRow(int row, RowKind kind);
    // The point size a heading row is drawn at in the view whose rules apply.
    double headingSize(int row) const;

private:
    std::vector<RowSource> rowSources() const;
    QStringList buildCells(RowKind &kind, const QString &text, const QString &dataSQL,
                           QString &pictureFile) const;
    int placeRow(RowKind kind, const QStringList &cells, int location);
    void styleMarker(int row, RowMarker marker, bool editView);
    void styleHeadingText(int row, bool scriptView);
    void deleteDollarVariables();
    void takeTitle(int row);
    void sizeRow(int row, RowKind kind, const QString &pictureFile);
    QPixmap loadPicture(const QString &fileName);

    Grid *grid_ = nullptr;
    MeasureBox *measure_ = nullptr;
    QLabel *testImage_ = nullptr;
    ScriptLines *lines_ = nullptr;
    bool helpMode_ = false;
    int wrapWidth_ = 0;
    QString title_;
    std::function<void(const QString &)> titleHandler_;
    QHash<QString, QPixmap> pictures_;
};
