#include "export/export_notebook.h"

#include "export/export_markdown.h"
#include "export/result_html.h"

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

// The table of a result, its message under it unless the message is a failure (an
// error output of its own).
QStringList resultHtml(const ExportBlock &block) {
    QStringList html{QStringLiteral("<div style=\"overflow-x: auto\">")};
    html << resultTableHtml(*block.outcome.result) << QStringLiteral("</div>");
    const QString message = block.outcome.trailer.trimmed();
    if (!message.isEmpty() && !block.outcome.failed())
        html << QStringLiteral("<p>%1</p>").arg(htmlLines(message));
    return html;
}

// A failure's message: a failed message row's text, or what ended a result's fetch.
QStringList errorLines(const ExportBlock &block) {
    if (block.kind == ExportBlock::Kind::result) return valueLines(block.outcome.trailer.trimmed());
    return block.lines;
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
             QJsonObject{
                 // Without them a notebook reader takes the cells for Python.
                 {QStringLiteral("kernelspec"),
                  QJsonObject{{QStringLiteral("name"), QStringLiteral("sql")},
                              {QStringLiteral("display_name"), QStringLiteral("SQL")},
                              {QStringLiteral("language"), QStringLiteral("sql")}}},
                 {QStringLiteral("language_info"),
                  QJsonObject{{QStringLiteral("name"), QStringLiteral("sql")},
                              {QStringLiteral("file_extension"), QStringLiteral(".sql")},
                              {QStringLiteral("mimetype"), QStringLiteral("application/sql")}}}}},
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
        case ExportBlock::Kind::message:
            addOutput(block.outcome.failed() ? errorOutput(block) : streamOutput(block));
            break;
        case ExportBlock::Kind::result:
            addOutput(resultOutput(block));
            if (block.outcome.failed()) addOutput(errorOutput(block));
            break;
        case ExportBlock::Kind::chart:
            if (!block.picture.isNull()) addOutput(pictureOutput(block));
            break;
        case ExportBlock::Kind::picture:
            if (!block.picture.isNull()) addPictureCell(block);
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
        const QString name = QStringLiteral("picture-%1.png").arg(block.pictureNumber);
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
        if (block.outcome.result && !block.outcome.result->columns.empty())
            data.insert(QStringLiteral("text/html"), multiline(resultHtml(block)));
        return QJsonObject{{QStringLiteral("output_type"), QStringLiteral("execute_result")},
                           {QStringLiteral("execution_count"), QJsonValue()},
                           {QStringLiteral("metadata"), QJsonObject()},
                           {QStringLiteral("data"), data}};
    }

    static QJsonObject errorOutput(const ExportBlock &block) {
        const QStringList lines = errorLines(block);
        return QJsonObject{
            {QStringLiteral("output_type"), QStringLiteral("error")},
            {QStringLiteral("ename"), QStringLiteral("Error %1").arg(block.outcome.code)},
            {QStringLiteral("evalue"), lines.join(u'\n').trimmed()},
            {QStringLiteral("traceback"), QJsonArray::fromStringList(lines)}};
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

bool exportNotebook(const QList<ExportBlock> &blocks, const QString &path, QString *error) {
    const QJsonDocument document(notebookDocument(readingBlocks(blocks)));
    return saveWhole(path, document.toJson(QJsonDocument::Indented), error);
}
