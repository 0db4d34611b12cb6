// VIEWFILE, START/RUN and ERASE: the built-in commands that work on files.

#include "core/engine_state.h"
#include "core/messages.h"
#include "core/text_files.h"
#include "core/window_interface.h"
#include "engine/builtin_commands.h"
#include "engine/dispatch_table.h"
#include "engine/dispatcher.h"
#include "engine/runners_process.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <fnmatch.h>

namespace {

bool isPictureFile(const QString &name) {
    const QString upper = name.toUpper();
    for (const char *extension : {".JPG", ".BMP", ".GIF", ".PNG"})
        if (upper.contains(QLatin1String(extension))) return true;
    return false;
}

void failed(const QString &text, const char *procName) {
    setMessage(true, -1, 0, text, QString::fromLatin1(procName));
}

void showPicture(const QString &name) {
    if (!QFileInfo(name).exists()) {
        failed(QStringLiteral("File not found."), "cmd_viewfile");
        return;
    }
    const QString unreadable = unreadablePicture(name);
    if (!unreadable.isEmpty()) {
        failed(QStringLiteral("Cannot read picture: ") + name + u'\r' + unreadable, "cmd_viewfile");
        return;
    }
    QImageReader reader(name);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        failed(QStringLiteral("Cannot read picture: ") + name + u'\r' + reader.errorString(),
               "cmd_viewfile");
        return;
    }
    engine.ui->clearClipboard();
    engine.resultKind = kResultPicture;
    engine.ui->setClipboardImage(picture);
}

bool hasWildcards(const QString &name) {
    return name.contains(u'*') || name.contains(u'?') || name.contains(u'[');
}

// Files of a folder whose names match a shell pattern ("*" and "?" skip a leading ".").
QStringList matchingFiles(const QString &folder, const QString &pattern) {
    QStringList found;
    const QByteArray pat = pattern.toUtf8();
    const QDir dir(folder);
    const auto entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (fnmatch(pat.constData(), entry.toUtf8().constData(), FNM_PERIOD) == 0)
            found << dir.filePath(entry);
    return found;
}

// Work files left the working folder for the program's own: a name of one says where.
QString workFileHint(const QString &name) {
    static const QRegularExpression workFile(
        QStringLiteral("^(NORQCMDS\\w*\\.(BAT|NORQ|OUT)|NORQSQL\\.SQL|JSON\\.(BAT|JS|OUT))$"),
        QRegularExpression::CaseInsensitiveOption);
    if (!workFile.match(QFileInfo(name).fileName()).hasMatch()) return {};
    return QStringLiteral(" The work files of this program are in %1.").arg(workFolder());
}

} // namespace

void cmd_viewfile() {
    const QString name = engine.args[1];
    if (name.isEmpty()) {
        setMessage(false, -1, 20, QString(), QStringLiteral("cmd_viewfile"));
        return;
    }
    if (isPictureFile(name)) {
        showPicture(name);
        return;
    }
    const QString special = notRegularFile(name);
    if (!special.isEmpty()) {
        failed(QStringLiteral("Cannot view ") + name + u'\r' + special, "cmd_viewfile");
        return;
    }
    QString error;
    if (!readLines(name, kMaxFileLines, &error)) {
        failed(QFileInfo::exists(name) ? QStringLiteral("Cannot view ") + name + u'\r' + error
                                       : QStringLiteral("File not found.") + workFileHint(name),
               "cmd_viewfile");
        return;
    }
    engine.outputText = joinLines();
    engine.resultKind = kResultText;
}

void cmd_run(const CommandContext &context) {
    const QString name = engine.args[1];
    if (runDepth() >= kMaxRunDepth) {
        failed(QStringLiteral("File Error: ") + name + u'\r' +
                   QStringLiteral("Scripts nested more than %1 deep").arg(kMaxRunDepth),
               "cmd_run");
        return;
    }
    QStringList lines;
    QString error;
    if (!readTextLines(name, kMaxFileLines + 1, lines, error)) {
        failed(QStringLiteral("File Error: ") + name + u'\r' + error, "cmd_run");
        return;
    }
    // Running the first part of a script would report a success it did not have.
    if (lines.size() > kMaxFileLines) {
        failed(QStringLiteral("File Error: ") + name + u'\r' +
                   QStringLiteral("More than %1 lines").arg(kMaxFileLines),
               "cmd_run");
        return;
    }
    runScript(lines.join(u'\r'), context.grid, context.chart);
}

void cmd_erase() {
    const QString name = engine.args[1];
    if (name.isEmpty()) return;
    const QFileInfo target(name);
    if (hasWildcards(target.fileName())) {
        for (const QString &file : matchingFiles(target.path(), target.fileName()))
            QFile::remove(file);
    } else if (!target.isDir()) {
        QFile::remove(name);
    }
    setMessage(false, 0, 25, name, QStringLiteral("cmd_erase"));
}
