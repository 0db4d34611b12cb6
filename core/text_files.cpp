#include "core/text_files.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

namespace {

constexpr qint64 kChunkSize = 64 * 1024;

// Cuts complete lines out of a stream of decoded text; the pending tail waits for more.
class LineSplitter {
public:
    explicit LineSplitter(QStringList &lines, int maxLines) : lines_(lines), maxLines_(maxLines) {}

    bool full() const { return maxLines_ >= 0 && lines_.size() >= maxLines_; }

    void feed(QStringView text) {
        for (QChar ch : text) {
            if (full()) return;
            if (afterCr_ && ch == u'\n') {
                afterCr_ = false;
                continue;
            }
            afterCr_ = false;
            if (ch == u'\r' || ch == u'\n') {
                lines_.append(pending_);
                pending_.clear();
                afterCr_ = ch == u'\r';
            } else {
                pending_.append(ch);
            }
        }
    }

    void finish() {
        if (!full() && !pending_.isEmpty()) lines_.append(pending_);
        pending_.clear();
    }

private:
    QStringList &lines_;
    int maxLines_;
    QString pending_;
    bool afterCr_ = false;
};

} // namespace

QString byteLimitText(qint64 bytes) {
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

QString notRegularFile(const QString &file) {
    const QFileInfo info(file);
    if (!info.exists() || info.isFile()) return {};
    return info.isDir() ? QStringLiteral("Is a directory")
                        : QStringLiteral("Not a regular file (a device, a pipe or a socket)");
}

QString unreadablePicture(const QString &file) {
    const QString special = notRegularFile(file);
    if (!special.isEmpty()) return special;
    if (QFileInfo(file).size() > kMaxPictureBytes)
        return QStringLiteral("Larger than ") + byteLimitText(kMaxPictureBytes);
    return {};
}

bool readTextLines(const QString &file, int maxLines, QStringList &lines, QString &error) {
    lines.clear();
    error.clear();
    if (file.isEmpty()) {
        error = QStringLiteral("No file name given");
        return false;
    }
    error = notRegularFile(file);
    if (!error.isEmpty()) return false;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        error = in.errorString();
        return false;
    }
    // Stateful, so a character split between two chunks decodes whole; a BOM is dropped.
    QStringDecoder decoder(QStringDecoder::Utf8);
    LineSplitter splitter(lines, maxLines);
    qint64 left = kMaxTextBytes;
    while (!splitter.full() && left > 0) {
        const QByteArray chunk = in.read(std::min(kChunkSize, left));
        left -= chunk.size();
        if (chunk.isEmpty()) break;
        const QString text = decoder.decode(chunk);
        splitter.feed(text);
    }
    // Cut short by the byte cap rather than the line count: the caller would take the
    // first part for the whole file.
    if (!splitter.full() && left == 0 && !in.atEnd()) {
        lines.clear();
        error = QStringLiteral("Larger than ") + byteLimitText(kMaxTextBytes);
        return false;
    }
    splitter.finish();
    return true;
}

QStringList splitTextLines(const QString &text) {
    QStringList lines;
    LineSplitter splitter(lines, -1);
    splitter.feed(text);
    splitter.finish();
    return lines;
}

QString withCarriageReturns(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
}

QString withLineFeeds(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

QString crLfAsCr(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
}

QString withoutLeadingLineBreaks(QString text) {
    while (text.startsWith(QLatin1String("\r\n")))
        text.remove(0, 2);
    return text;
}
