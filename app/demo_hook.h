#pragma once
// A scripted first session for headless checks, armed only when PAVONA_DEMO_SCREENSHOT
// names a PNG file: it connects through the connect dialog as a user would, presses the
// marker of the first statement of the first script, and saves pictures of the dialog
// (NAME-connect.png) and of the main window (NAME). PAVONA_DEMO_EXIT=1 ends the program
// afterwards.

#include <QString>

class NorqSQL;

class DemoHook {
public:
    DemoHook();
    bool armed() const { return !path_.isEmpty(); }
    void armConnectDialog();
    void armMainWindow(NorqSQL *window);

private:
    QString path_;
};
