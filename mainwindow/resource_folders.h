#pragma once
// Where the program finds its sample library and help files, wherever it is started from:
// the working folder first, then the installation's share/pavona, then (for a program in
// its build folder only) the source tree it was built from.

#include <QString>

// The folder holding fileName among the candidates for subfolder ("samples", "help"),
// the working folder first; empty when none holds it.
QString findResourceFolder(const QString &subfolder, const QString &fileName);
// The same without the working folder: the program's own copy.
QString installedResourceFolder(const QString &subfolder, const QString &fileName);
