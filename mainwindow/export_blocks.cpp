#include "mainwindow/export_blocks.h"

#include "document/grid.h"
#include "document/row_model.h"
#include "document/script_text.h"
#include "engine/file_writer.h"
#include "engine/variables.h"

#include <QBuffer>
#include <QRegularExpression>
#include <algorithm>
#include <utility>

namespace {

const QString kCommandCompleted = QStringLiteral("Command completed.");

QStringList splitLines(const QString &text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

// Blank lines around a block carry no meaning in these formats.
QStringList trimmedBlock(QStringList lines) {
    while (!lines.isEmpty() && lines.constFirst().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

// The prose rules of the HTML page: an empty line ends a paragraph or a list, a line
// starting "-" is a bullet, other lines after a bullet start a paragraph again.
QList<ProsePart> proseParts(const QStringList &lines) {
    QList<ProsePart> parts;
    bool open = false;
    for (const QString &line : lines) {
        const QString s = line.trimmed();
        if (s.isEmpty()) {
            open = false;
            continue;
        }
        const bool bullet = s.startsWith(u'-');
        if (!open || parts.constLast().bullets != bullet) {
            parts.append(ProsePart{bullet, {}});
            open = true;
        }
        parts.last().lines << (bullet ? s.mid(1).trimmed() : s);
    }
    return parts;
}

QImage rowPicture(Grid *grid, int row) {
    const int keptRow = grid->row();
    const int keptCol = grid->col();
    grid->setRow(row);
    grid->setCol(ScriptRow::textCol);
    const QPixmap picture = grid->cellPicture();
    grid->setRow(keptRow);
    grid->setCol(keptCol);
    return picture.toImage();
}

class BlockReader {
public:
    explicit BlockReader(Grid *grid) : grid_(grid) {}

    QList<ExportBlock> readAll() {
        for (int row = 0; row < grid_->rows(); ++row)
            readRow(row);
        return blocks_;
    }

private:
    QString cell(int row, int col) const { return grid_->textMatrix(row, col); }

    void readRow(int row) {
        const int kind = cell(row, ScriptRow::kindCol).trimmed().toInt();
        ExportBlock block;
        switch (kind) {
        case RowKind::comment:
            block.kind = ExportBlock::Kind::prose;
            block.prose =
                proseParts(splitLines(ScriptText::removeCarets(cell(row, ScriptRow::rawCol))));
            if (block.prose.isEmpty()) return;
            break;
        case 2:
        case RowKind::sql:
            block.kind = ExportBlock::Kind::statement;
            for (const QString &line : splitLines(cell(row, ScriptRow::textCol)))
                block.lines << var_sub(line, false);
            block.lines = trimmedBlock(block.lines);
            break;
        case RowKind::example:
            block.kind = ExportBlock::Kind::example;
            block.lines = trimmedBlock(splitLines(cell(row, ScriptRow::textCol)));
            break;
        case RowKind::message:
        case RowKind::result: {
            const QStringList lines = splitLines(cell(row, ScriptRow::textCol));
            if (lines.value(0).contains(kCommandCompleted)) return;
            block.kind = ExportBlock::Kind::output;
            block.result = kind == RowKind::result;
            for (const QString &line : lines)
                block.lines << QString(line).remove(u'\n');
            block.lines = trimmedBlock(block.lines);
            if (block.lines.isEmpty()) return;
            break;
        }
        case RowKind::chart:
        case RowKind::image:
            block.kind = ExportBlock::Kind::picture;
            block.chart = kind == RowKind::chart;
            block.number = ++pictures_;
            block.picture = rowPicture(grid_, row);
            break;
        case RowKind::heading:
            if (!readHeading(row, &block)) return;
            break;
        default:
            return;
        }
        if (block.kind == ExportBlock::Kind::prose && !blocks_.isEmpty() &&
            blocks_.constLast().kind == ExportBlock::Kind::prose)
            joinProse(blocks_.last(), block.prose);
        else
            blocks_.append(block);
    }

    // Script View gives each paragraph and bullet a row of its own; a list is one list.
    static void joinProse(ExportBlock &into, const QList<ProsePart> &parts) {
        for (const ProsePart &part : parts) {
            if (part.bullets && into.prose.constLast().bullets)
                into.prose.last().lines << part.lines;
            else
                into.prose << part;
        }
    }

    bool readHeading(int row, ExportBlock *block) const {
        block->level = cell(row, ScriptRow::tagCol).trimmed().toInt();
        block->anchor = cell(row, ScriptRow::rawCol).trimmed().toUpper();
        block->text = splitLines(cell(row, ScriptRow::textCol)).value(0).trimmed();
        if (block->level == 0) {
            block->kind = ExportBlock::Kind::link;
            return !block->anchor.isEmpty();
        }
        block->kind = ExportBlock::Kind::heading;
        block->level = std::clamp(block->level, 1, 4);
        return true;
    }

    Grid *grid_;
    QList<ExportBlock> blocks_;
    int pictures_ = 0;
};

// Column spans from a separator line such as "---- ----- --".
QList<std::pair<qsizetype, qsizetype>> columnSpans(const QString &separator) {
    QList<std::pair<qsizetype, qsizetype>> spans;
    qsizetype at = 0;
    while (at < separator.size()) {
        if (separator.at(at) != u'-') {
            ++at;
            continue;
        }
        const qsizetype start = at;
        while (at < separator.size() && separator.at(at) == u'-')
            ++at;
        spans.append({start, at - start});
    }
    return spans;
}

QStringList cutColumns(const QString &line, const QList<std::pair<qsizetype, qsizetype>> &spans) {
    QStringList cells;
    for (qsizetype i = 0; i < spans.size(); ++i) {
        const auto [start, width] = spans.at(i);
        // The last column takes the rest of a line cut with "...".
        const qsizetype length = i + 1 == spans.size() ? -1 : width;
        cells << line.mid(start, length).trimmed();
    }
    return cells;
}

} // namespace

QList<ExportBlock> exportBlocks(Grid *grid) {
    return BlockReader(grid).readAll();
}

QString pictureCaption(const ExportBlock &block) {
    return (block.chart ? QStringLiteral("Chart ") : QStringLiteral("Picture ")) +
           QString::number(block.number);
}

bool parseResultTable(const QStringList &lines, ResultTable *table) {
    static const QRegularExpression separatorLine(QStringLiteral("^-+( -+)*$"));
    if (lines.size() < 2 || !separatorLine.match(lines.at(1)).hasMatch()) return false;
    const auto spans = columnSpans(lines.at(1));
    table->header = cutColumns(lines.at(0), spans);
    qsizetype at = 2;
    for (; at < lines.size() && !lines.at(at).trimmed().isEmpty(); ++at)
        table->rows << cutColumns(lines.at(at), spans);
    for (; at < lines.size(); ++at)
        if (!lines.at(at).trimmed().isEmpty()) table->trailer << lines.at(at).trimmed();
    return true;
}

QString pngPictureName(const QString &baseName, int number) {
    return baseName + u'-' + QString::number(number) + QStringLiteral(".png");
}

QByteArray pngBytes(const QImage &picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

bool saveWhole(const QString &path, const QByteArray &data, QString *error) {
    const QString failure = writeWholeFile(path, data);
    if (error) *error = failure;
    return failure.isEmpty();
}
