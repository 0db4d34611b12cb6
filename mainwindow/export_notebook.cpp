#include "mainwindow/export_notebook.h"

#include "mainwindow/export_markdown.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <utility>

namespace {

// Notebook text: a list of lines, each but the last ending in a line feed.
QJsonArray multiline(const QStringList &lines) {
    QJsonArray out;
    for (qsizetype i = 0; i < lines.size(); ++i)
        out.append(i + 1 < lines.size() ? lines.at(i) + u'\n' : lines.at(i));
    return out;
}

QString escaped(const QString &text) {
    return text.toHtmlEscaped();
}

QStringList tableHtml(const ResultTable &table) {
    QStringList html{QStringLiteral("<table>"), QStringLiteral("<thead><tr>")};
    for (const QString &name : table.header)
        html << QStringLiteral("<th>%1</th>").arg(escaped(name));
    html << QStringLiteral("</tr></thead>") << QStringLiteral("<tbody>");
    for (const QStringList &row : table.rows) {
        QString line = QStringLiteral("<tr>");
        for (const QString &value : row)
            line += QStringLiteral("<td>%1</td>").arg(escaped(value));
        html << line + QStringLiteral("</tr>");
    }
    html << QStringLiteral("</tbody>") << QStringLiteral("</table>");
    for (const QString &line : table.trailer)
        html << QStringLiteral("<p>%1</p>").arg(escaped(line));
    return html;
}

class NotebookWriter {
public:
    QJsonObject write(const QList<ExportBlock> &blocks) {
        for (const ExportBlock &block : blocks)
            add(block);
        finishCode();
        return QJsonObject{
            {QStringLiteral("nbformat"), 4},
            {QStringLiteral("nbformat_minor"), 5},
            {QStringLiteral("metadata"),
             QJsonObject{{QStringLiteral("language_info"),
                          QJsonObject{{QStringLiteral("name"), QStringLiteral("sql")}}}}},
            {QStringLiteral("cells"), cells_},
        };
    }

private:
    void add(const ExportBlock &block) {
        switch (block.kind) {
        case ExportBlock::Kind::statement:
            finishCode();
            code_ = QJsonObject{{QStringLiteral("source"), multiline(block.lines)}};
            break;
        case ExportBlock::Kind::output:
            addOutput(block.result ? resultOutput(block) : streamOutput(block));
            break;
        case ExportBlock::Kind::picture:
            if (block.picture.isNull()) break;
            if (block.chart)
                addOutput(pictureOutput(block));
            else
                addPictureCell(block);
            break;
        default:
            finishCode();
            addCell(QStringLiteral("markdown"), multiline(markdownLines(block)));
            break;
        }
    }

    // Outputs belong to the statement above them; one without a statement gets an
    // empty code cell.
    void addOutput(const QJsonObject &output) {
        if (code_.isEmpty()) code_ = QJsonObject{{QStringLiteral("source"), QJsonArray()}};
        outputs_.append(output);
    }

    void finishCode() {
        if (code_.isEmpty()) return;
        // Only a statement that left an output has been run.
        const QJsonValue count = outputs_.isEmpty() ? QJsonValue() : QJsonValue(++executed_);
        QJsonArray outputs;
        for (QJsonValue output : std::as_const(outputs_)) {
            QJsonObject object = output.toObject();
            if (object.value(QStringLiteral("output_type")).toString() ==
                QLatin1String("execute_result"))
                object.insert(QStringLiteral("execution_count"), count);
            outputs.append(object);
        }
        QJsonObject cell = newCell(QStringLiteral("code"), code_.value(QStringLiteral("source")));
        cell.insert(QStringLiteral("execution_count"), count);
        cell.insert(QStringLiteral("outputs"), outputs);
        cell.insert(
            QStringLiteral("metadata"),
            QJsonObject{{QStringLiteral("language"), QStringLiteral("sql")},
                        {QStringLiteral("vscode"),
                         QJsonObject{{QStringLiteral("languageId"), QStringLiteral("sql")}}}});
        cells_.append(cell);
        code_ = {};
        outputs_ = {};
    }

    QJsonObject newCell(const QString &type, const QJsonValue &source) {
        return QJsonObject{
            {QStringLiteral("cell_type"), type},
            {QStringLiteral("id"), QStringLiteral("cell-%1").arg(++cellNumber_)},
            {QStringLiteral("metadata"), QJsonObject()},
            {QStringLiteral("source"), source},
        };
    }

    void addCell(const QString &type, const QJsonArray &source) {
        cells_.append(newCell(type, source));
    }

    void addPictureCell(const ExportBlock &block) {
        finishCode();
        const QString name = QStringLiteral("picture-%1.png").arg(block.number);
        QJsonObject cell = newCell(
            QStringLiteral("markdown"),
            QJsonArray{QStringLiteral("![%1](attachment:%2)").arg(pictureCaption(block), name)});
        cell.insert(
            QStringLiteral("attachments"),
            QJsonObject{{name, QJsonObject{{QStringLiteral("image/png"), base64Png(block)}}}});
        cells_.append(cell);
    }

    static QString base64Png(const ExportBlock &block) {
        return QString::fromLatin1(pngBytes(block.picture).toBase64());
    }

    static QJsonObject streamOutput(const ExportBlock &block) {
        return QJsonObject{
            {QStringLiteral("output_type"), QStringLiteral("stream")},
            {QStringLiteral("name"), QStringLiteral("stdout")},
            {QStringLiteral("text"), multiline(block.lines + QStringList{QString()})}};
    }

    static QJsonObject resultOutput(const ExportBlock &block) {
        QJsonObject data{{QStringLiteral("text/plain"), multiline(block.lines)}};
        ResultTable table;
        if (parseResultTable(block.lines, &table))
            data.insert(QStringLiteral("text/html"), multiline(tableHtml(table)));
        return QJsonObject{{QStringLiteral("output_type"), QStringLiteral("execute_result")},
                           {QStringLiteral("execution_count"), QJsonValue()},
                           {QStringLiteral("metadata"), QJsonObject()},
                           {QStringLiteral("data"), data}};
    }

    static QJsonObject pictureOutput(const ExportBlock &block) {
        return QJsonObject{
            {QStringLiteral("output_type"), QStringLiteral("display_data")},
            {QStringLiteral("metadata"), QJsonObject()},
            {QStringLiteral("data"),
             QJsonObject{{QStringLiteral("image/png"), base64Png(block)},
                         {QStringLiteral("text/plain"), QJsonArray{pictureCaption(block)}}}}};
    }

    QJsonArray cells_;
    QJsonObject code_;
    QJsonArray outputs_;
    int cellNumber_ = 0;
    int executed_ = 0;
};

} // namespace

QJsonObject notebookDocument(const QList<ExportBlock> &blocks) {
    return NotebookWriter().write(blocks);
}

bool exportNotebook(Grid *grid, const QString &path, QString *error) {
    const QJsonDocument document(notebookDocument(exportBlocks(grid)));
    return saveWhole(path, document.toJson(QJsonDocument::Indented), error);
}
