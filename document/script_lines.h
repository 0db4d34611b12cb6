#pragma once
// The open script as text lines, slots 1..10000: the single source of truth between the
// views. Files are UTF-8; a file that is not valid UTF-8 is read as Latin-1 and written
// back the same way, so no byte of it is lost; a UTF-8 byte-order mark is kept too, and
// so are the file's line ends.

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
    // The file last read, kept through edits of its text.
    const QString &fileName() const { return fileName_; }
    bool latin1() const { return latin1_; }
    bool byteOrderMark() const { return byteOrderMark_; }
    LineEnd lineEnd() const { return lineEnd_; }

    std::vector<QString> lines; // index 0 unused
    int lineCount = 0;

private:
    QString fileName_;
    bool truncated_ = false;
    bool latin1_ = false;
    bool byteOrderMark_ = false;
    LineEnd lineEnd_ = LineEnd::crLf;
};
