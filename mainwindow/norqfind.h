#pragma once
// "Search Script": marks the places in the open script where a text occurs. One shared
// instance; Escape hides it, and so does a search that finds something.

#include <QWidget>

class ScriptSearch;
class QLineEdit;
class QPushButton;

class NorqFind : public QWidget {
    Q_OBJECT
public:
    NorqFind(QWidget *parent, ScriptSearch &search);

    static NorqFind *shared(QWidget *parent, ScriptSearch &search);
    static NorqFind *existing();

    void FindPattern_Click();
    void Form_KeyPress(int keyCode);

    QLineEdit *SearchString;
    QPushButton *FindPattern;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    ScriptSearch &search_;
};
