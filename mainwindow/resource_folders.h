#pragma once
// Where the program finds its sample library and help files, wherever it is started from:
// the working folder first, then beside the executable (an installed layout), then the
// source tree it was built from.

#include <QString>

// The folder holding fileName among the candidates for subfolder ("samples", "help"),
// the working folder first; empty when none holds it.
QString findResourceFolder(const QString &subfolder, const QString &fileName);
