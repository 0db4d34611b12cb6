#pragma once
// The connect dialog: pick a database from the local catalog, give a userid and a
// password, and connect. The session reports its progress in the status line.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct SessionState;

class NorqConnect : public QDialog {
    Q_OBJECT
public:
    explicit NorqConnect(QWidget *parent = nullptr);

    // The one dialog the program shows (created on first use).
    static NorqConnect *shared();
    // The shared dialog when it exists and is visible, else null.
    static NorqConnect *visibleInstance();

    // Shows a progress text in the status line and lets it paint.
    void setStatus(const QString &text);

    // Fills the fields from the session values and lists the local catalog.
    void Form_Load();
    void DoConnect_Click();
    void Killit_Click();

    QComboBox *DBList;
    QLineEdit *UIDName;
    QLineEdit *Pswd;
    QPushButton *DoConnect;
    QPushButton *Killit;
    QLabel *Status;

protected:
    void showEvent(QShowEvent *event) override;

private:
    int listDataSources();
    QString chosenDatabase() const;
    // The fields as the session holds them.
    void showSession(const SessionState &session);
    // The session takes the fields and connects with them; 0 or -1 as Norq_connect.
    int connectSession(SessionState &session);

    bool connecting_ = false;
};
