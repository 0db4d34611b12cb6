#include "core/messages.h"

#include "core/engine_state.h"
#include "core/text_files.h"

#include <QStringList>
#include <algorithm>
#include <utility>

void set_messages() {
    static const std::pair<int, const char *> texts[] = {
        {2, "Reading control file"},
        {3, "Error reading control file."},
        {4, "Connecting to database: "},
        {5, "Starting Norq"},
        {6, "Cannot connect to Norq.  Is userid/password correct?"},
        {7, "Norq Started - Attempting connection"},
        {8, "Connected to Database: "},
        {11, "SQL Completed successfully."},
        {12, "No records found."},
        {13, "No connection exists."},
        {14, "No SQL supplied."},
        {15, "Maximum records exceeded."},
        {20, "No arguments supplied."},
        {21, "Invalid keyword="},
        {22, "File not found: "},
        {23, "New SQL file loaded: "},
        {24, "Running ..."},
        {25, "File erased: "},
        {26, "Command completed."},
        {27, "Command completed."},
        {28, "Maximum output record length exceeded - reduce the number of columns."},
        {29, "Maximum number of SQL Windows open!"},
        {34, "Cmd: Command failed."},
        {40, "Error Connecting to database: "},
        {41, "No ending quote found in command string."},
        {42, "Error executing RUNSTATS. SQLCODE="},
    };
    for (QString &message : engine.messages)
        message.clear();
    for (const auto &[number, text] : texts)
        engine.messages[number] = QString::fromUtf8(text);
}

void setMessage(bool textOnly, int code, int number, const QString &text,
                const QString & /*procName*/) {
    if (textOnly)
        engine.msgText = text;
    else if (number >= 1 && number <= kMessageCount)
        engine.msgText = engine.messages[number] + text;
    else
        engine.msgText.clear();
    engine.msgCode = code;
}

QString formatElapsed(double seconds) {
    return QString::number(seconds, 'f', 3) + QStringLiteral("s)");
}

QString withElapsed(const QString &message, double seconds) {
    if (engine.noTimings) return message;
    return message + QStringLiteral(" (") + formatElapsed(seconds);
}

namespace {

// "{H1}".."{H4}" for a first line whose first braces hold a heading tag, else empty.
QString headingTag(const QString &line) {
    const qsizetype open = line.indexOf(u'{');
    const qsizetype close = line.indexOf(u'}');
    if (open < 0 || close < 0 || close < open) return {};
    const QString tag = u'{' + line.mid(open + 1, 2).trimmed().toUpper() + u'}';
    static const QStringList headings = {"{H1}", "{H2}", "{H3}", "{H4}"};
    return headings.contains(tag) ? tag : QString();
}

} // namespace

QString libraryTitle(const QString &file) {
    QString title = QStringLiteral("No Title: ") + file;
    if (!readLines(file, 1) || engine.fileLineCount < 1) return title;
    const QString line = engine.fileLines[1];
    if (headingTag(line).isEmpty()) return title;
    QString text = line.mid(line.indexOf(u'}') + 1).trimmed();
    const qsizetype commentEnd = text.indexOf(QStringLiteral("*/"));
    if (commentEnd >= 0) text = text.left(commentEnd);
    return text.trimmed();
}

bool readLines(const QString &file, int limit, QString *error) {
    engine.fileLineCount = 0;
    const int wanted = std::clamp(limit + 1, 0, kMaxFileLines);
    QStringList lines;
    QString reason;
    if (!readTextLines(file, wanted, lines, reason)) {
        if (error) *error = reason;
        return false;
    }
    for (const QString &line : lines)
        engine.fileLines[++engine.fileLineCount] = line;
    return true;
}

QString joinLines() {
    QString text;
    for (int i = 1; i <= engine.fileLineCount; ++i) {
        if (i > 1) text += u'\r';
        text += engine.fileLines[i];
    }
    return text;
}
