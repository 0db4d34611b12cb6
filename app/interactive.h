#pragma once

class QApplication;
class QString;

// The interactive start-up: engine defaults, the call-level-interface environment, the
// connect dialog, then either the SQL window alone ("-SQL") or the main window on the
// library index, and on openFile when one is named; returns the process's exit code once
// the windows are done.
int runInteractive(QApplication &app, const QString &openFile);
