#pragma once
// Whether the main window's script differs from its file: an edit committed to the
// lines, or one still in the view (Text View's editor, the rows, an open cell editor).
// The rows and the editor as built from the lines are kept to compare with, so a view
// change or a save leaves a script nobody touched as it was read. Outputs do not count.

#include <QString>
#include <QStringList>

class NorqSQL;
class ScriptPane;
struct Settings;

class ScriptChanges {
public:
    ScriptChanges(NorqSQL &window, ScriptPane &pane, const Settings &settings);

    bool modified() const;
    // An open cell editor holds an edit not yet in the rows.
    bool cellEditPending() const;
    // Brings the lines up to date with the view's edits; false when the rows could not
    // be written back.
    bool saveToMemory();
    // The rows and the editor as they are now are the lines' own (after a read or save).
    void takeRowsAsRead();
    void takeEditorAsRead();
    void markSaved();
    // The lines were read from a file: nothing is edited yet.
    void forgetEdits() { edited_ = false; }

private:
    NorqSQL &window_;
    ScriptPane &pane_;
    const Settings &settings_;
    bool edited_ = false;    // edits reached the lines since they were read or saved
    QStringList rowsAsRead_; // the rows, regenerated, as built from the lines
    QString editorAsRead_;   // Text View's text as filled from the lines
};
