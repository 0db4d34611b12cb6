#include "engine/runners_process.h"

#include "core/file_writer.h"
#include "core/quoting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <memory>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kMaxReadBack = 32 * 1024 * 1024;

// The script is read and run by the shell itself, so line ends written for other
// systems (CR LF) do not leave a carriage return on every command.
const QString kRunWithoutCarriageReturns = QStringLiteral("eval \"$(tr -d '\\r' < \"$0\")\"");

constexpr qsizetype kMaxErrorBytes = 4096;
constexpr int kMaxErrorLines = 10;

// A child started here: the read end of its standard error and what came of it so far.
struct Child {
    int errorFd = -1;
    QByteArray errors;
};

std::map<pid_t, Child> &children() {
    static std::map<pid_t, Child> started;
    return started;
}

// Keeps the first bytes; the rest is read and dropped so the child never blocks on it.
void drainErrors(Child &child) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(child.errorFd, buffer, sizeof buffer);
        if (got <= 0) return;
        const qsizetype room = kMaxErrorBytes - child.errors.size();
        if (room > 0) child.errors.append(buffer, std::min<qsizetype>(room, got));
    }
}

QString firstLines(const QString &text) {
    QStringList lines = text.trimmed().split(u'\n');
    if (lines.size() > kMaxErrorLines) lines = lines.mid(0, kMaxErrorLines);
    for (QString &line : lines)
        line = line.trimmed();
    return lines.join(u'\r').trimmed();
}

// Children nobody waits for (NOWAIT) are reaped once they have ended.
void reapForgottenChildren() {
    for (auto it = children().begin(); it != children().end();) {
        drainErrors(it->second);
        int status = 0;
        if (::waitpid(it->first, &status, WNOHANG) == it->first) {
            ::close(it->second.errorFd);
            it = children().erase(it);
        } else {
            ++it;
        }
    }
}

std::vector<char *> pointersTo(QList<QByteArray> &texts) {
    std::vector<char *> pointers;
    for (QByteArray &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

QString workFolder() {
    // Made on first use and removed with its files when the program ends; mkdtemp gives
    // it mode 0700, so no other user sees the scripts (passwords included) written there.
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        const QFileInfo base(runtime);
        const QString parent =
            !runtime.isEmpty() && base.isDir() && base.isWritable() ? runtime : QDir::tempPath();
        return std::make_unique<QTemporaryDir>(parent + QStringLiteral("/pavona-XXXXXX"));
    }();
    // A folder that could not be made shows in every work file's failure message.
    return folder->isValid() ? folder->path()
                             : QDir::tempPath() + QStringLiteral("/pavona-work-folder-not-made");
}

QString workFilePath(const QString &name) {
    return QDir(workFolder()).filePath(name);
}

bool writeWorkFile(const QString &name, const QStringList &lines, QString *error) {
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    const QString failure =
        writeWholeFile(workFilePath(name), bytes, FileWriter::Mode::privateWork);
    if (error) *error = failure;
    return failure.isEmpty();
}

QString shellWords(const QString &arguments) {
    QStringList words = QProcess::splitCommand(arguments);
    for (QString &word : words)
        word = shellQuoted(word);
    return words.join(u' ');
}

QString readWorkFile(const QString &name) {
    QFile file(workFilePath(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(file.read(kMaxReadBack));
    if (!file.atEnd())
        text += QStringLiteral("\r\n(The output is longer; the rest is in %1 until the program "
                               "ends.)\r\n")
                    .arg(workFilePath(name));
    return text;
}

void removeWorkFiles(const QStringList &names) {
    for (const QString &name : names)
        QFile::remove(workFilePath(name));
}

QStringList childEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (QCoreApplication::instance()) {
        const QString path = environment.value(QStringLiteral("PATH"));
        const QString ownFolder = QCoreApplication::applicationDirPath();
        environment.insert(QStringLiteral("PATH"),
                           path.isEmpty() ? ownFolder : ownFolder + u':' + path);
    }
    return environment.toStringList();
}

QString resolveProgram(const QString &name) {
    if (name.contains(u'/')) return name;
    QStringList folders;
    if (QCoreApplication::instance()) folders << QCoreApplication::applicationDirPath();
    const QString found = QStandardPaths::findExecutable(name, folders);
    if (!found.isEmpty()) return found;
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? name : onPath;
}

qint64 startInBackground(const QString &program, const QStringList &arguments,
                         const QStringList &extraEnvironment) {
    reapForgottenChildren();
    QList<QByteArray> argumentBytes{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        argumentBytes << argument.toLocal8Bit();
    QList<QByteArray> environmentBytes;
    for (const QString &entry : childEnvironment() + extraEnvironment)
        environmentBytes << entry.toLocal8Bit();
    std::vector<char *> argv = pointersTo(argumentBytes);
    std::vector<char *> envp = pointersTo(environmentBytes);

    int errorPipe[2] = {-1, -1};
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) return 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errorPipe[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own: no terminal, and its process group can be stopped as one.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const QByteArray path = QFile::encodeName(program);
    const int rc =
        ::posix_spawn(&pid, path.constData(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(errorPipe[1]);
    if (rc != 0) {
        ::close(errorPipe[0]);
        return 0;
    }
    ::fcntl(errorPipe[0], F_SETFL, O_NONBLOCK);
    children()[pid] = Child{errorPipe[0], {}};
    return pid;
}

bool childEnded(qint64 pid, ChildEnd *end) {
    auto found = children().find(static_cast<pid_t>(pid));
    if (found == children().end()) {
        // Not ours, or already told: it has ended as far as anyone can know.
        *end = ChildEnd{};
        end->known = false;
        return !isProcessRunning(pid);
    }
    Child &child = found->second;
    drainErrors(child);
    int status = 0;
    if (::waitpid(found->first, &status, WNOHANG) != found->first) return false;
    drainErrors(child);
    ::close(child.errorFd);
    end->known = true;
    end->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    end->signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    end->errorLines = firstLines(QString::fromLocal8Bit(child.errors));
    children().erase(found);
    return true;
}

qint64 startShellFile(const QString &name) {
    return startInBackground(QStringLiteral("/bin/sh"),
                             {QStringLiteral("-c"), kRunWithoutCarriageReturns, name});
}

qint64 startShellCommand(const QString &commandLine) {
    return startInBackground(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), commandLine});
}

bool isProcessRunning(qint64 pid) {
    if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0) return false;
    // A child that ended but was not yet reaped still answers kill().
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || close + 2 >= line.size() || line.at(close + 2) != 'Z';
}
