#pragma once
// Reads SQL text past its quoted parts, for every layer that must not take a quoted ";",
// "(" or "--" as code: two quote readers for code that steps over quoted text only, and
// SqlScanner, which follows SQL as a database's own shell reads it to tell where a
// statement ends: at a ";" outside string literals, quoted identifiers, dollar-quoted
// bodies, comments, parentheses and procedural bodies (BEGIN ... END of a trigger,
// function or compound statement). One scanner follows one statement at a time, a line
// at a time.

#include <QString>
#include <QStringList>
#include <QStringView>

// Where quoted text whose opening quote came before from ends: the offset just past its
// closing quote, or -1 when it goes on past text. A doubled quote stays inside, as SQL
// writes a quote in a literal or a quoted name.
qsizetype closingQuoteEnd(QStringView text, qsizetype from, QChar quote);

// Where the string literal or quoted name ('...' or "...") that opens at at ends: the
// offset just past it, the end of text when it is left open, or -1 when none opens there.
// For readers that take comments as text; SqlScanner::skipLiteral knows them all.
// Inline: the readers ask at every character.
inline qsizetype quotedEnd(QStringView text, qsizetype at) {
    if (at < 0 || at >= text.size()) return -1;
    const QChar quote = text[at];
    if (quote != u'\'' && quote != u'"') return -1;
    const qsizetype end = closingQuoteEnd(text, at + 1, quote);
    return end < 0 ? text.size() : end;
}

class SqlScanner {
public:
    // Reads line from offset from and returns the offset of the ";" that ends the
    // statement, or -1 when the statement goes on after the line. After an end the
    // scanner stands at the start of the next statement.
    qsizetype scanLine(const QString &line, qsizetype from = 0);
    // Forgets the statement read so far.
    void reset();

    // The statement so far holds more than blanks and comments.
    bool hasContent() const { return contentStart_ != kNoContent; }
    // Offset of the statement's first character that is neither blank nor comment, in the
    // line last scanned; -1 when it lies on an earlier line or has not come yet.
    qsizetype contentStartInLine() const { return contentStart_ >= 0 ? contentStart_ : -1; }
    // Inside a string, a quoted identifier, a dollar-quoted body or a comment.
    bool inLiteralOrComment() const { return mode_ != Mode::code; }
    // Anything left open: a literal or comment, a parenthesis, a procedural body.
    bool isOpen() const;
    // The statement is a body that only a terminator line ("/") ends.
    bool waitsForTerminator() const { return body_ == Body::untilTerminator; }

    // Where, in text, the literal or comment that starts at offset at ends (the offset just
    // past it), or -1 when at does not start one. For callers that must step over literals
    // without following whole statements.
    static qsizetype skipLiteral(const QString &text, qsizetype at);

private:
    enum class Mode {
        code,
        quoted,
        escaped,
        identifier,
        backtick,
        dollar,
        lineComment,
        blockComment
    };
    enum class Body { undecided, none, blocks, untilTerminator };
    static constexpr qsizetype kNoContent = -2;
    static constexpr qsizetype kEarlierLine = -1;

    void step(const QString &line, qsizetype &i);
    qsizetype skipPlainCode(const QString &line, qsizetype i);
    void codeChar(const QString &line, qsizetype &i);
    void endWord(const QString &line, qsizetype end);
    void takeWord(const QString &word);
    void decideBody(const QString &word);
    void countBodyWord(const QString &word);
    bool semicolonEnds();
    void markContent(qsizetype at);

    Mode mode_ = Mode::code;
    QString dollarTag_;
    int commentDepth_ = 0;
    int parens_ = 0;
    qsizetype wordStart_ = -1; // in the line being scanned
    QStringList words_;
    Body body_ = Body::undecided;
    int depth_ = 0;
    bool sawBegin_ = false;
    bool needsBegin_ = false;
    bool afterEnd_ = false;
    bool afterIsAs_ = false;
    qsizetype contentStart_ = kNoContent;
};
