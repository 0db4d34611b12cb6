#include "check/snapshot.h"

#include "core/shown_text.h"
#include "database/cli/cli.h"
#include "document/row_model.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <utility>

namespace snapshot {

namespace {

const QString kNull = QStringLiteral("\\N");
const QString kMore = QStringLiteral("(more rows)");
const QString kChart = QStringLiteral("(chart)");
const QString kFailed = QStringLiteral("failed: ");

QString oneKindOfBreak(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

// Trailing blanks are invisible in review and editors drop them, so they never count.
QStringList messageLines(const QString &text) {
    static const QRegularExpression timing(QStringLiteral("\\s*\\(\\d+(\\.\\d+)?s\\)$"));
    QStringList lines = oneKindOfBreak(text).split(u'\n');
    for (QString &line : lines) {
        line.remove(timing);
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.constFirst().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

QString sqlStateIn(const QStringList &message) {
    static const QRegularExpression state(QStringLiteral("SQLSTATE=([0-9A-Z]{5})"));
    const QRegularExpressionMatch match = state.match(message.join(u' '));
    return match.hasMatch() ? match.captured(1) : QString();
}

bool isApproximate(int type) {
    return type == cli::kTypeFloat || type == cli::kTypeReal || type == cli::kTypeDouble;
}

Output outputOf(const DocumentRow &row) {
    Output output;
    output.code = row.outcome.code;
    if (row.kind == RowKind::chart) {
        output.kind = Output::Kind::chart;
        return output;
    }
    if (row.kind == RowKind::result && row.outcome.result) {
        const ResultSet &result = *row.outcome.result;
        output.kind = Output::Kind::result;
        for (const ResultColumn &column : result.columns) {
            output.columns << column.name;
            output.approximate.push_back(isApproximate(column.type));
        }
        output.rows = result.rows;
        output.more = result.more;
        output.message = messageLines(row.outcome.trailer);
    } else {
        output.message = messageLines(row.text);
    }
    if (output.failed()) output.sqlState = sqlStateIn(output.message);
    return output;
}

// A character of a value and the letter after the backslash that stands for it.
constexpr std::array<std::pair<char16_t, char16_t>, 4> kEscapes{
    {{u'\\', u'\\'}, {u'\t', u't'}, {u'\n', u'n'}, {u'\r', u'r'}}};

QString escaped(const ResultValue &value) {
    if (!value) return kNull;
    QString out;
    out.reserve(value->size());
    for (const QChar c : *value) {
        const auto *escape = std::find_if(kEscapes.begin(), kEscapes.end(),
                                          [c](const auto &e) { return e.first == c.unicode(); });
        if (escape == kEscapes.end()) {
            out += c;
        } else {
            out += u'\\';
            out += QChar(escape->second);
        }
    }
    return out;
}

bool unescaped(const QString &text, ResultValue *value) {
    if (text == kNull) {
        *value = std::nullopt;
        return true;
    }
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'\\') {
            out += text.at(i);
            continue;
        }
        if (++i == text.size()) return false;
        const char16_t letter = text.at(i).unicode();
        const auto *escape = std::find_if(kEscapes.begin(), kEscapes.end(),
                                          [letter](const auto &e) { return e.second == letter; });
        if (escape == kEscapes.end()) return false;
        out += QChar(escape->first);
    }
    *value = out;
    return true;
}

QString fenceFor(const QStringList &lines) {
    qsizetype longest = 0;
    for (const QString &line : lines) {
        qsizetype run = 0;
        while (run < line.size() && line.at(run) == u'`')
            ++run;
        longest = std::max(longest, run);
    }
    return QString(std::max<qsizetype>(3, longest + 1), u'`');
}

void addFenced(QStringList &out, const QString &info, const QStringList &lines) {
    const QString fence = fenceFor(lines);
    out << fence + info;
    out += lines;
    out << fence;
}

QString headerLine(const QString &script) {
    return QStringLiteral("<!-- pavona snapshot %1 of %2: pavona --run %2 --check --update "
                          "rewrites it -->")
        .arg(kVersion)
        .arg(script);
}

// Reads the file a line at a time, knowing where it is for its messages.
class Reader {
public:
    explicit Reader(const QByteArray &text) : lines_(QString::fromUtf8(text).split(u'\n')) {
        if (!lines_.isEmpty() && lines_.constLast().isEmpty()) lines_.removeLast();
    }
    bool atEnd() const { return at_ >= lines_.size(); }
    const QString &peek() const { return lines_.at(at_); }
    QString next() { return lines_.at(at_++); }
    int lineNumber() const { return static_cast<int>(at_) + 1; }
    void skipBlank() {
        while (!atEnd() && peek().isEmpty())
            ++at_;
    }
    bool fail(const QString &why) {
        error_ = QStringLiteral("line %1: %2").arg(std::min(at_, lines_.size()) + 1).arg(why);
        return false;
    }
    QString error() const { return error_; }

    // A fenced block with the given info word; at the opening fence.
    bool fenced(const QString &info, QStringList *content) {
        const QString open = peek();
        const qsizetype ticks = open.indexOf(QRegularExpression(QStringLiteral("[^`]")));
        if (ticks < 3 || open.mid(ticks) != info)
            return fail(QStringLiteral("expected a ```%1 block").arg(info));
        const QString fence = open.left(ticks);
        ++at_;
        while (!atEnd()) {
            const QString line = next();
            if (line == fence) return true;
            *content << line;
        }
        return fail(QStringLiteral("the ```%1 block is not closed").arg(info));
    }
    bool startsFence(const QString &info) const {
        if (atEnd()) return false;
        static const QRegularExpression fence(QStringLiteral("^`{3,}"));
        const QRegularExpressionMatch match = fence.match(peek());
        return match.hasMatch() && peek().mid(match.capturedLength()) == info;
    }

private:
    QStringList lines_;
    qsizetype at_ = 0;
    QString error_;
};

bool readResult(Reader &reader, Output *output) {
    const int start = reader.lineNumber();
    QStringList lines;
    if (!reader.fenced(QStringLiteral("result"), &lines)) return false;
    if (lines.isEmpty())
        return reader.fail(
            QStringLiteral("the result block at line %1 has no column names").arg(start));
    output->kind = Output::Kind::result;
    for (const QString &name : lines.takeFirst().split(u'\t')) {
        ResultValue column;
        if (!unescaped(name, &column) || !column)
            return reader.fail(QStringLiteral("the column names at line %1 are not escaped as "
                                              "a snapshot writes them")
                                   .arg(start + 1));
        output->columns << *column;
    }
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split(u'\t');
        if (fields.size() != output->columns.size())
            return reader.fail(QStringLiteral("row at line %1 has %2 value(s) for %3 column(s)")
                                   .arg(start + 2 + i)
                                   .arg(fields.size())
                                   .arg(output->columns.size()));
        std::vector<ResultValue> row(fields.size());
        for (int c = 0; c < fields.size(); ++c)
            if (!unescaped(fields.at(c), &row[c]))
                return reader.fail(
                    QStringLiteral("row at line %1 has a backslash that is not \\\\, \\t, \\n, "
                                   "\\r or \\N")
                        .arg(start + 2 + i));
        output->rows.push_back(std::move(row));
    }
    return true;
}

// One output: a block of non-blank lines.
bool readOutput(Reader &reader, Output *output) {
    if (reader.peek() == kChart) {
        reader.next();
        output->kind = Output::Kind::chart;
        return true;
    }
    if (reader.peek().startsWith(kFailed)) {
        const QStringList words = reader.next().mid(kFailed.size()).split(u' ');
        bool number = false;
        output->code = words.constFirst().toInt(&number);
        if (!number || output->code == 0 || words.size() > 2)
            return reader.fail(QStringLiteral("'failed:' takes a code other than 0 and a "
                                              "SQLSTATE"));
        if (words.size() == 2) output->sqlState = words.at(1);
    }
    if (reader.startsFence(QStringLiteral("result"))) {
        if (!readResult(reader, output)) return false;
        if (!reader.atEnd() && reader.peek() == kMore) {
            reader.next();
            output->more = true;
        }
    }
    while (!reader.atEnd() && reader.peek().startsWith(u'>')) {
        const QString line = reader.next();
        output->message << (line.startsWith(QLatin1String("> ")) ? line.mid(2) : line.mid(1));
    }
    if (!reader.atEnd() && !reader.peek().isEmpty())
        return reader.fail(QStringLiteral("unexpected '%1'").arg(reader.peek().left(40)));
    if (output->kind == Output::Kind::message && output->message.isEmpty() && !output->failed())
        return reader.fail(QStringLiteral("an empty output"));
    return true;
}

bool readStatement(Reader &reader, Statement *statement) {
    static const QRegularExpression heading(QStringLiteral("^## (\\d+)\\. "));
    const QRegularExpressionMatch match = heading.match(reader.peek());
    if (!match.hasMatch())
        return reader.fail(QStringLiteral("expected a statement heading '## N. ...'"));
    statement->number = match.captured(1).toInt();
    reader.next();
    reader.skipBlank();
    QStringList lines;
    if (reader.atEnd() || !reader.fenced(QStringLiteral("sql"), &lines))
        return reader.fail(QStringLiteral("expected the statement in a ```sql block"));
    statement->written = lines.join(u'\n');
    statement->ran = statement->written;
    reader.skipBlank();
    if (reader.startsFence(QStringLiteral("ran"))) {
        lines.clear();
        if (!reader.fenced(QStringLiteral("ran"), &lines)) return false;
        statement->ran = lines.join(u'\n');
        reader.skipBlank();
    }
    while (!reader.atEnd() && !reader.peek().startsWith(QLatin1String("## "))) {
        Output output;
        if (!readOutput(reader, &output)) return false;
        statement->outputs.push_back(std::move(output));
        reader.skipBlank();
    }
    return true;
}

using FolderPatterns = std::vector<std::pair<QRegularExpression, QString>>;

// A folder's path where it stands whole: not where it begins a longer name (/tmp/work in
// /tmp/work2). Longer paths first, so a folder inside another keeps its own name.
FolderPatterns folderPatterns(std::vector<Folder> folders) {
    FolderPatterns patterns;
    for (Folder &folder : folders)
        while (folder.path.size() > 1 && folder.path.endsWith(u'/'))
            folder.path.chop(1);
    std::sort(folders.begin(), folders.end(),
              [](const Folder &a, const Folder &b) { return a.path.size() > b.path.size(); });
    for (const Folder &folder : folders)
        if (folder.path.size() > 1)
            patterns.emplace_back(QRegularExpression(QRegularExpression::escape(folder.path) +
                                                     QStringLiteral("(?![\\w-]|\\.\\w)")),
                                  folder.name);
    return patterns;
}

void nameFolders(Statement &statement, const FolderPatterns &patterns) {
    const auto name = [&patterns](QString &text) {
        for (const auto &[pattern, folderName] : patterns)
            text.replace(pattern, folderName);
    };
    name(statement.ran);
    for (Output &output : statement.outputs) {
        for (QString &line : output.message)
            name(line);
        for (std::vector<ResultValue> &row : output.rows)
            for (ResultValue &value : row)
                if (value) name(*value);
    }
}

Statement statementAt(const DocumentModel &document, size_t r, const FolderPatterns &patterns) {
    const DocumentRow &row = document[r];
    Statement statement;
    statement.number = row.outcome.number;
    statement.written = writtenOf(row);
    statement.ran = messageLines(row.outcome.ran).join(u'\n');
    for (size_t o = r + 1; o < document.size(); ++o) {
        if (!traitsOf(document[o].kind).output) break;
        Output output = outputOf(document[o]);
        // A message row with nothing in it shows nothing, and reads back as nothing.
        if (output.kind == Output::Kind::message && output.message.isEmpty() && !output.failed())
            continue;
        statement.outputs.push_back(std::move(output));
    }
    nameFolders(statement, patterns);
    return statement;
}

} // namespace

QString resultLine(const std::vector<ResultValue> &values) {
    QStringList fields;
    for (const ResultValue &value : values)
        fields << escaped(value);
    return fields.join(u'\t');
}

QString firstLine(const QString &statement) {
    // A dump's statement often opens with comment lines; the code names it better.
    QString comment;
    for (const QString &line : oneKindOfBreak(statement).split(u'\n')) {
        const QString text = line.trimmed();
        if (text.isEmpty()) continue;
        if (!text.startsWith(QLatin1String("--"))) return text;
        if (comment.isEmpty()) comment = text;
    }
    return comment;
}

QString pathFor(const QString &scriptPath) {
    return scriptPath + QStringLiteral(".out.md");
}

QString writtenOf(const DocumentRow &row) {
    return messageLines(withPasswordsMasked(row.text)).join(u'\n');
}

Statement statementAt(const DocumentModel &document, size_t row,
                      const std::vector<Folder> &folders) {
    return statementAt(document, row, folderPatterns(folders));
}

Snapshot fromDocument(const DocumentModel &document, const QString &scriptName,
                      const std::vector<Folder> &folders) {
    const auto patterns = folderPatterns(folders);
    Snapshot snapshot;
    snapshot.script = scriptName;
    for (size_t r = 0; r < document.size(); ++r)
        if (document[r].kind == RowKind::sql && document[r].outcome.number != 0)
            snapshot.statements.push_back(statementAt(document, r, patterns));
    return snapshot;
}

QByteArray toText(const Snapshot &snapshot) {
    QStringList out{headerLine(snapshot.script)};
    for (const Statement &statement : snapshot.statements) {
        out << QString()
            << QStringLiteral("## %1. %2").arg(statement.number).arg(firstLine(statement.written));
        out << QString();
        addFenced(out, QStringLiteral("sql"), statement.written.split(u'\n'));
        if (statement.ran != statement.written)
            addFenced(out, QStringLiteral("ran"), statement.ran.split(u'\n'));
        for (const Output &output : statement.outputs) {
            out << QString();
            if (output.kind == Output::Kind::chart) {
                out << kChart;
                continue;
            }
            if (output.failed())
                out << (kFailed + QString::number(output.code) +
                        (output.sqlState.isEmpty() ? QString() : u' ' + output.sqlState));
            if (output.kind == Output::Kind::result) {
                QStringList lines{resultLine({output.columns.cbegin(), output.columns.cend()})};
                for (const std::vector<ResultValue> &row : output.rows)
                    lines << resultLine(row);
                addFenced(out, QStringLiteral("result"), lines);
                if (output.more) out << kMore;
            }
            for (const QString &line : output.message)
                out << (line.isEmpty() ? QStringLiteral(">") : QStringLiteral("> ") + line);
        }
    }
    return (out.join(u'\n') + u'\n').toUtf8();
}

bool fromText(const QByteArray &text, Snapshot *snapshot, QString *error) {
    static const QRegularExpression header(
        QStringLiteral("^<!-- pavona snapshot (\\d+) of (.+): pavona --run .* -->$"));
    Reader reader(text);
    const auto failed = [&](const QString &why) {
        *error = why;
        return false;
    };
    if (reader.atEnd()) return failed(QStringLiteral("it is empty"));
    const QRegularExpressionMatch match = header.match(reader.peek());
    if (!match.hasMatch())
        return failed(QStringLiteral("line 1 is not a Pavona snapshot's first line"));
    if (match.captured(1).toInt() != kVersion)
        return failed(QStringLiteral("it was written by a snapshot version %1, this Pavona "
                                     "reads version %2")
                          .arg(match.captured(1))
                          .arg(kVersion));
    *snapshot = Snapshot{};
    snapshot->script = match.captured(2);
    reader.next();
    reader.skipBlank();
    while (!reader.atEnd()) {
        Statement statement;
        if (!readStatement(reader, &statement)) return failed(reader.error());
        snapshot->statements.push_back(std::move(statement));
    }
    return true;
}

} // namespace snapshot
