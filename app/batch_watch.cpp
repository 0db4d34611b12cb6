#include "app/batch_watch.h"

#include "app/batch_run.h"
#include "engine/run_control.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int kMaxRunDepth = 8;
constexpr int kPollMilliseconds = 200;
// An editor may write a file in several steps: a change counts once the file has held
// still this long.
constexpr int kSettleMilliseconds = 150;

// What tells a saved file from the one before: editors that save by renaming change the
// inode, others the time or size.
struct Stamp {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const QString &path) {
    struct stat info {};
    Stamp stamp;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return stamp;
    stamp.exists = true;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

std::vector<Stamp> stampsOf(const QStringList &paths) {
    std::vector<Stamp> stamps;
    for (const QString &path : paths)
        stamps.push_back(stampOf(path));
    return stamps;
}

QString withValues(QString text, const QHash<QString, QString> &values) {
    static const QRegularExpression reference(QStringLiteral("&(\\w+)"));
    QString filled;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const auto value = values.constFind(match.captured(1).toUpper());
        if (value == values.cend()) continue;
        filled += text.mid(from, match.capturedStart() - from) + *value;
        from = match.capturedEnd();
    }
    return filled + text.mid(from);
}

void addScriptsRunBy(const QString &script, const QHash<QString, QString> &values, int depth,
                     QStringList *found) {
    static const QRegularExpression runLine(
        QStringLiteral("^\\s*(?:RUN|START)\\s+(\"?)(.+?)\\1\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    QFile file(script);
    if (depth > kMaxRunDepth || !QFileInfo(script).isFile() || !file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const QRegularExpressionMatch match = runLine.match(line);
        if (!match.hasMatch()) continue;
        const QString name = withValues(match.captured(2), values);
        if (name.contains(u'&')) continue;
        const QString path = QFileInfo(name).absoluteFilePath();
        if (found->contains(path) || !QFileInfo(path).isFile()) continue;
        found->append(path);
        addScriptsRunBy(path, values, depth + 1, found);
    }
}

// The files whose change starts a new run.
QStringList watchedFiles(const BatchOptions &options) {
    QHash<QString, QString> values;
    for (const auto &[name, value] : options.defines)
        values.insert(name.toUpper(), value);
    QStringList files{QFileInfo(options.script).absoluteFilePath()};
    for (const QString &file : options.defineFiles)
        files << QFileInfo(file).absoluteFilePath();
    files << scriptsRunBy(options.script, values);
    files.removeDuplicates();
    return files;
}

// One run, its output passed straight through. A signal to the watch reaches the run
// too (from a terminal the whole group gets it; otherwise it is passed on).
int runOnce(const QStringList &arguments) {
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.setInputChannelMode(QProcess::ForwardedInputChannel);
    run.start(QCoreApplication::applicationFilePath(), arguments);
    if (!run.waitForStarted()) {
        say(QStringLiteral("pavona: cannot start a run: ") + run.errorString());
        return BatchExit::cannotStart;
    }
    bool passedOn = false;
    QElapsedTimer sinceSignal;
    while (!run.waitForFinished(100)) {
        const int signal = run_control::caughtSignal();
        if (signal == 0) continue;
        if (!sinceSignal.isValid()) sinceSignal.start();
        if (!passedOn && sinceSignal.elapsed() > 1000) {
            ::kill(static_cast<pid_t>(run.processId()), signal);
            passedOn = true;
        }
    }
    return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : BatchExit::cannotStart;
}

void removeArguments(QStringList *arguments, const QString &name) {
    arguments->removeAll(QStringLiteral("--") + name);
}

} // namespace

QStringList scriptsRunBy(const QString &script, const QHash<QString, QString> &values) {
    QHash<QString, QString> all = values;
    if (!all.contains(QStringLiteral("CURDIR")))
        all.insert(QStringLiteral("CURDIR"), QFileInfo(script).absolutePath() + u'/');
    QStringList found;
    addScriptsRunBy(script, all, 0, &found);
    return found;
}

QStringList watchRunArguments(const BatchOptions &options, const QString &ownSnapshot, bool first) {
    QStringList arguments = options.arguments;
    removeArguments(&arguments, QStringLiteral("watch"));
    switch (options.snapshot) {
    case BatchOptions::Snapshot::check:
        break;
    case BatchOptions::Snapshot::write:
        // The snapshot holds the run before: the next run checks against it and rewrites it.
        if (!first) {
            removeArguments(&arguments, QStringLiteral("snapshot"));
            arguments << QStringLiteral("--check") << QStringLiteral("--update");
        }
        break;
    case BatchOptions::Snapshot::none:
        arguments << QStringLiteral("--snapshot-file") << ownSnapshot;
        if (first)
            arguments << QStringLiteral("--snapshot");
        else
            arguments << QStringLiteral("--check") << QStringLiteral("--update");
        break;
    }
    return arguments;
}

int watchBatch(const BatchOptions &options) {
    run_control::stopOnSignals();
    QTemporaryDir privateFolder;
    if (!privateFolder.isValid()) {
        say(QStringLiteral("pavona: cannot watch: no private folder for the runs' outcomes: ") +
            privateFolder.errorString());
        return BatchExit::cannotStart;
    }
    const QString ownSnapshot = privateFolder.filePath(QStringLiteral("last-run.out.md"));
    for (bool first = true;; first = false) {
        const QStringList files = watchedFiles(options);
        std::vector<Stamp> before = stampsOf(files);
        runOnce(watchRunArguments(options, ownSnapshot, first));
        if (run_control::caughtSignal()) break;
        say(QStringLiteral("pavona: watching %1 file(s) for changes; Ctrl+C ends")
                .arg(files.size()));
        // A file saved while the run ran starts the next run at once.
        while (!run_control::caughtSignal() && stampsOf(files) == before)
            QThread::msleep(kPollMilliseconds);
        if (run_control::caughtSignal()) break;
        do {
            before = stampsOf(files);
            QThread::msleep(kSettleMilliseconds);
        } while (stampsOf(files) != before && !run_control::caughtSignal());
        if (run_control::caughtSignal()) break;
        say(QStringLiteral("pavona: a file changed; running %1 again").arg(options.script));
    }
    say(QStringLiteral("pavona: watch ended"));
    return BatchExit::stoppedBySignal + run_control::caughtSignal();
}
