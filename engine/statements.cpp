#include "engine/statements.h"

#include "core/engine_state.h"

#include <QRegularExpression>
#include <utility>

namespace {

QString collapseSpaces(QString text) {
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    return text;
}

// The first count words of a text whose blanks are single spaces, upper case: what
// opensBlock looks at, without splitting a long line whole.
QStringList firstWordsUpper(const QString &text, int count) {
    QStringList words;
    qsizetype from = 0;
    while (words.size() < count) {
        const qsizetype space = text.indexOf(u' ', from);
        words << text.mid(from, space < 0 ? -1 : space - from).toUpper();
        if (space < 0) break;
        from = space + 1;
    }
    return words;
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
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar ch = text[i];
        if (ch == lead && (!hasFollow || (i + 1 < text.size() && text[i + 1] == follow)))
            return int(i + 1);
        if (ch != u'\'' && ch != u'"') {
            ++i;
            continue;
        }
        i = closingQuoteEnd(text, i + 1, ch);
        if (i < 0) return 0;
    }
    return 0;
}

int classifyLine(const QString &line, QString &comment, bool &blockMode) {
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
        blockMode = false;
        return kLineTerminator;
    }
    const QStringList words = firstWordsUpper(text, 4);
    if (opensBlock(words)) blockMode = true;
    if (words.value(0) == u"/") return kLineTerminator;
    if (!blockMode && findUnquoted(text, QStringLiteral(";"))) return kLineEndsStatement;
    return code;
}

namespace {

// COPY ... FROM STDIN in a dump is followed by its rows, up to a "\\." line.
bool readsInlineRows(const QString &statement) {
    static const QRegularExpression copy(QStringLiteral(R"(^COPY\s.*\sFROM\s+STDIN\b)"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
    return statement.startsWith(u'C', Qt::CaseInsensitive) && copy.match(statement).hasMatch();
}

bool isTerminatorLine(const QString &line) {
    const QString trimmed = line.trimmed();
    return trimmed == u"/" || trimmed == u"/;" || trimmed.startsWith(QStringLiteral("/ "));
}

// NORQ, PUT and JSON take every line up to a terminator line, semicolons included.
bool takesBlock(const QString &keyword) {
    return keyword == u"NORQ" || keyword == u"PUT" || keyword == u"JSON";
}

QString firstWordAt(const QString &line, qsizetype at) {
    qsizetype end = at;
    while (end < line.size() && !line[end].isSpace() && line[end] != u';')
        ++end;
    return line.mid(at, end - at);
}

// The statement without blank lines and blanks after its end.
QString withoutTrailingBlanks(QString text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    text.truncate(end);
    return text;
}

} // namespace

void StatementAssembler::addLine(const QString &line) {
    lineEnds_.clear();
    if (mode_ == Mode::copyData) {
        // The rows a dump gives COPY ... FROM STDIN: data, not statements.
        if (line == u"\\.") {
            mode_ = Mode::idle;
            lineEnds_.append(line.size());
        }
        return;
    }
    if (mode_ == Mode::command) {
        commandLine(line);
        return;
    }
    if (!scanner_.inLiteralOrComment() && isTerminatorLine(line)) {
        if (mode_ == Mode::sql) finishStatement();
        lineEnds_.append(line.size());
        scanner_.reset();
        return;
    }
    if (mode_ == Mode::sql) buffer_ += u'\n';
    sqlFrom(line, 0);
}

void StatementAssembler::finish() {
    if (mode_ != Mode::idle) finishStatement();
    scanner_.reset();
}

QStringList StatementAssembler::takeStatements() {
    return std::exchange(ready_, QStringList());
}

bool StatementAssembler::holdsOpenStatement() const {
    return mode_ == Mode::sql && scanner_.isOpen();
}

bool StatementAssembler::inLiteralOrComment() const {
    return mode_ != Mode::command && scanner_.inLiteralOrComment();
}

void StatementAssembler::sqlFrom(const QString &line, qsizetype from) {
    while (from <= line.size()) {
        const bool started = mode_ == Mode::sql;
        const qsizetype end = scanner_.scanLine(line, from);
        qsizetype pieceStart = from;
        if (!started && scanner_.hasContent()) {
            pieceStart = scanner_.contentStartInLine();
            const QString word = firstWordAt(line, pieceStart);
            if (isShellCommand(word)) {
                // Another shell's own command ("\\d", ".tables") is one line, never SQL.
                scanner_.reset();
                buffer_ = line.mid(pieceStart).trimmed();
                mode_ = Mode::command;
                finishStatement();
                lineEnds_.append(line.size());
                return;
            }
            if (isScriptCommand(word, QStringView(line).sliced(pieceStart + word.size()))) {
                scanner_.reset();
                beginCommand(line.mid(pieceStart), word);
                if (mode_ == Mode::idle) lineEnds_.append(line.size());
                return;
            }
            mode_ = Mode::sql;
            buffer_.clear();
        }
        if (end < 0) {
            if (mode_ == Mode::sql) buffer_ += QStringView(line).mid(pieceStart);
            return;
        }
        if (mode_ == Mode::sql) {
            buffer_ += QStringView(line).mid(pieceStart, end + 1 - pieceStart);
            finishStatement();
        }
        scanner_.reset();
        // A COPY's rows follow on the next lines; the statement ends with them.
        if (mode_ == Mode::copyData) return;
        lineEnds_.append(end + 1);
        from = end + 1;
    }
}

void StatementAssembler::beginCommand(const QString &text, const QString &word) {
    mode_ = Mode::command;
    commandBlock_ = takesBlock(word.toUpper().remove(u';'));
    buffer_ = stripLine(text, true);
    if (!commandBlock_ && findUnquoted(buffer_, QStringLiteral(";"))) finishStatement();
}

void StatementAssembler::commandLine(const QString &line) {
    const QString trimmed = line.trimmed();
    if (isTerminatorLine(line)) {
        finishStatement();
        lineEnds_.append(line.size());
        return;
    }
    if (trimmed.startsWith(QStringLiteral("--")) && !trimmed.startsWith(QStringLiteral("--#")) &&
        !engine.spoolOpen)
        return;
    const QString cleaned = stripLine(line, true);
    buffer_ += u'\n' + cleaned;
    if (!commandBlock_ && findUnquoted(cleaned, QStringLiteral(";"))) {
        finishStatement();
        lineEnds_.append(line.size());
    }
}

void StatementAssembler::finishStatement() {
    const QString statement = withoutTrailingBlanks(buffer_);
    buffer_.clear();
    if (mode_ == Mode::command || !statement.isEmpty()) ready_.append(statement);
    mode_ = mode_ == Mode::sql && readsInlineRows(statement) ? Mode::copyData : Mode::idle;
    commandBlock_ = false;
}

bool isShellCommand(const QString &word) {
    if (word.startsWith(u'\\')) return word.size() > 1;
    return word.size() > 1 && word.startsWith(u'.') && word[1].isLetter();
}

QStringList assembleStatements(const QString &text) {
    StatementAssembler assembler;
    for (const QString &line : text.split(u'\r'))
        assembler.addLine(line);
    assembler.finish();
    return assembler.takeStatements();
}

QString summarize(const QString &statement) {
    engine.tabMark = QString(QChar(0x00BB));
    engine.lineMark = QString(QChar(0x2022));
    QString text = statement.trimmed();
    text.replace(u'\t', engine.tabMark);
    text.replace(QStringLiteral("\r\n"), engine.lineMark);
    text.replace(u'\n', engine.lineMark);
    return text.trimmed();
}
