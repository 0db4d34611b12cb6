#pragma once
// Keyboard access to the main window: menu mnemonics and the shortcuts for running,
// searching and help.

class NorqSQL;
class QWidget;
struct Settings;

// Gives every entry of the window's menus (menu bar and pop-ups) a mnemonic and wires
// Ctrl+Enter (run the statement row being edited, or the current one), F5 (Run all),
// Ctrl+F (Search Script), Ctrl+S (Save), Ctrl+Shift+S (Save As) and F1 (help of the
// current view, read from settings). Call once, after the menus.
void installKeyboardAccess(NorqSQL *window, const Settings &settings);

// Marks one letter of each entry of the menus under root (not yet marked) as its mnemonic,
// unique within its menu where the caption allows.
void assignMnemonics(QWidget *root);
