#include "core/sql_scanner.h"

#include <array>
#include <utility>

namespace {

bool isWordChar(QChar ch) {
    return ch.isLetterOrNumber() || ch == u'_' || ch == u'$';
}

bool isTagChar(QChar ch, bool first) {
    return ch.isLetter() || ch == u'_' || (!first && ch.isDigit());
}

// The "$tag$" that opens a dollar-quoted body at at, or empty.
QString dollarTagAt(const QString &text, qsizetype at) {
    if (at > 0 && isWordChar(text[at - 1])) return {};
    qsizetype end = at + 1;
    while (end < text.size() && isTagChar(text[end], end == at + 1))
        ++end;
    if (end >= text.size() || text[end] != u'$') return {};
    return text.mid(at, end - at + 1);
}

bool oneOf(const QString &word, std::initializer_list<const char16_t *> words) {
    for (const char16_t *candidate : words)
        if (word == QStringView(candidate)) return true;
    return false;
}

// Words between CREATE and the kind of object that change nothing about the body.
bool isCreateModifier(const QString &word) {
    return oneOf(word, {u"OR", u"REPLACE", u"TEMP", u"TEMPORARY", u"CONSTRAINT", u"DEFINER",
                        u"EDITIONABLE", u"NONEDITIONABLE", u"AGGREGATE", u"SQL", u"SECURITY",
                        u"INVOKER", u"IF", u"NOT", u"EXISTS"});
}

// Words after BEGIN that make it a transaction rather than a compound statement.
bool isTransactionWord(const QString &word) {
    return oneOf(word, {u"TRANSACTION", u"WORK", u"TRAN", u"DEFERRED", u"IMMEDIATE", u"EXCLUSIVE",
                        u"ISOLATION", u"READ", u"NOT", u"DISTRIBUTED"});
}

constexpr int kWordsKept = 8;

enum : unsigned char { kPlain = 0, kWord = 1, kSignificant = 2 };

// What an ASCII character can do in code: most of a statement's text only ends or continues
// a word. Characters that open a literal or comment, nest or end are significant.
constexpr auto kAsciiRoles = [] {
    std::array<unsigned char, 128> roles{};
    for (int c = '0'; c <= '9'; ++c)
        roles[c] = kWord;
    for (int c = 'A'; c <= 'Z'; ++c)
        roles[c] = roles[c + ('a' - 'A')] = kWord;
    roles['_'] = kWord;
    for (const char c : {';', '\'', '"', '`', '-', '/', '$', '(', ')'})
        roles[static_cast<unsigned char>(c)] = kSignificant;
    return roles;
}();

} // namespace

qsizetype closingQuoteEnd(QStringView text, qsizetype from, QChar quote) {
    qsizetype at = text.indexOf(quote, from);
    while (at >= 0 && at + 1 < text.size() && text[at + 1] == quote)
        at = text.indexOf(quote, at + 2);
    return at < 0 ? -1 : at + 1;
}

void SqlScanner::reset() {
    *this = SqlScanner();
}

bool SqlScanner::isOpen() const {
    return mode_ != Mode::code || parens_ > 0 || depth_ > 0 ||
           (body_ == Body::blocks && needsBegin_ && !sawBegin_) || body_ == Body::untilTerminator;
}

qsizetype SqlScanner::scanLine(const QString &line, qsizetype from) {
    if (from == 0) {
        if (mode_ == Mode::lineComment) mode_ = Mode::code;
        if (contentStart_ >= 0) contentStart_ = kEarlierLine;
    }
    qsizetype i = from;
    while (i < line.size()) {
        if (mode_ == Mode::code && body_ == Body::none) {
            i = skipPlainCode(line, i);
            if (i == line.size()) break;
        }
        if (mode_ == Mode::code && line[i] == u';') {
            endWord(line, i);
            markContent(i);
            if (semicolonEnds()) return i;
            ++i;
            continue;
        }
        step(line, i);
    }
    endWord(line, line.size());
    if (mode_ == Mode::lineComment) mode_ = Mode::code;
    return -1;
}

// Once a statement is known to have no body, its words no longer matter, only where the
// current one starts (a one-letter string prefix, a "$" inside a word): a dump's INSERT
// text is read here a character at a time without the general step.
qsizetype SqlScanner::skipPlainCode(const QString &line, qsizetype i) {
    const QChar *text = line.constData();
    const qsizetype size = line.size();
    for (; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= kAsciiRoles.size() || kAsciiRoles[c] == kSignificant) break;
        if (kAsciiRoles[c] == kPlain)
            wordStart_ = -1;
        else if (wordStart_ < 0)
            wordStart_ = i;
    }
    return i;
}

void SqlScanner::markContent(qsizetype at) {
    if (contentStart_ == kNoContent) contentStart_ = at;
}

// Reads one character, or the whole of a literal's delimiter, from i and moves i on.
void SqlScanner::step(const QString &line, qsizetype &i) {
    const QChar ch = line[i];
    const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
    switch (mode_) {
    case Mode::code:
        codeChar(line, i);
        return;
    case Mode::quoted:
    case Mode::identifier:
    case Mode::backtick: {
        const QChar close = mode_ == Mode::quoted ? u'\'' : mode_ == Mode::identifier ? u'"' : u'`';
        const qsizetype end = closingQuoteEnd(line, i, close); // the inside at once
        i = end < 0 ? line.size() : end;
        if (end >= 0) mode_ = Mode::code;
        return;
    }
    case Mode::escaped:
        if (ch == u'\\') {
            i += 2;
            return;
        }
        if (ch == u'\'') {
            if (next == u'\'') {
                i += 2;
                return;
            }
            mode_ = Mode::code;
        }
        ++i;
        return;
    case Mode::dollar: {
        const qsizetype close = line.indexOf(dollarTag_, i);
        if (close < 0) {
            i = line.size();
            return;
        }
        i = close + dollarTag_.size();
        mode_ = Mode::code;
        return;
    }
    case Mode::lineComment:
        if (ch == u'\n') mode_ = Mode::code;
        ++i;
        return;
    case Mode::blockComment:
        if (ch == u'/' && next == u'*') {
            ++commentDepth_;
            i += 2;
        } else if (ch == u'*' && next == u'/') {
            if (--commentDepth_ == 0) mode_ = Mode::code;
            i += 2;
        } else {
            ++i;
        }
        return;
    }
}

void SqlScanner::codeChar(const QString &line, qsizetype &i) {
    const QChar ch = line[i];
    const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
    if (isWordChar(ch) && !(ch == u'$' && wordStart_ < 0)) {
        markContent(i);
        if (wordStart_ < 0) wordStart_ = i;
        ++i;
        return;
    }
    // A one-letter prefix of a string ("E'", "X'", "N'") is part of the literal.
    const bool oneLetter = wordStart_ >= 0 && i - wordStart_ == 1;
    const bool escapedString =
        ch == u'\'' && oneLetter && (line[wordStart_] == u'E' || line[wordStart_] == u'e');
    if (ch == u'\'' && oneLetter) wordStart_ = -1;
    endWord(line, i);
    if (ch.isSpace()) {
        ++i;
        return;
    }
    if (ch == u'-' && next == u'-') {
        mode_ = Mode::lineComment;
        i += 2;
        return;
    }
    if (ch == u'/' && next == u'*') {
        mode_ = Mode::blockComment;
        commentDepth_ = 1;
        i += 2;
        return;
    }
    markContent(i);
    afterIsAs_ = false;
    afterEnd_ = false;
    if (ch == u'$') {
        const QString tag = dollarTagAt(line, i);
        if (!tag.isEmpty()) {
            dollarTag_ = tag;
            mode_ = Mode::dollar;
            i += tag.size();
            return;
        }
    } else if (ch == u'\'') {
        mode_ = escapedString ? Mode::escaped : Mode::quoted;
    } else if (ch == u'"') {
        mode_ = Mode::identifier;
    } else if (ch == u'`') {
        mode_ = Mode::backtick;
    } else if (ch == u'(') {
        ++parens_;
    } else if (ch == u')') {
        if (parens_ > 0) --parens_;
    }
    ++i;
}

void SqlScanner::endWord(const QString &line, qsizetype end) {
    if (wordStart_ < 0) return;
    const qsizetype start = std::exchange(wordStart_, -1);
    // Once a statement is known to hold no body, its words change nothing.
    if (body_ == Body::none || body_ == Body::untilTerminator) return;
    takeWord(line.mid(start, end - start).toUpper());
}

void SqlScanner::takeWord(const QString &word) {
    if (words_.size() < kWordsKept) words_.append(word);
    if (body_ == Body::undecided) {
        decideBody(word);
        return;
    }
    if (body_ == Body::blocks) countBodyWord(word);
}

void SqlScanner::decideBody(const QString &word) {
    const QString &first = words_.first();
    const qsizetype index = words_.size() - 1;
    if (index == 0) {
        if (!oneOf(first, {u"CREATE", u"ALTER", u"DECLARE", u"BEGIN"})) body_ = Body::none;
        return;
    }
    if (first == u"BEGIN") {
        if (isTransactionWord(word)) {
            body_ = Body::none;
            return;
        }
        body_ = Body::blocks;
        depth_ = 1;
        sawBegin_ = true;
        countBodyWord(word);
        return;
    }
    if (first == u"DECLARE") {
        if (word == u"CURSOR" || (index == 1 && word == u"GLOBAL")) {
            body_ = Body::none;
        } else if (index + 1 >= kWordsKept) {
            body_ = Body::blocks;
            needsBegin_ = true;
        }
        return;
    }
    // CREATE or ALTER
    if (oneOf(word, {u"TRIGGER", u"FUNCTION", u"PROCEDURE"})) {
        body_ = Body::blocks;
    } else if (word == u"PACKAGE") {
        body_ = Body::untilTerminator;
    } else if (!isCreateModifier(word) || index >= kWordsKept - 1) {
        body_ = Body::none;
    }
}

void SqlScanner::countBodyWord(const QString &word) {
    if (afterEnd_) {
        afterEnd_ = false;
        // END IF, END LOOP ... close a block that was never counted.
        if (oneOf(word, {u"IF", u"LOOP", u"WHILE", u"REPEAT", u"FOR"})) {
            ++depth_;
            return;
        }
        if (word == u"CASE") return;
    }
    if (afterIsAs_) {
        afterIsAs_ = false;
        // "AS" followed by a word rather than a quoted body: declarations come first, and
        // their ";" end nothing until the body's BEGIN ... END.
        needsBegin_ = true;
    }
    if (word == u"BEGIN") {
        ++depth_;
        sawBegin_ = true;
    } else if (word == u"CASE") {
        ++depth_;
    } else if (word == u"END") {
        if (depth_ > 0) {
            --depth_;
            afterEnd_ = true;
        }
    } else if (depth_ == 0 && !sawBegin_) {
        if (word == u"DECLARE") needsBegin_ = true;
        const bool routine = words_.contains(u"FUNCTION") || words_.contains(u"PROCEDURE");
        if (routine && (word == u"AS" || word == u"IS")) afterIsAs_ = true;
    }
}

bool SqlScanner::semicolonEnds() {
    if (parens_ > 0) return false;
    if (body_ == Body::undecided && !words_.isEmpty() && words_.first() == u"DECLARE") {
        body_ = Body::blocks;
        needsBegin_ = true;
    }
    switch (body_) {
    case Body::untilTerminator:
        return false;
    case Body::blocks:
        return depth_ == 0 && (!needsBegin_ || sawBegin_);
    default:
        return true;
    }
}

qsizetype SqlScanner::skipLiteral(const QString &text, qsizetype at) {
    if (at < 0 || at >= text.size()) return -1;
    SqlScanner scanner;
    qsizetype i = at;
    const bool prefixed = (text[at] == u'E' || text[at] == u'e') && at + 1 < text.size() &&
                          text[at + 1] == u'\'' && (at == 0 || !isWordChar(text[at - 1]));
    if (prefixed) {
        scanner.mode_ = Mode::escaped;
        i = at + 2;
    } else {
        const QChar ch = text[at];
        const QChar next = at + 1 < text.size() ? text[at + 1] : QChar();
        const bool opens = ch == u'\'' || ch == u'"' || ch == u'`' ||
                           (ch == u'-' && next == u'-') || (ch == u'/' && next == u'*') ||
                           (ch == u'$' && !dollarTagAt(text, at).isEmpty());
        if (!opens) return -1;
        scanner.codeChar(text, i);
    }
    while (i < text.size() && scanner.mode_ != Mode::code)
        scanner.step(text, i);
    return std::min(i, text.size());
}
