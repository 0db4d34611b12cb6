#pragma once
// The shared window that shows a statement's result set outside the document, with the
// same header sort, single-record view and XML tree as the SQL window.

#include "windows/result_panes.h"

#include <QWidget>

class Grid;
class QTreeWidget;

class NorqSQLResults : public QWidget {
    Q_OBJECT
public:
    explicit NorqSQLResults(QWidget *parent = nullptr);

    // The one results window (created on first use).
    static NorqSQLResults *shared();

    void DataValues_MouseDown(int x);
    // Escape: back to the grid.
    void escapeKey();
    int sortDirection() const { return panes_.sortDirection(); }

    Grid *DataValues;
    Grid *SingleView;
    QTreeWidget *XMLView;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ResultPanes panes_;
};
