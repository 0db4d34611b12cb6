#include "document/script_parser.h"

#include "core/engine_state.h"
#include "document/row_model.h"
#include "document/script_lines.h"
#include "document/script_text.h"
#include "engine/statements.h"

namespace {

enum class ParseState { idle, inSql, inComment };

bool isBlockTerminator(const QString &line) {
    const QString trimmed = line.trimmed();
    return trimmed == u"/" || trimmed == u"/;";
}

QString leftTrimmed(const QString &text) {
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    return text.mid(start);
}

// A plain SQL file rather than a library: no tagged mark-up ("/* {h1} ..."), and either
// named .sql or without a comment line at all outside its statements.
bool isPlainSql(const ScriptLines &lines) {
    const bool sqlName = lines.fileName().endsWith(QStringLiteral(".sql"), Qt::CaseInsensitive);
    // Only a line that opens a comment can make it a library (for a .sql file, only one
    // that opens mark-up): without one, statements need not be followed through a dump.
    const auto mayTell = [sqlName](const QString &line) {
        const QString trimmed = line.trimmed();
        return trimmed.startsWith(QStringLiteral("/*")) && trimmed != u"/**/" &&
               (!sqlName || trimmed.mid(2).trimmed().startsWith(u'{'));
    };
    bool tellingLine = false;
    for (int slot = 1; slot <= lines.lineCount && !tellingLine; ++slot)
        tellingLine = mayTell(lines.lines[slot]);
    if (!tellingLine) return true;
    StatementAssembler statements;
    bool commentLines = false;
    for (int slot = 1; slot <= lines.lineCount; ++slot) {
        const QString &line = lines.lines[slot];
        if (!statements.holdsOpenStatement()) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QStringLiteral("/*")) && trimmed != u"/**/") {
                if (trimmed.mid(2).trimmed().startsWith(u'{')) return false;
                commentLines = true;
            }
        }
        statements.addLine(line);
        statements.takeStatements();
    }
    return !commentLines || sqlName;
}

// Blank lines after a statement's text are not part of it: a saved script writes one
// after every statement, also after one whose literal or comment was left open.
QString withoutTrailingBlankLines(const QString &text) {
    QStringList lines = text.split(u'\r');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines.join(u'\r');
}

// The statements of an SQL block, each with the lines it was written on; blank lines
// between them go, a comment goes with the statement after it, unless it follows one on
// its line or ends the block.
QStringList statementTexts(const QString &block) {
    StatementAssembler assembler;
    QStringList pieces;
    QString current;
    for (const QString &line : block.split(u'\r')) {
        // "/**/" keeps statements apart in a saved script: it ends an unfinished one.
        if (line.trimmed() == u"/**/" && !assembler.inLiteralOrComment()) {
            if (!current.trimmed().isEmpty()) pieces << withoutTrailingBlankLines(current);
            current.clear();
            assembler = StatementAssembler();
            continue;
        }
        assembler.addLine(line);
        qsizetype from = 0;
        for (const qsizetype end : assembler.lineEnds()) {
            const QString segment =
                from > 0 ? leftTrimmed(line.mid(from, end - from)) : line.left(end);
            pieces << (current.isEmpty() ? segment : current + u'\r' + segment);
            current.clear();
            from = end;
        }
        const QString rest = from > 0 ? leftTrimmed(line.mid(from)) : line;
        if (current.isEmpty() && rest.trimmed().isEmpty()) continue;
        // "INSERT ...; -- note": a comment that closes on the line stays with its statement.
        if (from > 0 && assembler.idle() && !assembler.inLiteralOrComment()) {
            pieces.last() += line.mid(from);
            continue;
        }
        current = current.isEmpty() ? rest : current + u'\r' + rest;
    }
    const bool statementOpen = !assembler.idle();
    current = withoutTrailingBlankLines(current);
    assembler.finish();
    if (current.trimmed().isEmpty()) return pieces;
    if (statementOpen || pieces.isEmpty())
        pieces << current;
    else
        pieces.last() += u'\r' + current;
    return pieces;
}

class ScriptParser {
public:
    ScriptParser(bool splitParagraphs, const RowSink &sink)
        : splitParagraphs_(splitParagraphs), sink_(sink) {}

    void feed(const QString &rawLine) {
        if (state_ == ParseState::inSql && belongsToStatement(rawLine)) {
            appendSql(rawLine);
            previousBlank_ = false;
            return;
        }
        const bool blank = rawLine.trimmed().isEmpty();
        // Tabs read as blanks, but SQL keeps the characters it was written with.
        QString line = rawLine;
        line.replace(u'\t', u' ');
        if (state_ == ParseState::inComment && closeComment(line) && line.trimmed().isEmpty())
            return;
        qsizetype offset = rawLine.size() - line.size();
        // "/* step one */SELECT 41;": what follows the comment is a line of its own, so
        // it is shown, run and kept.
        for (const QString &piece : splitAfterComment(line)) {
            QString comment;
            const int code = classifyLine(piece, comment, blockMode_);
            take(code, piece, rawLine.mid(offset, piece.size()), comment);
            offset += piece.size();
        }
        previousBlank_ = blank;
    }

    void finish() {
        if (text_.isEmpty()) return;
        if (state_ == ParseState::inSql)
            emitSql();
        else if (state_ == ParseState::inComment)
            sink_(RowKind::comment, text_);
        text_.clear();
    }

private:
    void take(int code, const QString &line, const QString &raw, const QString &comment) {
        switch (state_) {
        case ParseState::idle:
            idleLine(code, line, raw, comment);
            break;
        case ParseState::inSql:
            sqlLine(code, line, raw, comment);
            break;
        case ParseState::inComment:
            commentLine(code, line);
            break;
        }
    }

    // A line inside an open literal, parenthesis or body belongs to its statement, whatever
    // it looks like; outside a literal "/**/" still ends the block. So does a comment line
    // right under a statement that has not ended, unless it is mark-up ("{h1}" ...).
    bool belongsToStatement(const QString &line) const {
        if (statement_.inLiteralOrComment()) return statement_.holdsOpenStatement();
        const QString trimmed = line.trimmed();
        if (trimmed == u"/**/") return false;
        if (statement_.holdsOpenStatement()) return true;
        if (!statement_.inSqlStatement() || previousBlank_ || !trimmed.startsWith(u"/*"))
            return false;
        return !trimmed.mid(2).trimmed().startsWith(u'{');
    }

    void startSql(const QString &raw) {
        statement_ = StatementAssembler();
        statement_.addLine(raw);
        text_ = raw;
        state_ = ParseState::inSql;
    }

    void appendSql(const QString &raw) {
        statement_.addLine(raw);
        text_ += u'\r' + raw;
    }

    void emitSql() { sink_(RowKind::sql, withoutTrailingBlankLines(text_)); }

    void idleLine(int code, const QString &line, const QString &raw, const QString &comment) {
        switch (code) {
        case kLineOrdinary:
        case kLineEndsStatement:
        case kLineCommentCloses:
            startSql(raw);
            break;
        case kLineCommentOpens:
            text_ = comment;
            state_ = ParseState::inComment;
            break;
        case kLineCommentWhole:
            if (!comment.trimmed().isEmpty()) sink_(RowKind::comment, comment);
            break;
        case kLineDashComment:
            sink_(RowKind::comment, comment);
            break;
        case kLineTerminator:
            // "/ something" is not a terminator of the format: keep it as statement text.
            if (!isBlockTerminator(line)) startSql(raw);
            break;
        default:
            break;
        }
    }

    void sqlLine(int code, const QString &line, const QString &raw, const QString &comment) {
        switch (code) {
        case kLineEmpty:
            appendSql(QString());
            break;
        case kLineTerminator:
            appendSql(isBlockTerminator(line) ? QStringLiteral("/") : raw);
            break;
        case kLineCommentOpens:
            emitSql();
            text_ = comment;
            state_ = ParseState::inComment;
            break;
        case kLineCommentWhole:
            emitSql();
            if (!comment.trimmed().isEmpty()) sink_(RowKind::comment, comment);
            text_.clear();
            state_ = ParseState::idle;
            break;
        default:
            appendSql(raw);
            break;
        }
    }

    void commentLine(int code, const QString &line) {
        switch (code) {
        case kLineEmpty:
            text_ += u'\r';
            break;
        default:
            text_ += u'\r' + line;
            break;
        }
    }

    // Comments do not nest: a line that opens one ("/* {h1} ... */" in an example) is
    // comment text. On any other line quotes mean nothing inside a comment, so the first
    // "*/" closes it even after an apostrophe. Words before it stay in the comment; what
    // follows it is left in `line` to be read as a line of its own.
    bool closeComment(QString &line) {
        if (line.trimmed().startsWith(QStringLiteral("/*"))) return false;
        const qsizetype close = line.indexOf(QStringLiteral("*/"));
        if (close < 0) return false;
        const QString before = line.left(close);
        if (!before.trimmed().isEmpty()) {
            qsizetype end = before.size();
            while (end > 0 && before[end - 1].isSpace())
                --end;
            text_ += u'\r' + before.left(end);
        }
        emitComment();
        text_.clear();
        state_ = ParseState::idle;
        line = line.mid(close + 2);
        return true;
    }

    // A tagged comment, and every comment in the Edit View, is one row; otherwise one row
    // per paragraph and per bullet item.
    void emitComment() {
        const QStringList lines = text_.split(u'\r');
        if (!splitParagraphs_ || lines.first().trimmed().startsWith(u'{')) {
            sink_(RowKind::comment, text_);
            return;
        }
        QString pending;
        for (const QString &line : lines) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(u'-')) {
                if (!pending.isEmpty()) sink_(RowKind::comment, pending);
                pending = line;
            } else if (trimmed.isEmpty()) {
                if (!pending.isEmpty()) sink_(RowKind::comment, pending);
                pending.clear();
            } else {
                pending = pending.isEmpty() ? line : pending + u'\r' + line;
            }
        }
        if (!pending.isEmpty()) sink_(RowKind::comment, pending);
    }

    bool splitParagraphs_;
    const RowSink &sink_;
    StatementAssembler statement_;
    bool previousBlank_ = false;
    // Inside a block (a procedure body) a ";" ends no statement.
    bool blockMode_ = false;
    ParseState state_ = ParseState::idle;
    QString text_;
};

void writeComment(const RowSource &row, QStringList &lines) {
    lines.append(QStringLiteral("/*"));
    const QString tokens = ScriptText::commentTokens(row.raw.split(u'\r'));
    for (const QString &line : ScriptText::reflowTokens(tokens))
        lines.append(ScriptText::protectCommentEnd(line));
    lines.append(QStringLiteral("*/"));
}

void writeHeading(const RowSource &row, QStringList &lines) {
    const int level = row.tag.trimmed().toInt();
    const QString anchor = row.raw.isEmpty() ? QString() : u':' + row.raw;
    lines.append(QStringLiteral("/* {h%1%2} %3 */").arg(level).arg(anchor, row.text.trimmed()));
}

void writeExample(const RowSource &row, QStringList &lines) {
    lines.append(QStringLiteral("/* {sql} "));
    for (const QString &line : row.raw.split(u'\r'))
        lines.append(ScriptText::protectCommentEnd(line));
    lines.append(QStringLiteral("*/"));
}

} // namespace

void parseScript(const ScriptLines &lines, bool splitParagraphs, const RowSink &addRow) {
    if (isPlainSql(lines)) {
        // Its comments are SQL comments: each stays with its statement.
        QStringList all;
        for (int slot = 1; slot <= lines.lineCount; ++slot)
            all << lines.lines[slot];
        for (const QString &statement : statementTexts(all.join(u'\r')))
            addRow(RowKind::sql, statement);
    } else {
        ScriptParser parser(splitParagraphs, addRow);
        for (int slot = 1; slot <= lines.lineCount; ++slot)
            parser.feed(lines.lines[slot]);
        parser.finish();
    }
}

QStringList regeneratedLines(const std::vector<RowSource> &rows) {
    QStringList lines;
    RowKind previous = RowKind::endMarker;
    for (const RowSource &row : rows) {
        switch (row.kind) {
        case RowKind::comment:
            writeComment(row, lines);
            break;
        case RowKind::sql:
            if (previous == RowKind::sql) {
                lines.append(QStringLiteral("/**/"));
                lines.append(QStringLiteral(" "));
            }
            for (const QString &line : row.sql.split(u'\r'))
                lines.append(line);
            break;
        case RowKind::heading:
            writeHeading(row, lines);
            break;
        case RowKind::image:
            lines.append(QStringLiteral("/* {image}") + row.tag.trimmed() + QStringLiteral(" */"));
            break;
        case RowKind::example:
            writeExample(row, lines);
            break;
        default:
            break;
        }
        if (!traitsOf(row.kind).written) continue;
        lines.append(QStringLiteral(" "));
        // Output rows between two SQL blocks write nothing, so the blocks must still be
        // kept apart.
        previous = row.kind;
    }
    return lines;
}

bool regenerateScript(const std::vector<RowSource> &rows, ScriptLines &target) {
    const QStringList lines = regeneratedLines(rows);
    if (lines.size() > ScriptLines::maxLines) return false;
    target.clear();
    for (const QString &line : std::as_const(lines))
        target.append(line);
    return true;
}
