// A document model made from random lines, written as Markdown, a notebook and a one-file
// page, without any widget. Outside code fences every "<" of the Markdown is escaped or
// one of the writer's own tags; the notebook parses, its markdown cells obey the same
// rule; the page holds no tag but the writer's own.
//
// Each input line is a row: its first character picks the kind ("0".."4" a heading or
// link whose anchor ends at the first tab, "p" prose, "e" an example, "s" a statement,
// "m" a message, "f" a failure, "r" a result whose columns and rows are tab-separated
// and split at the unit separator 0x1F, "\N" a NULL), the rest is its text.
#include "document/document_model.h"
#include "export/export_blocks.h"
#include "export/export_markdown.h"
#include "export/export_notebook.h"
#include "export/export_standalone.h"
#include "fuzz_input.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStringList>

namespace {

std::shared_ptr<const ResultSet> resultOf(const QString &text) {
    auto result = std::make_shared<ResultSet>();
    const QStringList parts = text.split(QChar(0x1f));
    for (const QString &name : parts.first().split(u'\t'))
        result->columns.push_back({name, name.size() % 3 == 0 ? 4 : 12, 10, 0});
    for (qsizetype p = 1; p < parts.size(); ++p) {
        std::vector<ResultValue> row;
        const QStringList cells = parts.at(p).split(u'\t');
        for (size_t c = 0; c < result->columns.size(); ++c) {
            const QString cell = cells.value(static_cast<qsizetype>(c));
            row.push_back(cell == QLatin1String("\\N") ? ResultValue() : ResultValue(cell));
        }
        result->rows.push_back(std::move(row));
    }
    return result;
}

DocumentRow rowOf(const QString &line) {
    DocumentRow row;
    const QChar kind = line.isEmpty() ? u'p' : line.at(0);
    const QString text = line.mid(1).replace(QLatin1String("\\r"), QLatin1String("\r"));
    row.text = text;
    if (kind >= u'0' && kind <= u'4') {
        row.kind = RowKind::heading;
        row.tag = kind;
        row.raw = text.section(u'\t', 0, 0);
        row.text = text.section(u'\t', 1);
    } else if (kind == u'p') {
        row.kind = RowKind::comment;
        row.raw = text;
    } else if (kind == u'e') {
        row.kind = RowKind::example;
    } else if (kind == u's') {
        row.kind = RowKind::sql;
        row.sql = text;
        row.outcome.ran = text;
    } else if (kind == u'm' || kind == u'f') {
        row.kind = RowKind::message;
        row.outcome.code = kind == u'f' ? -204 : 0;
    } else {
        row.kind = RowKind::result;
        row.outcome.result = resultOf(text);
        row.outcome.trailer = text.section(QChar(0x1f), -1);
    }
    return row;
}

// Outside the fences, a "<" opens only the writer's anchor or line break.
void checkMarkdown(const QStringList &lines) {
    static const QRegularExpression fence(QStringLiteral("^(`{3,})"));
    QString open;
    for (const QString &line : lines) {
        const auto match = fence.match(line);
        if (match.hasMatch()) {
            if (open.isEmpty())
                open = match.captured(1);
            else if (line == open)
                open.clear();
            continue;
        }
        if (!open.isEmpty()) continue;
        for (qsizetype at = line.indexOf(u'<'); at >= 0; at = line.indexOf(u'<', at + 1)) {
            const QStringView rest = QStringView(line).mid(at);
            check((at > 0 && line.at(at - 1) == u'\\') || rest.startsWith(u"<a id=\"") ||
                  rest.startsWith(u"</a>") || rest.startsWith(u"<br>"));
        }
    }
}

// Every tag of the page is one the writer makes.
void checkPage(const QString &page) {
    static const QRegularExpression tag(QStringLiteral("<(/?)([!A-Za-z0-9]+)"));
    static const QStringList own{"!DOCTYPE", "html", "head", "meta",  "title", "style", "body",
                                 "h1",       "h2",   "h3",   "h4",    "p",     "a",     "pre",
                                 "ul",       "li",   "div",  "table", "thead", "tbody", "tr",
                                 "th",       "td",   "br",   "img"};
    for (auto matches = tag.globalMatch(page); matches.hasNext();)
        check(own.contains(matches.next().captured(2)));
    check(!page.contains(QLatin1String("<img")));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = inputText(data, size);
    DocumentModel document;
    for (const QString &line : text.split(u'\n'))
        document.push_back(rowOf(line));
    const QList<ExportBlock> blocks = readingBlocks(exportBlocks(document));

    const QString markdown = markdownDocument(blocks, QStringLiteral("out"));
    checkMarkdown(markdown.split(u'\n'));

    const QByteArray notebook = QJsonDocument(notebookDocument(blocks)).toJson();
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(notebook, &error);
    check(error.error == QJsonParseError::NoError);
    for (const QJsonValue cell : parsed.object().value(QLatin1String("cells")).toArray()) {
        if (cell[QLatin1String("cell_type")].toString() != QLatin1String("markdown")) continue;
        QString source;
        for (const QJsonValue line : cell[QLatin1String("source")].toArray())
            source += line.toString();
        checkMarkdown(source.split(u'\n'));
    }

    checkPage(standaloneHtmlDocument(blocks, text.left(20)));
    return 0;
}
