#pragma once
// "Search Examples": finds the library's scripts that contain a text and marks their
// nodes in the library tree. One shared instance, hidden (not closed) when it succeeds.

#include <QWidget>

class ScriptSearch;
class QLineEdit;
class QPushButton;

class NorqSearch : public QWidget {
    Q_OBJECT
public:
    NorqSearch(QWidget *parent, ScriptSearch &search);

    // The one dialog (created on first use under parent, searching with search).
    static NorqSearch *shared(QWidget *parent, ScriptSearch &search);
    // The dialog when it has been created, else null.
    static NorqSearch *existing();

    void FindSearch_Click();

    QLineEdit *SearchString;
    QPushButton *FindSearch;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    ScriptSearch &search_;
};
