#include "export/export_blocks.h"

#include "core/file_writer.h"
#include "core/shown_text.h"
#include "document/script_text.h"

#include <QBuffer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace {

const QString kCommandCompleted = QStringLiteral("Command completed.");

QStringList splitLines(const QString &text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

// Blank lines around a block carry no meaning in a document to read.
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

// Script View gives each paragraph and bullet a row of its own; a list is one list.
void joinProse(ExportBlock &into, const QList<ProsePart> &parts) {
    for (const ProsePart &part : parts) {
        if (part.bullets && into.prose.constLast().bullets)
            into.prose.last().lines << part.lines;
        else
            into.prose << part;
    }
}

void readHeading(const DocumentRow &row, ExportBlock *block) {
    block->level = row.tag.trimmed().toInt();
    block->anchor = row.raw.trimmed().toUpper();
    block->text = splitLines(row.text).value(0).trimmed();
    block->kind = block->level == 0 ? ExportBlock::Kind::link : ExportBlock::Kind::heading;
    if (block->level != 0) block->level = std::clamp(block->level, 1, 4);
}

// False for a row no export shows (the end marker).
bool readRow(const DocumentRow &row, int *pictures, ExportBlock *block) {
    block->outcome = row.outcome;
    switch (row.kind) {
    case RowKind::comment:
        block->kind = ExportBlock::Kind::prose;
        block->lines = splitLines(ScriptText::removeCarets(row.raw));
        return true;
    case RowKind::plainStatement:
    case RowKind::sql:
        block->kind = ExportBlock::Kind::statement;
        block->written = withPasswordsMasked(row.text);
        block->outcome.ran = withPasswordsMasked(row.outcome.ran);
        block->lines = splitLines(row.outcome.ran.isEmpty() ? block->written : block->outcome.ran);
        return true;
    case RowKind::example:
        block->kind = ExportBlock::Kind::example;
        block->lines = splitLines(row.text);
        return true;
    case RowKind::message:
    case RowKind::result:
        block->kind =
            row.kind == RowKind::result ? ExportBlock::Kind::result : ExportBlock::Kind::message;
        block->lines = splitLines(row.text);
        block->completed = block->lines.constFirst().contains(kCommandCompleted);
        return true;
    case RowKind::chart:
    case RowKind::image:
        block->kind =
            row.kind == RowKind::chart ? ExportBlock::Kind::chart : ExportBlock::Kind::picture;
        if (row.kind == RowKind::image) block->text = row.tag;
        block->pictureNumber = ++*pictures;
        block->picture = row.picture;
        return true;
    case RowKind::heading:
        readHeading(row, block);
        return true;
    default:
        return false;
    }
}

} // namespace

QList<ExportBlock> exportBlocks(const DocumentModel &document) {
    QList<ExportBlock> blocks;
    int pictures = 0;
    for (const DocumentRow &row : document) {
        ExportBlock block;
        if (readRow(row, &pictures, &block)) blocks.append(std::move(block));
    }
    return blocks;
}

QList<ExportBlock> readingBlocks(const QList<ExportBlock> &blocks) {
    QList<ExportBlock> shown;
    for (ExportBlock block : blocks) {
        switch (block.kind) {
        case ExportBlock::Kind::prose:
            block.prose = proseParts(block.lines);
            if (block.prose.isEmpty()) continue;
            if (!shown.isEmpty() && shown.constLast().kind == ExportBlock::Kind::prose) {
                joinProse(shown.last(), block.prose);
                continue;
            }
            break;
        case ExportBlock::Kind::statement:
        case ExportBlock::Kind::example:
            block.lines = trimmedBlock(block.lines);
            break;
        case ExportBlock::Kind::message:
        case ExportBlock::Kind::result:
            if (block.completed) continue;
            block.lines = trimmedBlock(block.lines);
            if (block.lines.isEmpty() && !block.outcome.result) continue;
            break;
        case ExportBlock::Kind::link:
            if (block.anchor.isEmpty()) continue;
            break;
        default:
            break;
        }
        shown.append(std::move(block));
    }
    return shown;
}

QString pictureCaption(const ExportBlock &block) {
    return (block.kind == ExportBlock::Kind::chart ? QStringLiteral("Chart ")
                                                   : QStringLiteral("Picture ")) +
           QString::number(block.pictureNumber);
}

QString shownValue(const ResultValue &value) {
    return value ? *value : QStringLiteral("-");
}

QStringList valueLines(const QString &value) {
    return splitLines(value);
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

QString relativeUrl(const QString &fileName) {
    return QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(fileName).fileName()));
}

bool saveWhole(const QString &path, const QByteArray &data, QString *error) {
    const QString failure = writeWholeFile(path, data);
    if (error) *error = failure;
    return failure.isEmpty();
}
