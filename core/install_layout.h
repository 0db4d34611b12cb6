#pragma once
// Where the program's own files are: beside it in the build folder, or under the prefix
// it was installed to (bin/, the routine library's folder, share/pavona/). Installed
// copies find everything relative to their own location, so a prefix can be moved.

#include <QString>

// The folder of the running program (with or without a QCoreApplication).
QString programFolder();
// True when the program runs from the build folder it was built in.
bool runsFromBuildFolder();
// The prefix the program is installed under: the parent of its bin folder.
QString installPrefix();
// share/pavona of the installation.
QString installedDataFolder();
// The routine library the embedded engine loads; PAVONA_ROUTINE_LIBRARY overrides it.
QString routineLibraryPath();
