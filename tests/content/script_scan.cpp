#include "script_scan.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

namespace {

enum class LineClass { Blank, Dash, OneLine, CommentStart, CommentEnd, Terminator, Sql };

int findUnquoted(const QString &text, const QString &what) {
    QChar quote;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (text.mid(i, what.size()) == what) {
            return i;
        } else if (c == '\'' || c == '"') {
            quote = c;
        }
    }
    return -1;
}

LineClass classify(const QString &trimmed) {
    if (trimmed.isEmpty()) return LineClass::Blank;
    if (trimmed.startsWith("--") && (trimmed.size() < 3 || trimmed[2] != '#'))
        return LineClass::Dash;
    if (trimmed.startsWith("/*"))
        return trimmed.indexOf("*/", 2) >= 0 ? LineClass::OneLine : LineClass::CommentStart;
    if (findUnquoted(trimmed, "*/") >= 0) return LineClass::CommentEnd;
    if (trimmed == "/" || trimmed == "/;") return LineClass::Terminator;
    return LineClass::Sql;
}

QStringList readLines(const QString &path, bool *ok) {
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    if (!*ok) return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace("\r\n", "\n").replace('\r', '\n');
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace

ScriptFile readScript(const QString &path) {
    ScriptFile script;
    script.lines = readLines(path, &script.readable);
    enum { Idle, InSql, InComment } state = Idle;
    ScriptBlock current;
    auto start = [&](ScriptBlock::Kind kind, const QString &first, int lineNo) {
        current = ScriptBlock{kind, {first}, lineNo};
    };
    auto close = [&] {
        script.blocks.append(current);
        state = Idle;
    };
    for (int i = 0; i < script.lines.size(); ++i) {
        QString line = script.lines[i];
        line.replace('\t', ' ');
        const QString trimmed = line.trimmed();
        const LineClass cls = classify(trimmed);
        const int lineNo = i + 1;
        if (state == InComment) {
            if (cls == LineClass::CommentEnd)
                close();
            else
                current.lines.append(line);
            continue;
        }
        if (state == InSql) {
            if (cls == LineClass::CommentStart || cls == LineClass::OneLine) {
                close();
            } else {
                current.lines.append(cls == LineClass::Terminator ? QString("/") : line);
                continue;
            }
        }
        switch (cls) {
        case LineClass::Sql:
        case LineClass::CommentEnd:
            start(ScriptBlock::Sql, line, lineNo);
            state = InSql;
            break;
        case LineClass::CommentStart:
            start(ScriptBlock::Comment, trimmed.mid(2).trimmed(), lineNo);
            state = InComment;
            break;
        case LineClass::OneLine: {
            const QString text = trimmed.mid(2, trimmed.indexOf("*/", 2) - 2).trimmed();
            if (!text.isEmpty()) {
                start(ScriptBlock::Comment, text, lineNo);
                close();
            }
            break;
        }
        case LineClass::Dash:
            start(ScriptBlock::Comment, trimmed.mid(2).trimmed(), lineNo);
            close();
            break;
        default:
            break;
        }
    }
    if (state != Idle) {
        script.unterminatedComment = state == InComment;
        script.blocks.append(current);
    }
    return script;
}

HeadingTag headingTag(const QString &firstCommentLine) {
    static const QStringList known = {"{H0}", "{H1}", "{H2}", "{H3}", "{H4}", "{IMAGE}", "{SQL}"};
    HeadingTag tag;
    const int open = firstCommentLine.indexOf('{');
    const int close = firstCommentLine.indexOf('}');
    if (open < 0 || close < open) return tag;
    int colon = firstCommentLine.indexOf(':', open);
    if (colon > close) colon = -1;
    const int wordEnd = colon >= 0 ? colon : close;
    const QString word = firstCommentLine.mid(open, wordEnd - open).toUpper() + "}";
    if (!known.contains(word)) return tag;
    tag.word = word;
    if (colon >= 0) tag.anchor = firstCommentLine.mid(colon + 1, close - colon - 1).toUpper();
    QString text = firstCommentLine.mid(close + 1);
    const int end = text.indexOf("*/");
    if (end >= 0) text.truncate(end);
    tag.text = text.trimmed();
    return tag;
}

QString scriptTitle(const QString &path) {
    bool ok = false;
    const QStringList lines = readLines(path, &ok);
    if (!ok || lines.isEmpty()) return {};
    QString first = lines.first().trimmed();
    if (!first.startsWith("/*")) return {};
    const HeadingTag tag = headingTag(first.mid(2));
    static const QStringList headings = {"{H1}", "{H2}", "{H3}", "{H4}"};
    return headings.contains(tag.word) ? tag.text : QString();
}

QList<LibraryEntry> readLibraryIndex(const QString &path, QString *error) {
    bool ok = false;
    const QStringList lines = readLines(path, &ok);
    QList<LibraryEntry> entries;
    if (!ok) {
        *error = "cannot read " + path;
        return entries;
    }
    int level = 1;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains('{')) {
            ++level;
        } else if (lines[i].contains('}')) {
            if (level == 1)
                *error = QString("line %1 closes below the first level").arg(i + 1);
            else
                --level;
        } else {
            entries.append({lines[i].trimmed(), level});
        }
    }
    if (level != 1 && error->isEmpty())
        *error = QString("%1 level(s) left open at the end").arg(level - 1);
    return entries;
}

QStringList runnableLines(const ScriptBlock &block) {
    QStringList kept;
    for (const QString &line : block.lines)
        if (!line.trimmed().startsWith("--##")) kept.append(line);
    return kept;
}

QStringList variableReferences(const QString &line) {
    static const QRegularExpression reference("&(&?)([A-Za-z0-9_]*)");
    QStringList names;
    auto it = reference.globalMatch(line);
    while (it.hasNext()) {
        const auto match = it.next();
        names.append(match.captured(1) + match.captured(2));
    }
    return names;
}
