#pragma once
// What the program and its benchmarks do with the main window, by name: they see neither
// its class nor its members, so a change to the window recompiles none of them.

class Grid;
class NorqSQL;
class QMainWindow;
class QString;

namespace mainWindow {

// A new main window, owned by the caller (through widget()), not yet shown.
NorqSQL *create();
// Wires the menus, toolbar, mouse, wheel and keys: once, before the window is first used.
void wire(NorqSQL *window);
QMainWindow *widget(NorqSQL *window);
Grid *scriptGrid(NorqSQL *window);

// The file in Script View as the library tree opens it: a changed script is asked about.
void openScript(NorqSQL *window, const QString &path);
// The file read as the window's current file and shown in Script View, asking nothing.
void loadScript(NorqSQL *window, const QString &path);
// The script's lines replaced by text (lines separated by carriage returns); returns
// their number.
int setScriptText(NorqSQL *window, const QString &text);
// The rows of the script rendered again in the view (ViewMode).
void render(NorqSQL *window, int viewMode);
// The rows laid out and measured again after the script grid changed size.
void relayout(NorqSQL *window);
// Options > Run all.
void runAll(NorqSQL *window);

} // namespace mainWindow
