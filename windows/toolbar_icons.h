#pragma once
// Pictures of the toolbar buttons of the main window and the SQL window: the desktop
// theme's icon when the theme has one, else the program's own.

#include <QIcon>
#include <QString>

// key: run, trash, recycle, paste, fontsize, newsql or info.
QIcon toolbarIcon(const QString &key);
