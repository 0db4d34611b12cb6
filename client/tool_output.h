#pragma once
// Where a command-line tool's report goes: the screen, a file, or both.

#include <QFile>
#include <QString>

class ToolOutput {
public:
    void setScreen(bool on) { screen_ = on; }
    // False with a message in error when the file cannot be created.
    bool openFile(const QString &path, QString &error);
    // Writes text followed by a line end.
    void line(const QString &text = QString());
    void flush();

private:
    bool screen_ = true;
    QFile file_;
};
