#pragma once
// The open script as text lines, slots 1..10000: the single source of truth between the
// views. Files are UTF-8; the bytes of a file that are not valid UTF-8 are kept as they
// were through edits of the text around them, and so are a byte-order mark and the file's
// line ends.

#include <QString>
#include <vector>

class ScriptLines {
public:
    static constexpr int maxLines = 10000;

    enum class LineEnd { crLf, lf, cr };

    ScriptLines();

    // Slot 1..lineCount; an empty string outside.
    QString line(int slot) const;
    void setLine(int slot, const QString &text);
    void clear() { lineCount = 0; }

    // Empties the store, then reads the file; false when it cannot be opened or is not a
    // regular file. Lines beyond the limit (or kMaxTextBytes) are dropped and reported
    // through truncated().
    bool readFile(const QString &fileName);
    // Every line followed by the line end of the file read (the most frequent one; CR LF
    // for a new script), written atomically (a failure leaves the old file as it was); the
    // system's error description on failure, else empty.
    QString writeFile(const QString &fileName) const;
    // Empties the store and forgets the file it came from, as for a script never saved.
    void forgetFile();
    // Appends one line; at the limit the last slot is overwritten.
    void append(const QString &text);
    // Lines joined by single carriage returns.
    QString joined() const;
    // Replaces the store by a text whose lines end with CR LF or CR; a final empty piece
    // is kept.
    void setText(const QString &text);

    bool truncated() const { return truncated_; }
    // Why the file was read only in part: "has more than 10000 lines" or "is larger than
    // 64 MB"; empty when it was read whole.
    QString cutReason() const;
    // The file last read, kept through edits of its text.
    const QString &fileName() const { return fileName_; }
    // The file held bytes that are not valid UTF-8.
    bool keptBytes() const { return keptBytes_; }
    bool byteOrderMark() const { return byteOrderMark_; }
    LineEnd lineEnd() const { return lineEnd_; }

    std::vector<QString> lines; // index 0 unused
    int lineCount = 0;

private:
    QString fileName_;
    bool truncated_ = false;
    bool tooLarge_ = false; // cut by kMaxTextBytes rather than the line limit
    bool keptBytes_ = false;
    bool byteOrderMark_ = false;
    LineEnd lineEnd_ = LineEnd::crLf;
};
