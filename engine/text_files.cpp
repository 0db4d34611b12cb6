#include "engine/text_files.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

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

bool readTextLines(const QString &file, int maxLines, QStringList &lines, QString &error) {
    lines.clear();
    error.clear();
    if (file.isEmpty()) {
        error = QStringLiteral("No file name given");
        return false;
    }
    if (QFileInfo(file).isDir()) {
        error = QStringLiteral("Is a directory");
        return false;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        error = in.errorString();
        return false;
    }
    // Stateful, so a character split between two chunks decodes whole; a BOM is dropped.
    QStringDecoder decoder(QStringDecoder::Utf8);
    LineSplitter splitter(lines, maxLines);
    while (!splitter.full()) {
        const QByteArray chunk = in.read(kChunkSize);
        if (chunk.isEmpty()) break;
        const QString text = decoder.decode(chunk);
        splitter.feed(text);
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
