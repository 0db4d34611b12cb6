#pragma once
// The one way files are written for the user: scripts, exports and their pictures, and
// the runners' work files. Every write is checked and a failure keeps the system's own
// reason ("No space left on device"), never a generic one.

#include <QByteArray>
#include <QString>
#include <memory>

class QFileDevice;

class FileWriter {
public:
    enum class Mode {
        // A temporary file beside the target, renamed over it on commit, so a failure
        // leaves the old file whole. Written in place only where the folder is not
        // writable, or when the target is a device or pipe rather than a file; a name of
        // an open descriptor (/dev/stdout, /dev/fd/3) is written through the descriptor.
        replace,
        // A work file with a fixed name in a shared folder: whatever is there (a planted
        // link included) is removed, and a new file is created exclusively, mode 0600.
        privateWork,
    };

    explicit FileWriter(const QString &path, Mode mode = Mode::replace);
    ~FileWriter();
    FileWriter(const FileWriter &) = delete;
    FileWriter &operator=(const FileWriter &) = delete;

    bool open();
    // Buffered; false once any write has failed (later writes are ignored).
    bool write(const QByteArray &bytes);
    // Writes what is buffered and puts the file in place; false on any failure, in which
    // case a replaced file keeps its old contents.
    bool commit();
    // The first failure's reason; empty while all went well.
    QString errorString() const { return error_; }
    QString path() const { return path_; }

private:
    // Takes the descriptor (-1: the failure in errno) as the device written.
    bool openOn(int fd);
    bool flushPending();
    bool fail(const QString &reason);

    QString path_;
    Mode mode_;
    std::unique_ptr<QFileDevice> device_;
    QByteArray pending_;
    QString error_;
};

// The open descriptor that /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N names,
// or -1. Opened by name, the file behind it would be truncated or replaced, where the
// shell's redirection (">> f") asks for the writes to go on at its offset.
int openDescriptorNamed(const QString &path);

// Writes bytes as the whole file; the reason on failure, else an empty string.
QString writeWholeFile(const QString &path, const QByteArray &bytes,
                       FileWriter::Mode mode = FileWriter::Mode::replace);
