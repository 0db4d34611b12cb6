#pragma once
// Help files opened from the Help menu, from links in a script and from the SQL window.

#include <QString>

// The help file a Help menu entry opens ("helpIntro" -> "norq-help-intro.norq"); empty
// for an unknown entry.
QString helpEntryFile(const QString &entry);
// The file of the help folder whose name equals name in any case (link anchors are kept
// upper-cased); name itself when none does.
QString helpFileNamed(const QString &name);
// Opens a help file of the help folder in the help viewer.
void openHelpFile(const QString &name);
