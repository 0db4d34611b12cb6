#pragma once
// What a click on a results grid opens, shared by the SQL window and the results window:
// a header click sorts by that column (descending first, then alternating), a click on
// the row-number column shows the record as name/value pairs, and a click on an XML
// value shows it as a tree beside the click.

class Grid;
class QTreeWidget;
class QString;

class ResultPanes {
public:
    ResultPanes(Grid *grid, Grid *singleView, QTreeWidget *xmlView);

    // Mouse down on the grid at x (twips, grid coordinates); the grid's mouse row and
    // column name the cell. windowWidth (twips) keeps the tree inside the window.
    void gridMouseDown(int x, int windowWidth);

    void sortByColumn(int col);
    void showSingleRecord(int row);
    // Builds and shows the tree when the text is XML (not an HTML page); false otherwise.
    bool showXmlTree(const QString &text, int x, int windowWidth);

    // Next sort order for a header click: 1 when the window opens.
    int sortDirection() const { return sortDirection_; }

private:
    Grid *grid_;
    Grid *singleView_;
    QTreeWidget *xmlView_;
    int sortDirection_ = 1;
};

// True for a cell text that opens an XML tree: it starts with "<" and is not "<HTML...".
bool isXmlCellText(const QString &text);
