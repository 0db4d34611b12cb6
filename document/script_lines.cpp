#include "document/script_lines.h"

#include "core/file_writer.h"
#include "core/text_files.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

// A byte that is not part of valid UTF-8 is held as the lone low surrogate U+DC80..U+DCFF,
// which decoding valid UTF-8 never yields, and written back as that byte: the text around
// it keeps its characters and the byte itself survives a save.
constexpr char16_t kKeptByteBase = 0xDC00;

bool isKeptByte(const QString &text, qsizetype at) {
    const char16_t c = text.at(at).unicode();
    return c >= kKeptByteBase + 0x80 && c <= kKeptByteBase + 0xFF &&
           (at == 0 || !text.at(at - 1).isHighSurrogate());
}

// The length of the valid UTF-8 sequence at `at`, 0 when its first byte starts none.
qsizetype utf8SequenceLength(const QByteArray &bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;  // overlong
        if (lead == 0xED) high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;  // overlong
        if (lead == 0xF4) high = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (qsizetype i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

QString decodeFileText(const QByteArray &bytes, bool &keptBytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    keptBytes = utf8.hasError();
    if (!keptBytes) return text;
    text.clear();
    qsizetype validFrom = bytes.startsWith(kByteOrderMark) ? 3 : 0;
    for (qsizetype at = validFrom; at < bytes.size();) {
        const qsizetype length = utf8SequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + validFrom, at - validFrom);
        text += QChar(char16_t(kKeptByteBase + static_cast<unsigned char>(bytes[at])));
        validFrom = ++at;
    }
    text += QString::fromUtf8(bytes.constData() + validFrom, bytes.size() - validFrom);
    return text;
}

QByteArray encodeFileText(const QString &text) {
    QByteArray bytes;
    qsizetype validFrom = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!isKeptByte(text, at)) continue;
        bytes += QStringView(text).mid(validFrom, at - validFrom).toUtf8();
        bytes += static_cast<char>(text.at(at).unicode() - kKeptByteBase);
        validFrom = at + 1;
    }
    bytes += QStringView(text).mid(validFrom).toUtf8();
    return bytes;
}

} // namespace

void ScriptLines::forgetFile() {
    lineCount = 0;
    truncated_ = false;
    tooLarge_ = false;
    keptBytes_ = false;
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
        tooLarge_ = true;
    }
    const QString text = decodeFileText(bytes, keptBytes_);
    // The decoder drops the mark; it is written back so the file keeps its first bytes.
    byteOrderMark_ = bytes.startsWith(kByteOrderMark);
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
    const QByteArray bytes = keptBytes_ ? encodeFileText(text) : text.toUtf8();
    return writeWholeFile(fileName, byteOrderMark_ ? kByteOrderMark + bytes : bytes);
}

QString ScriptLines::cutReason() const {
    if (!truncated_) return {};
    return tooLarge_ ? QStringLiteral("is larger than ") + byteLimitText(kMaxTextBytes)
                     : QStringLiteral("has more than %1 lines").arg(maxLines);
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
    tooLarge_ = false;
    for (const QString &piece : plain.split(u'\r')) {
        if (lineCount == maxLines) {
            truncated_ = true;
            break;
        }
        lines[++lineCount] = piece;
    }
}
