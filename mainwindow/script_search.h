#pragma once
// The window's searching: Search Examples over the library's files, Search Script's
// marks in the Text View editor and on the script grid's marker cells, Reset, and the
// find bar over the view. It reads the view from the settings and keeps the last
// search in the window's memory.

#include <QString>

class NorqSQL;
struct Settings;
struct WindowMemory;

class ScriptSearch {
public:
    ScriptSearch(NorqSQL &window, const Settings &settings, WindowMemory &memory);

    void openExamplesDialog();
    void openScriptDialog();
    void reset();
    // Marks the library nodes whose file holds text; false when none does.
    bool searchLibrary(const QString &text);
    void collapseLibrary();
    // Marks text in the view; false when it is not there.
    bool highlightMatches(const QString &text);
    void findInView();
    void findNext();
    void findPrevious();

private:
    NorqSQL &window_;
    const Settings &settings_;
    WindowMemory &memory_;
};
