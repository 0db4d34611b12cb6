#include "export/export_markdown.h"

#include "core/shown_text.h"
#include "export/export.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace {

// Characters that Markdown would read as markup are escaped; "_" inside a word (as in
// LAST_NAME) never is markup and stays as it is, for the file to read well as text.
QString escapedMarkup(const QString &text) {
    static const QString specials = QStringLiteral("\\`*_[]<>|");
    const auto wordAt = [&](qsizetype i) {
        return i >= 0 && i < text.size() && text.at(i).isLetterOrNumber();
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool inWord = c == u'_' && wordAt(i - 1) && wordAt(i + 1);
        if (specials.contains(c) && !inWord) out += u'\\';
        out += c;
    }
    return out;
}

// Inline text that is never taken for a heading, quote, list item or HTML either.
QString inlineText(const QString &text) {
    static const QRegularExpression blockStart(QStringLiteral("^([#+=-]|\\d+[.)])"));
    return escapedMarkup(text).replace(blockStart, QStringLiteral("\\\\1"));
}

// A table cell holds one line: a line break inside the value is an HTML break, and "|"
// is escaped so that it does not end the cell.
QString tableCell(const QString &value) {
    QStringList lines = valueLines(value);
    for (QString &line : lines)
        line = escapedMarkup(line);
    return lines.join(QStringLiteral("<br>"));
}

QString tableRow(const QStringList &cells) {
    return QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |");
}

QStringList resultTable(const ExportBlock &block) {
    const ResultSet &result = *block.outcome.result;
    QStringList header, rule;
    for (size_t c = 0; c < result.columns.size(); ++c) {
        header << tableCell(result.columns[c].name);
        rule << (result.isNumeric(static_cast<int>(c)) ? QStringLiteral("---:")
                                                       : QStringLiteral("---"));
    }
    QStringList out{tableRow(header), tableRow(rule)};
    for (const std::vector<ResultValue> &row : result.rows) {
        QStringList cells;
        for (const ResultValue &value : row)
            cells << tableCell(shownValue(value));
        out << tableRow(cells);
    }
    for (const QString &line : valueLines(block.outcome.trailer.trimmed()))
        if (!line.trimmed().isEmpty()) out << QString() << inlineText(line.trimmed());
    return out;
}

// A fence longer than any run of backticks inside the block.
QStringList fenced(const QString &language, const QStringList &lines) {
    static const QRegularExpression ticks(QStringLiteral("`+"));
    qsizetype longest = 0;
    for (const QString &line : lines) {
        auto matches = ticks.globalMatch(line);
        while (matches.hasNext())
            longest = std::max(longest, matches.next().capturedLength());
    }
    const QString fence(std::max<qsizetype>(3, longest + 1), u'`');
    return QStringList{fence + language} + lines + QStringList{fence};
}

QStringList proseLines(const QList<ProsePart> &parts) {
    QStringList out;
    for (const ProsePart &part : parts) {
        if (!out.isEmpty()) out << QString();
        for (const QString &line : part.lines)
            out << (part.bullets ? QStringLiteral("- ") : QString()) + inlineText(line);
    }
    return out;
}

QStringList headingLines(const ExportBlock &block) {
    QStringList out;
    // An HTML anchor, so that the script's own links (to upper-case ids) keep working.
    if (!block.anchor.isEmpty())
        out << QStringLiteral("<a id=\"%1\"></a>").arg(block.anchor.toHtmlEscaped()) << QString();
    out << QString(block.level, u'#') + u' ' + inlineText(block.text);
    return out;
}

} // namespace

QStringList markdownLines(const ExportBlock &block, const QString &pictureBase) {
    switch (block.kind) {
    case ExportBlock::Kind::heading:
        return headingLines(block);
    case ExportBlock::Kind::link:
        // Percent-encoded, an anchor cannot end the link and leave markup behind it.
        return {QStringLiteral("[%1](#%2)")
                    .arg(inlineText(block.text),
                         QString::fromLatin1(QUrl::toPercentEncoding(block.anchor)))};
    case ExportBlock::Kind::prose:
        return proseLines(block.prose);
    case ExportBlock::Kind::statement:
    case ExportBlock::Kind::example:
        return fenced(QStringLiteral("sql"), block.lines);
    case ExportBlock::Kind::result:
        if (block.outcome.result && !block.outcome.result->columns.empty())
            return resultTable(block);
        return fenced(QString(), block.lines);
    case ExportBlock::Kind::message:
        return fenced(QString(), block.lines);
    case ExportBlock::Kind::chart:
    case ExportBlock::Kind::picture:
        return {QStringLiteral("![%1](%2)")
                    .arg(pictureCaption(block),
                         relativeUrl(pngPictureName(pictureBase, block.pictureNumber)))};
    }
    return {};
}

QString markdownDocument(const QList<ExportBlock> &blocks, const QString &pictureBase) {
    QStringList out;
    for (const ExportBlock &block : blocks) {
        if (!out.isEmpty()) out << QString();
        out << markdownLines(block, pictureBase);
    }
    // A terminal or pager showing the file must not act on what the data holds.
    for (QString &line : out)
        line = withControlsEscaped(line, true);
    return out.join(u'\n') + u'\n';
}

bool exportMarkdown(const QList<ExportBlock> &all, const QString &path, QString *error) {
    const QList<ExportBlock> blocks = readingBlocks(all);
    const QString base = pictureBaseName(path);
    if (!saveWhole(path, markdownDocument(blocks, base).toUtf8(), error)) return false;
    for (const ExportBlock &block : blocks)
        if (!block.picture.isNull())
            saveWhole(pngPictureName(base, block.pictureNumber), pngBytes(block.picture));
    return true;
}
