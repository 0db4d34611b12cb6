#include "export/export_csv.h"

#include "core/text_files.h"
#include "export/export_blocks.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace {

QString csvField(const QString &text) {
    static const QString special = QStringLiteral(",\"\r\n");
    const bool quoted =
        std::any_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); });
    if (!quoted) return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString csvValue(const ResultValue &value) {
    if (!value) return {};
    return value->isEmpty() ? QStringLiteral("\"\"") : csvField(*value);
}

QString numbered(const char *prefix, int number) {
    return QStringLiteral("%1-%2").arg(QLatin1String(prefix)).arg(number, 3, 10, QLatin1Char('0'));
}

bool failWith(QString *error, const QString &reason) {
    if (error) *error = reason;
    return false;
}

} // namespace

QByteArray csvBytes(const ResultSet &result) {
    QStringList lines;
    QStringList header;
    for (const ResultColumn &column : result.columns)
        header << csvField(column.name);
    lines << header.join(u',');
    for (const std::vector<ResultValue> &row : result.rows) {
        QStringList fields;
        for (const ResultValue &value : row)
            fields << csvValue(value);
        lines << fields.join(u',');
    }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

bool exportCsvFiles(const DocumentModel &document, const QString &folder, QStringList *written,
                    QString *error) {
    if (folder.isEmpty())
        return failWith(error, QStringLiteral("no folder given for the CSV files"));
    const QFileInfo place(folder);
    if (place.exists() && !place.isDir())
        return failWith(error, QStringLiteral("'%1' is not a folder").arg(folder));
    if (!place.exists() && !QDir().mkpath(folder))
        return failWith(error, QStringLiteral("cannot create folder '%1'").arg(folder));

    int statementNumber = 0;
    int results = 0;
    QSet<QString> names;
    for (const ExportBlock &block : exportBlocks(document)) {
        if (block.kind == ExportBlock::Kind::statement) statementNumber = block.outcome.number;
        if (block.kind != ExportBlock::Kind::result || !block.outcome.result) continue;
        ++results;
        const QString base = statementNumber > 0 ? numbered("statement", statementNumber)
                                                 : numbered("result", results);
        QString name = base;
        for (int again = 2; names.contains(name); ++again)
            name = base + u'-' + QString::number(again);
        names.insert(name);
        const QString path = QDir(folder).filePath(name + QStringLiteral(".csv"));
        // The names are the export's own: a pipe there would hold the run until read.
        QString reason = notRegularFile(path);
        if (!reason.isEmpty() || !saveWhole(path, csvBytes(*block.outcome.result), &reason))
            return failWith(error, QStringLiteral("cannot write '%1': %2").arg(path, reason));
        if (written) *written << path;
    }
    if (error) error->clear();
    return true;
}
