#pragma once
// The main window's file dialog.

#include <QString>

class QWidget;

// A filter written as description|patterns pairs ("SQL (sql)|*.sql;|...") in the Qt
// dialog's syntax ("SQL (sql) (*.sql);;...").
QString qtFileFilter(const QString &pipeFilter);

// Modal open (save false: the file must exist) or save dialog (asks before overwriting)
// in the current folder; the chosen path, empty when cancelled.
QString showFileDialog(QWidget *parent, bool save, const QString &title, const QString &filter,
                       const QString &initialName);
