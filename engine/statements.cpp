#include "engine/statements.h"

#include "engine/engine_state.h"

namespace {

QString collapseSpaces(QString text) {
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    return text;
}

bool isQuote(QChar ch) {
    return ch == u'\'' || ch == u'"';
}

// Whether the first words of an ordinary line open a block (a procedural body, a compound
// statement, or a NORQ, JSON or PUT command).
bool opensBlock(const QStringList &words) {
    const QString first = words.value(0);
    if (first == u"CREATE" || first == u"ALTER") {
        QString object = words.value(1);
        if (words.value(1) == u"OR" && words.value(2) == u"REPLACE" && words.size() > 3)
            object = words.value(3);
        return !object.isEmpty() && QStringLiteral(":PROCEDURE:PACKAGE:TRIGGER:FUNCTION:")
                                        .contains(u':' + object + u':');
    }
    if (first == u"DECLARE") return words.value(1) != u"GLOBAL";
    return first == u"BEGIN" || first == u"PUT" || first == u"NORQ" || first == u"JSON";
}

} // namespace

QString stripLine(const QString &line, bool cutComments) {
    QString result;
    result.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'^') {
            if (++i < line.size()) result += line[i];
        } else {
            result += line[i];
        }
    }
    if (cutComments && !engine.spoolOpen && !result.contains(QStringLiteral("--#"))) {
        const qsizetype dashes = result.indexOf(QStringLiteral("--"));
        if (dashes >= 0 && dashes != result.size() - 2) result.truncate(dashes);
    }
    return result;
}

QStringList splitAfterComment(const QString &line) {
    const qsizetype open = line.indexOf(QStringLiteral("/*"));
    if (open < 0 || !line.left(open).trimmed().isEmpty()) return {line};
    const qsizetype close = line.indexOf(QStringLiteral("*/"), open);
    if (close < 0) return {line};
    const QString rest = line.mid(close + 2);
    if (rest.trimmed().isEmpty()) return {line};
    return QStringList{line.left(close + 2)} + splitAfterComment(rest);
}

int findUnquoted(const QString &text, const QString &terminator) {
    if (terminator.isEmpty()) return 0;
    const QChar lead = terminator[0];
    const bool hasFollow = terminator.size() > 1;
    const QChar follow = hasFollow ? terminator[1] : QChar();
    QChar openQuote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (!openQuote.isNull()) {
            if (ch == openQuote) openQuote = QChar();
            continue;
        }
        if (ch == lead && (!hasFollow || (i + 1 < text.size() && text[i + 1] == follow)))
            return int(i + 1);
        if (isQuote(ch)) openQuote = ch;
    }
    return 0;
}

int classifyLine(const QString &line, QString &comment) {
    const QString text = collapseSpaces(line.trimmed());
    if (text.isEmpty()) return kLineEmpty;

    int code = kLineOrdinary;
    if (text.startsWith(QStringLiteral("--")) && text.mid(2, 1) != u"#" && !engine.spoolOpen) {
        code = kLineDashComment;
        comment = text.mid(2).trimmed();
    } else if (text.startsWith(QStringLiteral("/*"))) {
        code = kLineCommentOpens;
        comment = text.mid(2).trimmed();
    }

    if (code == kLineCommentOpens) {
        const qsizetype close = text.indexOf(QStringLiteral("*/"));
        if (close >= 0) {
            code = kLineCommentWhole;
            comment = text.mid(2, close - 2).trimmed();
        }
    } else if (const int close = findUnquoted(text, QStringLiteral("*/"))) {
        code = kLineCommentCloses;
        comment = text.left(close - 1).trimmed();
    }

    if (code != kLineOrdinary) return code;
    if (text == u"/" || text == u"/;") {
        engine.blockMode = false;
        return kLineTerminator;
    }
    const QStringList words = text.toUpper().split(u' ');
    if (opensBlock(words)) engine.blockMode = true;
    if (words.value(0) == u"/") return kLineTerminator;
    if (!engine.blockMode && findUnquoted(text, QStringLiteral(";"))) return kLineEndsStatement;
    return code;
}

QStringList assembleStatements(const QString &text) {
    QStringList statements;
    QString buffer;
    bool open = false;
    // One past the limit is kept, so that the caller can tell the text holds too many.
    auto store = [&](const QString &statement) {
        if (statements.size() <= kMaxStatements) statements.append(statement);
    };
    QStringList lines;
    for (const QString &line : text.split(u'\r'))
        lines += splitAfterComment(line);
    for (const QString &line : std::as_const(lines)) {
        if (statements.size() > kMaxStatements) break;
        QString comment;
        const int code = classifyLine(line, comment);
        if (code == kLineDashComment) continue;
        const QString cleaned = stripLine(line, true);
        if (!open) {
            if (code == kLineEndsStatement) {
                store(cleaned);
            } else if (code != kLineTerminator) {
                buffer = cleaned;
                open = true;
            }
            continue;
        }
        if (code == kLineTerminator) {
            store(buffer);
            open = false;
            continue;
        }
        buffer += u'~' + cleaned;
        if (code == kLineEndsStatement) {
            store(buffer);
            open = false;
        }
    }
    if (open && !buffer.isEmpty()) store(buffer);
    return statements;
}

QString summarize(const QString &statement) {
    engine.tabMark = QString(QChar(0x00BB));
    engine.lineMark = QString(QChar(0x2022));
    QString text = statement;
    text.replace(u'\t', engine.tabMark);
    text.replace(QStringLiteral("\r\n"), engine.lineMark);
    qsizetype lead = 0;
    while (lead < text.size() && text[lead] == u'~')
        ++lead;
    return text.mid(lead);
}
