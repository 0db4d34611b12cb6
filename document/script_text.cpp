#include "document/script_text.h"

#include "core/text_search.h"
#include "engine/runners.h"

namespace ScriptText {

namespace {

const QString kHiddenMarker = QStringLiteral("--##");
const QString kTagCodes = QStringLiteral("0{H0}1{H1}2{H2}3{H3}4{H4}I{IMAGE}S{SQL}");
constexpr int kReflowWidth = 60;
constexpr int kUnwrapped = 9999;

QString trimSpaces(const QString &text) {
    qsizetype start = 0, end = text.size();
    while (start < end && text.at(start) == u' ')
        ++start;
    while (end > start && text.at(end - 1) == u' ')
        --end;
    return text.mid(start, end - start);
}

QString leftTrimmed(const QString &text) {
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    return text.mid(start);
}

bool isBullet(const QString &line) {
    return leftTrimmed(line).startsWith(u'-');
}

// Whether a "{" at position opens what a comment's first line would read as a tag.
bool opensTagWord(const QString &text, qsizetype open) {
    static const QStringList words = {
        QStringLiteral("h0"), QStringLiteral("h1"),    QStringLiteral("h2"), QStringLiteral("h3"),
        QStringLiteral("h4"), QStringLiteral("image"), QStringLiteral("sql")};
    for (const QString &word : words) {
        if (QStringView(text).mid(open + 1, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype after = open + 1 + word.size();
        if (after < text.size() && (text.at(after) == u':' || text.at(after) == u'}')) return true;
    }
    return false;
}

// Prose that reflow could turn into mark-up is written with carets, which show as
// nothing: a tag word that may land on a first line ("{^h1}"), a "~" that stands alone
// (which reflow reads as a line break) and "*/" (which would close the comment). Done
// before reflow, so the carets count in the layout and a second pass lays out the same.
QString protectProseLine(const QString &line) {
    QString out;
    out.reserve(line.size() + 4);
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line.at(i);
        out += ch;
        if (ch == u'^' && i + 1 < line.size()) {
            out += line.at(++i); // already protected
        } else if (ch == u'{' && opensTagWord(line, i)) {
            out += u'^';
        } else if (ch == u'*' && i + 1 < line.size() && line.at(i + 1) == u'/') {
            out += u'^';
        } else if (ch == u'~' && (i == 0 || line.at(i - 1) == u' ') &&
                   (i + 1 == line.size() || line.at(i + 1) == u' ')) {
            out.insert(out.size() - 1, u'^');
        }
    }
    return out;
}

} // namespace

QString stripCR(const QString &text) {
    const QString trimmed = trimSpaces(text);
    qsizetype start = 0;
    while (start < trimmed.size() && trimmed.at(start) == u'\r')
        ++start;
    return trimmed.mid(start);
}

QString trimCarriageReturns(const QString &text) {
    qsizetype start = 0, end = text.size();
    while (start < end && text.at(start) == u'\r')
        ++start;
    while (end > start && text.at(end - 1) == u'\r')
        --end;
    return text.mid(start, end - start);
}

QString removeCarets(const QString &text) {
    if (!text.contains(u'^')) return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'^') {
            if (++i < text.size()) result += text.at(i);
        } else {
            result += text.at(i);
        }
    }
    return result;
}

namespace {

QString withHiddenSectionsRemoved(const QString &inSQL) {
    QString text = inSQL;
    qsizetype b = indexOfText(text, kHiddenMarker);
    if (b < 0) return text;
    const qsizetype c = text.indexOf(u'\r', b);
    if (c < 0) return text;
    QString label = trimSpaces(text.mid(b + 4, c - b - 4));
    if (label.isEmpty()) label = QStringLiteral("Hidden SQL");
    while (b >= 0) {
        const qsizetype d = text.indexOf(kHiddenMarker, b + 4);
        if (d < 0) return text;
        text = stripCR(text.left(b)) + stripCR(text.mid(d + 4));
        b = text.indexOf(kHiddenMarker + u'\r');
    }
    return text.isEmpty() ? label : text;
}

} // namespace

QString getRawSQL(const QString &inSQL) {
    const QString shown = withHiddenSectionsRemoved(inSQL);
    if (shown == inSQL) return shown;
    // A row never hides that it starts another program: it then shows all it runs.
    const QString run = removeComments(inSQL);
    if (childProgramStatements(run).size() > childProgramStatements(shown).size()) return run;
    return shown;
}

QString removeComments(const QString &inSQL) {
    if (!containsText(inSQL, kHiddenMarker)) return inSQL;
    QStringList kept;
    for (const QString &line : inSQL.split(u'\r')) {
        if (leftTrimmed(line).startsWith(kHiddenMarker)) continue;
        if (kept.isEmpty() && line.trimmed().isEmpty()) continue;
        kept.append(line);
    }
    return kept.join(u'\r');
}

CommentTag parseCommentTag(const QString &firstLine) {
    CommentTag tag;
    const qsizetype open = firstLine.indexOf(u'{');
    const qsizetype close = firstLine.indexOf(u'}');
    if (open < 0 || close <= open) return tag;
    qsizetype colon = firstLine.indexOf(u':', open);
    if (colon >= close) colon = -1;
    const qsizetype wordEnd = colon >= 0 ? colon : close;
    const QString word = firstLine.mid(open, wordEnd - open).toUpper() + u'}';
    const qsizetype found = kTagCodes.indexOf(word);
    if (found <= 0) return tag;
    tag.code = kTagCodes.at(found - 1);
    if (colon >= 0) tag.anchor = firstLine.mid(colon + 1, close - colon - 1).toUpper();
    tag.content = leftTrimmed(firstLine.mid(close + 1));
    return tag;
}

QString joinCommentLines(const QStringList &lines, bool example) {
    QString joined;
    bool started = false;
    QString separator;
    for (const QString &line : lines) {
        const QString trimmed = trimSpaces(line);
        if (!started && trimmed.isEmpty()) continue;
        if (example) {
            if (started) joined += u'\r';
            joined += line;
            started = true;
            continue;
        }
        if (trimmed.isEmpty()) {
            joined += u'\r';
            separator = QStringLiteral("\r");
        } else if (trimmed.startsWith(u'-')) {
            if (started) joined += u'\r';
            joined += trimmed;
            separator = QStringLiteral("\r");
        } else {
            joined += separator + trimmed;
            separator = QStringLiteral(" ");
        }
        started = true;
    }
    return joined;
}

QString commentTokens(const QStringList &sourceLines) {
    QString tokens;
    bool lineEnded = false;
    for (const QString &line : sourceLines) {
        const QString trimmed = protectProseLine(line.trimmed());
        const bool bullet = isBullet(line);
        if (tokens.isEmpty() && trimmed.isEmpty()) continue;
        if (tokens.isEmpty()) {
            tokens = bullet ? trimmed + QStringLiteral(" ~ ") : trimmed;
            lineEnded = bullet;
        } else if (trimmed.isEmpty()) {
            tokens += lineEnded ? QStringLiteral(" ~ ") : QStringLiteral(" ~ ~ ");
            lineEnded = true;
        } else if (bullet) {
            tokens += lineEnded ? trimmed + QStringLiteral(" ~ ")
                                : QStringLiteral(" ~ ") + trimmed + QStringLiteral(" ~ ");
            lineEnded = true;
        } else {
            tokens += u' ' + trimmed;
            lineEnded = false;
        }
    }
    return tokens;
}

QStringList reflowTokens(const QString &tokens) {
    QStringList out;
    QString current;
    int limit = kReflowWidth;
    for (const QString &word : tokens.split(u' ')) {
        if (word.isEmpty()) continue;
        if (word == u"~") {
            out.append(QStringLiteral("  ") + current);
            current.clear();
            limit = kReflowWidth;
            continue;
        }
        if (word.startsWith(u'-')) limit = kUnwrapped;
        // An empty line would read back as a paragraph break, so a long first word
        // starts its line instead of ending an empty one.
        if (!current.isEmpty() && word.size() + current.size() >= limit) {
            out.append(QStringLiteral("  ") + current);
            limit = kReflowWidth;
            current = word;
        } else {
            current += current.isEmpty() ? word : u' ' + word;
        }
    }
    if (!current.isEmpty()) out.append(QStringLiteral("  ") + current);
    return out;
}

HeadingEdit parseHeadingEdit(const QString &typed) {
    HeadingEdit edit;
    const QString t = typed.trimmed();
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close >= 0) {
            edit.anchor = t.mid(1, close - 1);
            edit.text = t.mid(close + 1).trimmed();
        } else {
            edit.text = t;
        }
        return edit;
    }
    edit.text = typed;
    return edit;
}

QString protectCommentEnd(const QString &line) {
    QString protectedLine = line;
    protectedLine.replace(QStringLiteral("*/"), QStringLiteral("*^/"));
    return protectedLine;
}

} // namespace ScriptText
