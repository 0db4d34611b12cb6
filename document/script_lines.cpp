#include "document/script_lines.h"

#include "engine/file_writer.h"
#include "engine/text_files.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

ScriptLines::ScriptLines() : lines(maxLines + 1) {}

QString ScriptLines::line(int slot) const {
    if (slot < 1 || slot > lineCount) return {};
    return lines[slot];
}

void ScriptLines::setLine(int slot, const QString &text) {
    if (slot < 1 || slot > maxLines) return;
    lines[slot] = text;
    if (slot > lineCount) lineCount = slot;
}

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The most frequent line end of a text; a tie, or none at all, keeps CR LF.
ScriptLines::LineEnd dominantLineEnd(const QString &text) {
    qsizetype crLf = 0, lf = 0, cr = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text.at(at) == u'\n') {
            ++lf;
        } else if (text.at(at) == u'\r') {
            if (at + 1 < text.size() && text.at(at + 1) == u'\n') {
                ++crLf;
                ++at;
            } else {
                ++cr;
            }
        }
    }
    if (lf > crLf && lf >= cr) return ScriptLines::LineEnd::lf;
    if (cr > crLf && cr > lf) return ScriptLines::LineEnd::cr;
    return ScriptLines::LineEnd::crLf;
}

QString lineEndText(ScriptLines::LineEnd end) {
    switch (end) {
    case ScriptLines::LineEnd::lf:
        return QStringLiteral("\n");
    case ScriptLines::LineEnd::cr:
        return QStringLiteral("\r");
    default:
        return QStringLiteral("\r\n");
    }
}

QString decodeFileText(const QByteArray &bytes, bool &latin1) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    latin1 = utf8.hasError();
    if (latin1) text = QString::fromLatin1(bytes);
    return text;
}

} // namespace

void ScriptLines::forgetFile() {
    lineCount = 0;
    truncated_ = false;
    latin1_ = false;
    byteOrderMark_ = false;
    lineEnd_ = LineEnd::crLf;
    fileName_.clear();
}

bool ScriptLines::readFile(const QString &fileName) {
    forgetFile();
    fileName_ = fileName;
    if (fileName.isEmpty() || !notRegularFile(fileName).isEmpty()) return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // read(n) would set aside n bytes for even the smallest file.
    const bool tooLong = file.size() > kMaxTextBytes;
    QByteArray bytes = tooLong ? file.read(kMaxTextBytes) : file.readAll();
    file.close();
    if (tooLong) {
        // Cut after the last whole line, so no character is split.
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
        truncated_ = true;
    }
    const QString text = decodeFileText(bytes, latin1_);
    // The decoder drops the mark; it is written back so the file keeps its first bytes.
    byteOrderMark_ = !latin1_ && bytes.startsWith(kByteOrderMark);
    lineEnd_ = dominantLineEnd(text);

    // A line ends at CR, CR LF or LF; a final terminator opens no further line.
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        if (lineCount == maxLines) {
            truncated_ = true;
            break;
        }
        lines[++lineCount] = text.mid(start, end - start);
        if (end < size && text.at(end) == u'\r' && end + 1 < size && text.at(end + 1) == u'\n')
            ++end;
        start = end + 1;
    }
    return true;
}

QString ScriptLines::writeFile(const QString &fileName) const {
    const QString end = lineEndText(lineEnd_);
    QString text;
    for (int slot = 1; slot <= lineCount; ++slot)
        text += lines[slot] + end;
    // A Latin-1 file goes back as Latin-1 unless an edit added what Latin-1 cannot hold.
    const bool keepLatin1 = latin1_ && std::all_of(text.cbegin(), text.cend(),
                                                   [](QChar c) { return c.unicode() < 256; });
    const QByteArray bytes = keepLatin1       ? text.toLatin1()
                             : byteOrderMark_ ? kByteOrderMark + text.toUtf8()
                                              : text.toUtf8();
    return writeWholeFile(fileName, bytes);
}

void ScriptLines::append(const QString &text) {
    if (lineCount < maxLines) ++lineCount;
    lines[lineCount] = text;
}

QString ScriptLines::joined() const {
    QString text;
    for (int slot = 1; slot <= lineCount; ++slot) {
        if (slot > 1) text += u'\r';
        text += lines[slot];
    }
    return text;
}

void ScriptLines::setText(const QString &text) {
    const QString plain = withCarriageReturns(text);
    lineCount = 0;
    truncated_ = false;
    for (const QString &piece : plain.split(u'\r')) {
        if (lineCount == maxLines) {
            truncated_ = true;
            break;
        }
        lines[++lineCount] = piece;
    }
}
