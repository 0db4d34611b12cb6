#pragma once
// The main window's part of start-up: the library index and the first script.

class NorqSQL;
struct Settings;

// Reads the library index (settings.libraryFile) of the working folder, or the sample
// library's when the working folder has none. With no library the tree shows the one
// node "No Libraries Loaded" in SQL View; otherwise the first script is shown in Script
// View as the window's current file, which Save writes. Returns the number of libraries
// read.
int openStartLibrary(NorqSQL *window, const Settings &settings);

// Points engine.helpFolder at the help files: the working folder's, else the program's.
void locateHelpFolder();
