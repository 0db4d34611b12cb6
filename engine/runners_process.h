#pragma once
// Child processes and work files of the external command runners. Children run in the
// background in their own session, with no terminal and the program's own folder first
// on PATH so that the client's tools beside the program are found.

#include <QString>
#include <QStringList>

// The program's own work folder, mode 0700, under $XDG_RUNTIME_DIR or the temporary
// folder: runs started at once in one working folder never share work files. Removed,
// with its files, when the program ends.
QString workFolder();
// Path of a work file in that folder; children get it whole, as they run in the user's
// working folder.
QString workFilePath(const QString &name);
// Writes lines, each followed by carriage return + line feed, into a new private file
// (mode 0600) that replaces whatever had the name, a link included, without following
// it; false with the reason when the file cannot be created or written. With no lines it
// makes the empty private file a child is to write into.
bool writeWorkFile(const QString &name, const QStringList &lines, QString *error = nullptr);
// Words for a shell command line, each reaching the program as written and never read as
// shell code: split at blanks (double quotes keep blanks inside a word), each but the
// plainest quoted (core/quoting.h).
QString shellWords(const QString &arguments);
// The whole text of a work file ("" when missing or unreadable); very large files are
// cut, with a closing line saying so.
QString readWorkFile(const QString &name);
void removeWorkFiles(const QStringList &names);

// Starts a program in the background, in a session (and process group) of its own; its
// process id, 0 when it could not be started. extraEnvironment: NAME=VALUE entries added
// to childEnvironment().
qint64 startInBackground(const QString &program, const QStringList &arguments,
                         const QStringList &extraEnvironment = {});

// How a child started here ended.
struct ChildEnd {
    bool known = false; // false: not a child of ours, or already reported
    int exitCode = 0;   // -1 when it did not exit by itself
    int signal = 0;     // the signal that ended it, 0 when it exited
    QString errorLines; // the first lines it wrote on standard error, CR between them
    bool failed() const { return known && (exitCode != 0 || signal != 0); }
};
// Whether the child has ended (reaping it); end then says how. Once only per child.
bool childEnded(qint64 pid, ChildEnd *end);
// Runs a work file with the POSIX shell; its carriage returns are ignored, so files
// written with CR LF line ends run as written.
qint64 startShellFile(const QString &name);
// Runs a command line through the POSIX shell.
qint64 startShellCommand(const QString &commandLine);
// Whether a process id still names a running (not ended, not zombie) process.
bool isProcessRunning(qint64 pid);

// The full path of a program, looked up in the program's folder first and then on PATH;
// the name itself when it is not found.
QString resolveProgram(const QString &name);
// The environment for children: this one, with the program's folder first on PATH.
QStringList childEnvironment();
