#pragma once
// The run history: one row per statement of a traced run, coloured while it runs and by
// its outcome; a click shows a statement's whole text below.

#include "windows/qt_window_interface.h"

#include <QWidget>

class Grid;
class QPlainTextEdit;

class NorqTrace : public QWidget, public RunHistorySink {
    Q_OBJECT
public:
    explicit NorqTrace(QWidget *parent = nullptr);

    // The one trace window (created on first use).
    static NorqTrace *shared();
    // The shared window if it has been created, else null.
    static NorqTrace *existing();

    // Readies the history grid for a traced session: one header row "#", "SQL",
    // "Message", no fixed rows.
    void prepareHistory();

    void historyClear() override;
    void historyAppend(int number, const QString &summary, const QString &status) override;
    void historySetStatus(int number, const QColor &colour, const QString &text) override;

    void History_Click();

    Grid *History;
    QPlainTextEdit *expandCell;

private:
    int rowOfStatement(int number) const;
};
