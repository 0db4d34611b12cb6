#pragma once
// "Search Examples": finds the library's scripts that contain a text and marks their
// nodes in the library tree. One shared instance, hidden (not closed) when it succeeds.

#include <QWidget>

class NorqSQL;
class QLineEdit;
class QPushButton;

class NorqSearch : public QWidget {
    Q_OBJECT
public:
    explicit NorqSearch(NorqSQL *owner);

    // The one dialog (created on first use, searching owner's library).
    static NorqSearch *shared(NorqSQL *owner);
    // The dialog when it has been created, else null.
    static NorqSearch *existing();

    void FindSearch_Click();

    QLineEdit *SearchString;
    QPushButton *FindSearch;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    NorqSQL *owner_;
};
