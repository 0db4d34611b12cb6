#include "mainwindow/main_window.h"

#include "mainwindow/norqsql.h"

namespace mainWindow {

NorqSQL *create() {
    return new NorqSQL;
}

void wire(NorqSQL *window) {
    window->Form_Load();
}

QMainWindow *widget(NorqSQL *window) {
    return window;
}

Grid *scriptGrid(NorqSQL *window) {
    return window->CLP;
}

void openScript(NorqSQL *window, const QString &path) {
    window->setViewMode(ViewMode::script);
    window->openScriptFile(path);
}

void loadScript(NorqSQL *window, const QString &path) {
    window->currentFile = path;
    window->fileToMemory(window->currentFile);
    window->setViewMode(ViewMode::script);
    window->memoryToScript();
}

int setScriptText(NorqSQL *window, const QString &text) {
    window->scriptLines.setText(text);
    return window->scriptLines.lineCount;
}

void render(NorqSQL *window, int viewMode) {
    window->setViewMode(viewMode);
    window->memoryToScript();
}

void relayout(NorqSQL *window) {
    window->resizeView();
    window->cellWidthRefresh();
}

void runAll(NorqSQL *window) {
    window->runAll_Click();
}

} // namespace mainWindow
