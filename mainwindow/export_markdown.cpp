#include "mainwindow/export_markdown.h"

#include "mainwindow/export.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace {

// Characters that Markdown would read as markup are escaped; a line is never taken
// for a heading, quote, list item or HTML.
QString inlineText(const QString &text) {
    static const QRegularExpression specials(QStringLiteral("([\\\\`*_\\[\\]<>|])"));
    static const QRegularExpression blockStart(QStringLiteral("^([#+=-]|\\d+[.)])"));
    QString out = text;
    out.replace(specials, QStringLiteral("\\\\1"));
    out.replace(blockStart, QStringLiteral("\\\\1"));
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
        return {QStringLiteral("[%1](#%2)").arg(inlineText(block.text), block.anchor)};
    case ExportBlock::Kind::prose:
        return proseLines(block.prose);
    case ExportBlock::Kind::statement:
    case ExportBlock::Kind::example:
        return fenced(QStringLiteral("sql"), block.lines);
    case ExportBlock::Kind::output:
        return fenced(QString(), block.lines);
    case ExportBlock::Kind::picture: {
        const QString name = pngPictureName(QFileInfo(pictureBase).fileName(), block.number);
        return {QStringLiteral("![%1](%2)")
                    .arg(pictureCaption(block),
                         QString::fromUtf8(QUrl::toPercentEncoding(name, "-._~")))};
    }
    }
    return {};
}

QString markdownDocument(const QList<ExportBlock> &blocks, const QString &pictureBase) {
    QStringList out;
    for (const ExportBlock &block : blocks) {
        if (!out.isEmpty()) out << QString();
        out << markdownLines(block, pictureBase);
    }
    return out.join(u'\n') + u'\n';
}

bool exportMarkdown(Grid *grid, const QString &path, QString *error) {
    const QList<ExportBlock> blocks = exportBlocks(grid);
    const QString base = pictureBaseName(path);
    if (!saveWhole(path, markdownDocument(blocks, base).toUtf8(), error)) return false;
    for (const ExportBlock &block : blocks)
        if (block.kind == ExportBlock::Kind::picture && !block.picture.isNull())
            saveWhole(pngPictureName(base, block.number), pngBytes(block.picture));
    return true;
}
