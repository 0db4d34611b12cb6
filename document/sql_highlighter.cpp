#include "document/sql_highlighter.h"

#include "core/sql_scanner.h"
#include "engine/statements.h"

#include <QPlainTextEdit>
#include <QSet>
#include <QTextBlock>

namespace {

enum BlockState { kPlain = 0, kInComment = 1 };

const QSet<QString> &keywords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        const QString sql = QStringLiteral(
            "ADD ALL ALTER AND ANY AS ASC BETWEEN BY CALL CASE CAST CHAR CHECK COALESCE "
            "COMMIT CONSTRAINT COUNT CREATE CROSS CURRENT DATE DECIMAL DECLARE DEFAULT DELETE "
            "DESC DISTINCT DOUBLE DROP ELSE END EXCEPT EXISTS FETCH FIRST FOR FOREIGN FROM "
            "FULL FUNCTION GRANT GROUP HAVING IN INDEX INNER INSERT INTEGER INTERSECT INTO IS "
            "JOIN KEY LEFT LIKE LIMIT MAX MIN NOT NULL OF OFFSET ON ONLY OR ORDER OUTER OVER "
            "PARTITION PRIMARY PROCEDURE REFERENCES RETURN RETURNS RIGHT ROLLBACK ROW ROWS "
            "SELECT SET SMALLINT SUM TABLE THEN TIME TIMESTAMP TO UNION UNIQUE UPDATE USING "
            "VALUES VARCHAR VIEW WHEN WHERE WITH");
        for (const QString &word : sql.split(u' '))
            set.insert(word);
        // The script language's own commands, from the dispatcher's table.
        for (const QString &name : commandNames())
            set.insert(name);
        return set;
    }();
    return words;
}

QTextCharFormat charFormat(const QColor &colour, bool bold = false, bool italic = false) {
    QTextCharFormat result;
    result.setForeground(colour);
    if (bold) result.setFontWeight(QFont::Bold);
    result.setFontItalic(italic);
    return result;
}

} // namespace

SqlHighlighter::SqlHighlighter(QObject *parent)
    : QSyntaxHighlighter(parent), keyword_(charFormat(QColor(0, 0, 160), true)),
      string_(charFormat(QColor(160, 0, 0))), comment_(charFormat(QColor(0, 120, 0), false, true)),
      number_(charFormat(QColor(0, 110, 130))), variable_(charFormat(QColor(130, 0, 150), true)) {}

void setSqlHighlighting(QPlainTextEdit *editor, bool on) {
    auto *highlighter = editor->findChild<SqlHighlighter *>(QString(), Qt::FindDirectChildrenOnly);
    if (!highlighter) {
        if (!on) return;
        highlighter = new SqlHighlighter(editor);
    }
    QTextDocument *wanted = on ? editor->document() : nullptr;
    if (highlighter->document() != wanted) highlighter->setDocument(wanted);
}

int SqlHighlighter::colourBlockComment(const QString &text, int start) {
    const qsizetype close = text.indexOf(QLatin1String("*/"), start);
    const int end = close < 0 ? static_cast<int>(text.size()) : static_cast<int>(close) + 2;
    setFormat(start, end - start, comment_);
    return close < 0 ? -1 : end;
}

void SqlHighlighter::highlightBlock(const QString &text) {
    colourSyntax(text);
    showOwnColours();
}

// Colours the text carries itself (the marks of a search) show through the highlighting.
void SqlHighlighter::showOwnColours() {
    const QTextBlock block = currentBlock();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat own = fragment.charFormat();
        if (!own.hasProperty(QTextFormat::ForegroundBrush) ||
            own.foreground().color() == QColor(Qt::black))
            continue;
        QTextCharFormat mark;
        mark.setForeground(own.foreground());
        setFormat(fragment.position() - block.position(), fragment.length(), mark);
    }
}

void SqlHighlighter::colourSyntax(const QString &text) {
    setCurrentBlockState(kPlain);
    int at = 0;
    if (previousBlockState() == kInComment) {
        at = colourBlockComment(text, 0);
        if (at < 0) {
            setCurrentBlockState(kInComment);
            return;
        }
    }
    const int size = static_cast<int>(text.size());
    while (at < size) {
        const QChar c = text[at];
        if (c == u'-' && text.mid(at, 2) == QLatin1String("--")) {
            setFormat(at, size - at, comment_);
            return;
        }
        if (c == u'/' && text.mid(at, 2) == QLatin1String("/*")) {
            at = colourBlockComment(text, at);
            if (at < 0) {
                setCurrentBlockState(kInComment);
                return;
            }
            continue;
        }
        if (const int end = int(quotedEnd(text, at)); end >= 0) {
            // An open literal ends with the line.
            if (c == u'\'') setFormat(at, end - at, string_);
            at = end;
            continue;
        }
        if (c == u'&' && at + 1 < size && (text[at + 1].isLetter() || text[at + 1] == u'$')) {
            int end = at + 1;
            while (end < size &&
                   (text[end].isLetterOrNumber() || text[end] == u'_' || text[end] == u'$'))
                ++end;
            setFormat(at, end - at, variable_);
            at = end;
            continue;
        }
        if (c.isLetter() || c == u'_') {
            int end = at + 1;
            while (end < size && (text[end].isLetterOrNumber() || text[end] == u'_'))
                ++end;
            if (keywords().contains(text.mid(at, end - at).toUpper()))
                setFormat(at, end - at, keyword_);
            at = end;
            continue;
        }
        if (c.isDigit() || (c == u'.' && at + 1 < size && text[at + 1].isDigit())) {
            int end = at + 1;
            while (end < size &&
                   (text[end].isDigit() || text[end] == u'.' || text[end].toUpper() == u'E'))
                ++end;
            setFormat(at, end - at, number_);
            at = end;
            continue;
        }
        ++at;
    }
}
