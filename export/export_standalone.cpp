#include "export/export_standalone.h"

#include "export/export_page.h"
#include "export/result_html.h"

#include <QFileInfo>

namespace {

QString escaped(const QString &text) {
    return text.toHtmlEscaped();
}

// The style rules of the HTML page, between its <style> and </style>.
QStringList pageStyle() {
    const QStringList head = exportPageHead();
    const qsizetype open = head.indexOf(QStringLiteral("<style type='text/css'>"));
    const qsizetype close = head.indexOf(QStringLiteral("</style>"));
    return head.mid(open + 1, close - open - 1);
}

void preformatted(QStringList &out, const QString &openTag, const QStringList &lines) {
    out << openTag;
    for (const QString &line : lines)
        out << escaped(line);
    out << QStringLiteral("</pre>");
}

void prose(QStringList &out, const QList<ProsePart> &parts) {
    for (const ProsePart &part : parts) {
        if (part.bullets) {
            out << QStringLiteral("<ul>");
            for (const QString &line : part.lines)
                out << QStringLiteral("<li>") + escaped(line) + QStringLiteral("</li>");
            out << QStringLiteral("</ul>");
        } else {
            out << QStringLiteral("<p>") + escaped(part.lines.join(u'\n')) + QStringLiteral("</p>");
        }
    }
}

// The table scrolls inside its box, so that a result of many columns leaves the page's
// width alone; a value keeps its blanks and line breaks and wraps inside its cell.
const QStringList kResultStyle{
    QStringLiteral("div.result {"),
    QStringLiteral("  overflow-x: auto;"),
    QStringLiteral("  background-color: #FFFFCC;"),
    QStringLiteral("  padding: 5px;"),
    QStringLiteral("  }"),
    QStringLiteral("div.result table {"),
    QStringLiteral("  border-collapse: collapse;"),
    QStringLiteral("  }"),
    QStringLiteral("div.result th, div.result td {"),
    QStringLiteral("  white-space: pre-wrap;"),
    QStringLiteral("  vertical-align: top;"),
    QStringLiteral("  text-align: left;"),
    QStringLiteral("  padding: 2px 8px;"),
    QStringLiteral("  border-bottom: 1px solid #DDDDAA;"),
    QStringLiteral("  }"),
    QStringLiteral("div.result td.number {"),
    QStringLiteral("  text-align: right;"),
    QStringLiteral("  }"),
};

void result(QStringList &out, const ExportBlock &block) {
    if (!block.outcome.result || block.outcome.result->columns.empty()) {
        preformatted(out, QStringLiteral("<pre class='output'>"), block.lines);
        return;
    }
    out << QStringLiteral("<div class=\"result\">") << resultTableHtml(*block.outcome.result);
    const QString message = block.outcome.trailer.trimmed();
    if (!message.isEmpty()) out << QStringLiteral("<p>%1</p>").arg(htmlLines(message));
    out << QStringLiteral("</div>");
}

void block(QStringList &out, const ExportBlock &block) {
    switch (block.kind) {
    case ExportBlock::Kind::heading: {
        const QString tag = QStringLiteral("h") + QString::number(block.level);
        const QString id = block.anchor.isEmpty()
                               ? QString()
                               : QStringLiteral(" id=\"%1\"").arg(escaped(block.anchor));
        out << QStringLiteral("<%1%2>%3</%1>").arg(tag, id, escaped(block.text));
        break;
    }
    case ExportBlock::Kind::link:
        out << QStringLiteral("<p><a href=\"#%1\">%2</a></p>")
                   .arg(escaped(block.anchor), escaped(block.text));
        break;
    case ExportBlock::Kind::prose:
        prose(out, block.prose);
        break;
    case ExportBlock::Kind::statement:
    case ExportBlock::Kind::example:
        preformatted(out, QStringLiteral("<pre>"), block.lines);
        break;
    case ExportBlock::Kind::message:
        preformatted(out, QStringLiteral("<pre class='output'>"), block.lines);
        break;
    case ExportBlock::Kind::result:
        result(out, block);
        break;
    case ExportBlock::Kind::chart:
    case ExportBlock::Kind::picture:
        if (block.picture.isNull()) break;
        out << QStringLiteral("<p><img src=\"data:image/png;base64,%1\" alt=\"%2\"></p>")
                   .arg(QString::fromLatin1(pngBytes(block.picture).toBase64()),
                        pictureCaption(block));
        break;
    }
}

} // namespace

QString standaloneHtmlDocument(const QList<ExportBlock> &blocks, const QString &title) {
    QStringList out{QStringLiteral("<!DOCTYPE html>"),
                    QStringLiteral("<html>"),
                    QStringLiteral("<head>"),
                    QStringLiteral("<meta charset=\"utf-8\">"),
                    QStringLiteral("<title>%1</title>").arg(escaped(title)),
                    QStringLiteral("<style>")};
    out << pageStyle();
    out << QStringLiteral("img {") << QStringLiteral("  max-width: 100%;") << QStringLiteral("  }");
    out << kResultStyle;
    out << QStringLiteral("</style>") << QStringLiteral("</head>") << QStringLiteral("<body>");
    for (const ExportBlock &each : blocks)
        block(out, each);
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out.join(u'\n') + u'\n';
}

bool exportStandaloneHtml(const QList<ExportBlock> &all, const QString &path, QString *error) {
    const QList<ExportBlock> blocks = readingBlocks(all);
    QString title = QFileInfo(path).completeBaseName();
    for (const ExportBlock &each : blocks)
        if (each.kind == ExportBlock::Kind::heading) {
            title = each.text;
            break;
        }
    return saveWhole(path, standaloneHtmlDocument(blocks, title).toUtf8(), error);
}
