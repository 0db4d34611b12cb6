#pragma once
// "Search Script": marks the places in the open script where a text occurs. One shared
// instance; Escape hides it, and so does a search that finds something.

#include <QWidget>

class NorqSQL;
class QLineEdit;
class QPushButton;

class NorqFind : public QWidget {
    Q_OBJECT
public:
    explicit NorqFind(NorqSQL *owner);

    static NorqFind *shared(NorqSQL *owner);
    static NorqFind *existing();

    void FindPattern_Click();
    void Form_KeyPress(int keyCode);

    QLineEdit *SearchString;
    QPushButton *FindPattern;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    NorqSQL *owner_;
};
