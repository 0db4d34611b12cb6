#include "database/cli/embedded_dialect.h"

#include "core/quoting.h"
#include "core/sql_scanner.h"
#include "database/cli/embedded_constraints.h"

#include <QRegularExpression>
#include <QStringList>

namespace cli {
namespace {

// The run of ASCII letters and underscores after any leading blanks: the statement's verb.
QStringView leadingWord(QStringView text) {
    qsizetype start = 0;
    while (start < text.size() && text[start].unicode() < 0x80 && text[start].isSpace())
        ++start;
    qsizetype end = start;
    while (end < text.size()) {
        const char16_t c = text[end].unicode();
        if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_')) break;
        ++end;
    }
    return text.sliced(start, end - start);
}

// Applies fn to each stretch of text outside quotes and comments.
template <typename Fn> QString mapUnquoted(const QString &text, Fn fn) {
    QString out;
    qsizetype plainStart = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype end = quotedEnd(text, i);
        if (end < 0) {
            ++i;
            continue;
        }
        out += fn(text.mid(plainStart, i - plainStart));
        out += QStringView(text).mid(i, end - i);
        i = end;
        plainStart = i;
    }
    out += fn(text.mid(plainStart));
    return out;
}

// Every pattern below starts with one of these words, and most statements hold none. One
// pass over the letters that can start them (U+017F folds to s), not one search per word.
bool mayHoldRegister(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'C' && c != u'c' && c != u'S' && c != u's' && c != u'F' && c != u'f' &&
            c != u'\u017F')
            continue;
        const QStringView rest = text.sliced(i);
        if (rest.startsWith(u"CURRENT", Qt::CaseInsensitive) ||
            rest.startsWith(u"SESSION_USER", Qt::CaseInsensitive) ||
            rest.startsWith(u"FETCH", Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString replaceRegisters(QString text, const Registers &registers) {
    if (!mayHoldRegister(text)) return text;
    static const QRegularExpression user(
        QStringLiteral(R"(\bCURRENT[ _](USER|SCHEMA|SQLID)\b|\bSESSION_USER\b)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression server(QStringLiteral(R"(\bCURRENT[ _]SERVER\b)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression clock(QStringLiteral(R"(\bCURRENT\s+(DATE|TIME|TIMESTAMP)\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression fetchFirst(
        QStringLiteral(R"(\bFETCH\s+FIRST\s+(\d+\s+)?ROWS?\s+ONLY\b)"),
        QRegularExpression::CaseInsensitiveOption);
    text.replace(user, sqlLiteral(registers.user));
    text.replace(server, sqlLiteral(registers.server));
    text.replace(clock, QStringLiteral("CURRENT_\\1"));
    QRegularExpressionMatch match;
    qsizetype from = 0;
    while ((match = fetchFirst.match(text, from)).hasMatch()) {
        const QString count = match.captured(1).trimmed();
        const QString limit =
            QStringLiteral("LIMIT ") + (count.isEmpty() ? QStringLiteral("1") : count);
        text.replace(match.capturedStart(), match.capturedLength(), limit);
        from = match.capturedStart() + limit.size();
    }
    return text;
}

// "(a, b)" but not "(a) + (b)".
bool enclosedInParentheses(const QString &text) {
    return text.startsWith(QLatin1Char('(')) && closingParenthesis(text, 0) == text.size() - 1;
}

} // namespace

qsizetype closingParenthesis(const QString &text, qsizetype open) {
    int depth = 0;
    qsizetype i = open;
    while (i < text.size()) {
        if (const qsizetype end = quotedEnd(text, i); end >= 0) {
            i = end;
            continue;
        }
        if (text[i] == QLatin1Char('(')) {
            ++depth;
        } else if (text[i] == QLatin1Char(')') && --depth == 0) {
            return i;
        }
        ++i;
    }
    return -1;
}

QStringList splitTopLevel(const QString &text, QChar separator) {
    QStringList parts;
    int depth = 0;
    qsizetype partStart = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        if (const qsizetype end = quotedEnd(text, i); end >= 0) {
            i = end;
            continue;
        }
        const QChar ch = text[i];
        if (ch == QLatin1Char('(')) {
            ++depth;
        } else if (ch == QLatin1Char(')')) {
            --depth;
        } else if (ch == separator && depth == 0) {
            parts << text.mid(partStart, i - partStart);
            partStart = i + 1;
        }
        ++i;
    }
    parts << text.mid(partStart);
    return parts;
}

Translation translateForEmbedded(const QString &sql, const Registers &registers) {
    Translation t;
    QString text = sql.trimmed();
    while (text.endsWith(QLatin1Char(';')))
        text = text.chopped(1).trimmed();
    t.firstWord = leadingWord(text).toString().toUpper();

    text =
        mapUnquoted(text, [&](const QString &plain) { return replaceRegisters(plain, registers); });

    if (t.firstWord == QLatin1String("VALUES")) {
        t.values = true;
        const QString rest =
            text.mid(text.indexOf(QLatin1String("VALUES"), 0, Qt::CaseInsensitive) + 6).trimmed();
        // VALUES a, b is two rows of one column; VALUES (a, b) one row of two.
        QStringList rows;
        for (const QString &row : splitTopLevel(rest)) {
            const QString r = row.trimmed();
            rows << (enclosedInParentheses(r) ? r : QLatin1Char('(') + r + QLatin1Char(')'));
        }
        text = QStringLiteral("VALUES ") + rows.join(QStringLiteral(", "));
    }

    static const QRegularExpression truncate(
        QStringLiteral(R"(^\s*TRUNCATE\s+(?:TABLE\s+)?(\S+)(?:\s+.*)?$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (t.firstWord == QLatin1String("TRUNCATE")) {
        const auto match = truncate.match(text);
        if (match.hasMatch()) text = QStringLiteral("DELETE FROM ") + match.captured(1);
    }
    if (t.firstWord == QLatin1String("CREATE") && registers.typeChecks)
        text = withTypeConstraints(text);
    static const QRegularExpression startTransaction(
        QStringLiteral(R"(^\s*START\s+TRANSACTION\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    if (t.firstWord == QLatin1String("START") && startTransaction.match(text).hasMatch())
        text = QStringLiteral("BEGIN TRANSACTION");
    t.sql = text;
    return t;
}

} // namespace cli
