#include "export/export_json.h"

#include "database/cli/cli.h"

#include <QByteArrayList>
#include <QRegularExpression>
#include <array>

namespace {

QByteArray jsonString(const QString &text) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            out += u'\\';
            out += c;
        } else if (u == u'\n') {
            out += QLatin1String("\\n");
        } else if (u == u'\r') {
            out += QLatin1String("\\r");
        } else if (u == u'\t') {
            out += QLatin1String("\\t");
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (u < 0x20 || c.isSurrogate()) {
            // A lone surrogate has no UTF-8 form; escaped, it is kept as it was.
            out += QStringLiteral("\\u%1").arg(static_cast<unsigned>(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += u'"';
    return out.toUtf8();
}

QByteArray jsonText(const QString &text) {
    return jsonString(valueLines(text).join(u'\n'));
}

QByteArray jsonNullable(const QString &text) {
    return text.isEmpty() ? QByteArray("null") : jsonText(text);
}

QByteArray jsonBool(bool value) {
    return value ? QByteArray("true") : QByteArray("false");
}

QByteArray jsonInt(int value) {
    return QByteArray::number(value);
}

// JSON's own number syntax: what it accepts is written as it is, digit for digit.
bool isJsonNumber(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][+-]?[0-9]+)?$"));
    return number.match(text).hasMatch();
}

QByteArray jsonValue(const ResultValue &value, bool numeric) {
    if (!value) return QByteArrayLiteral("null");
    const QString trimmed = value->trimmed();
    if (numeric && isJsonNumber(trimmed)) return trimmed.toLatin1();
    return jsonString(*value);
}

const char *typeWord(int type) {
    switch (type) {
    case cli::kTypeSmallint:
    case cli::kTypeInteger:
    case cli::kTypeBigint:
        return "integer";
    case cli::kTypeNumeric:
    case cli::kTypeDecimal:
        return "decimal";
    case cli::kTypeDecfloat:
        return "decfloat";
    case cli::kTypeFloat:
    case cli::kTypeReal:
    case cli::kTypeDouble:
        return "float";
    case cli::kTypeChar:
    case cli::kTypeVarchar:
        return "text";
    case cli::kTypeDate:
        return "date";
    case cli::kTypeTime:
        return "time";
    case cli::kTypeTimestamp:
        return "timestamp";
    case cli::kTypeXml:
        return "xml";
    case cli::kTypeBlob:
        return "blob";
    case cli::kTypeClob:
        return "clob";
    default:
        return "other";
    }
}

// An object's members in the order they are added.
class Members {
public:
    Members &add(const char *key, const QByteArray &value) {
        members_ << jsonString(QLatin1String(key)) + ": " + value;
        return *this;
    }
    QByteArray object() const { return '{' + members_.join(", ") + '}'; }

private:
    QByteArrayList members_;
};

QByteArray columnsJson(const ResultSet &result) {
    QByteArrayList columns;
    for (const ResultColumn &column : result.columns)
        columns << Members()
                       .add("name", jsonString(column.name))
                       .add("type", jsonString(QLatin1String(typeWord(column.type))))
                       .add("size", jsonInt(column.size))
                       .add("decimals", jsonInt(column.decimals))
                       .object();
    return '[' + columns.join(", ") + ']';
}

QByteArray rowsJson(const ResultSet &result) {
    QByteArrayList rows;
    for (const std::vector<ResultValue> &row : result.rows) {
        QByteArrayList values;
        for (size_t c = 0; c < row.size(); ++c)
            values << jsonValue(row[c], result.isNumeric(static_cast<int>(c)));
        rows << '[' + values.join(", ") + ']';
    }
    return '[' + rows.join(", ") + ']';
}

const char *kindWord(ExportBlock::Kind kind) {
    // In the order of ExportBlock::Kind.
    static constexpr std::array words{"heading", "link",   "prose", "statement", "example",
                                      "message", "result", "chart", "picture"};
    return words.at(static_cast<size_t>(kind));
}

QByteArray rowJson(const ExportBlock &block) {
    Members row;
    row.add("kind", jsonString(QLatin1String(kindWord(block.kind))));
    const RowOutcome &outcome = block.outcome;
    switch (block.kind) {
    case ExportBlock::Kind::heading:
        row.add("text", jsonText(block.text))
            .add("level", jsonInt(block.level))
            .add("anchor", jsonNullable(block.anchor));
        break;
    case ExportBlock::Kind::link:
        row.add("text", jsonText(block.text)).add("anchor", jsonText(block.anchor));
        break;
    case ExportBlock::Kind::statement:
        row.add("text", jsonText(block.written))
            .add("ran", jsonNullable(outcome.ran))
            .add("number", outcome.number > 0 ? jsonInt(outcome.number) : "null");
        break;
    case ExportBlock::Kind::message:
    case ExportBlock::Kind::result:
        row.add("text", jsonString(block.lines.join(u'\n')))
            .add("code", jsonInt(outcome.code))
            .add("failed", jsonBool(outcome.failed()));
        if (outcome.result)
            row.add("columns", columnsJson(*outcome.result))
                .add("rows", rowsJson(*outcome.result))
                .add("more", jsonBool(outcome.result->more))
                .add("message", jsonText(outcome.trailer.trimmed()));
        break;
    case ExportBlock::Kind::chart:
        row.add("text", "null").add("number", jsonInt(block.pictureNumber));
        break;
    case ExportBlock::Kind::picture:
        row.add("text", jsonText(block.text)).add("number", jsonInt(block.pictureNumber));
        break;
    case ExportBlock::Kind::prose:
    case ExportBlock::Kind::example:
        row.add("text", jsonString(block.lines.join(u'\n')));
        break;
    }
    return row.object();
}

} // namespace

QByteArray jsonDocument(const QList<ExportBlock> &blocks) {
    QByteArrayList rows;
    for (const ExportBlock &block : blocks)
        rows << "    " + rowJson(block);
    const QByteArray list = rows.isEmpty() ? "[]" : "[\n" + rows.join(",\n") + "\n  ]";
    return "{\n  \"format\": \"pavona-document\",\n  \"version\": 1,\n  \"rows\": " + list +
           "\n}\n";
}

bool exportJson(const QList<ExportBlock> &blocks, const QString &path, QString *error) {
    return saveWhole(path, jsonDocument(blocks), error);
}
