#pragma once
// The main window's file dialog.

#include <QString>

class QFileDialog;
class QWidget;

// A filter written as description|patterns pairs ("SQL (sql)|*.sql;|...") in the Qt
// dialog's syntax ("SQL (sql) (*.sql);;...").
QString qtFileFilter(const QString &pipeFilter);

// The extension a name filter's first plain pattern gives ("*.norq" -> "norq"), empty for
// "*.*" or "*".
QString filterSuffix(const QString &nameFilter);
// A save dialog adds the chosen filter's extension to a name typed without one.
void followFilterSuffix(QFileDialog &dialog);

// Modal open (save false: the file must exist) or save dialog (asks before overwriting)
// in the current folder; the chosen path, empty when cancelled.
QString showFileDialog(QWidget *parent, bool save, const QString &title, const QString &filter,
                       const QString &initialName);
