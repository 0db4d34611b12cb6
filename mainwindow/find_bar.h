#pragma once
// The find bar laid over the top of a view: every occurrence of its text is marked where
// it stands, the bar counts them ("3 of 12"), and Enter / Shift+Enter (F3 / Shift+F3
// from the window) go to the next / previous one and bring it into sight.

#include <QFrame>
#include <QList>
#include <QPointer>

class Grid;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

class FindBar : public QFrame {
    Q_OBJECT

public:
    // Lies over cover's top right corner (a sibling of the bar), following its size.
    FindBar(QWidget *cover, QWidget *parent);

    // What is searched: the given columns of a grid's rows (no columns: all of them, as
    // many as there are at each step), or an editor's text.
    void searchGrid(Grid *grid, const QList<int> &columns);
    void searchEditor(QPlainTextEdit *editor);

    // Shows the bar with its text selected for typing over.
    void open();
    // Hides it and takes the marks away.
    void dismiss();
    void findNext();
    void findPrevious();

    QLineEdit *entry() const { return entry_; }
    // "3 of 12", "No match", or empty while there is no text.
    QString status() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Hit {
        int row = 0; // grid row, or the character offset in an editor
        int col = 0;
        int ordinal = 0; // among the hits of its cell
    };
    void collectHits();
    void step(int direction);
    void showCurrent();
    void place();

    QWidget *cover_;
    QLineEdit *entry_;
    QLabel *count_;
    QPointer<Grid> grid_;
    QList<int> columns_;
    QPointer<QPlainTextEdit> editor_;
    QList<Hit> hits_;
    int current_ = -1;
};
