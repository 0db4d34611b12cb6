#include "engine/runners_process.h"

#include "engine/file_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxReadBack = 32 * 1024 * 1024;

// The script is read and run by the shell itself, so line ends written for other
// systems (CR LF) do not leave a carriage return on every command.
const QString kRunWithoutCarriageReturns = QStringLiteral("eval \"$(tr -d '\\r' < \"$0\")\"");

} // namespace

QString workFilePath(const QString &name) {
    return QDir::current().filePath(name);
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

QString shellQuoted(const QString &name) {
    static const QRegularExpression plain(QStringLiteral("^[^$`\"\\\\]*$"));
    if (plain.match(name).hasMatch()) return u'"' + name + u'"';
    return u'\'' + QString(name).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

QString readWorkFile(const QString &name) {
    QFile file(workFilePath(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(file.read(kMaxReadBack));
    if (!file.atEnd())
        text += QStringLiteral("\r\n(The output is longer; the rest is in %1.)\r\n").arg(name);
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

qint64 startInBackground(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(QDir::currentPath());
    process.setEnvironment(childEnvironment());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setsid(); });
    qint64 pid = 0;
    return process.startDetached(&pid) ? pid : 0;
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
