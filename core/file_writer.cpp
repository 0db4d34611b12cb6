#include "core/file_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// Small writes (an export writes a line at a time) are gathered into fewer system calls.
constexpr qsizetype kFlushSize = 64 * 1024;
constexpr auto kUnbufferedWrite = QIODevice::WriteOnly | QIODevice::Unbuffered;

} // namespace

FileWriter::FileWriter(const QString &path, Mode mode) : path_(path), mode_(mode) {}

FileWriter::~FileWriter() = default;

bool FileWriter::fail(const QString &reason) {
    if (error_.isEmpty()) error_ = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
    if (auto *save = qobject_cast<QSaveFile *>(device_.get())) save->cancelWriting();
    if (mode_ == Mode::privateWork && device_) {
        // A half-written work file must not be run.
        device_->close();
        QFile::remove(path_);
    }
    device_.reset();
    return false;
}

bool FileWriter::open() {
    error_.clear();
    pending_.clear();
    if (path_.isEmpty()) return fail(QStringLiteral("No file name given"));
    const QByteArray name = QFile::encodeName(path_);
    if (mode_ == Mode::privateWork) {
        ::unlink(name.constData()); // a link is removed itself, its target is left alone
        return openOn(
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    }
    if (const int named = openDescriptorNamed(path_); named >= 0)
        return openOn(::fcntl(named, F_DUPFD_CLOEXEC, 0));
    const QFileInfo target(path_);
    if (target.isDir()) return fail(QStringLiteral("Is a directory"));
    if (target.exists() && !target.isFile()) {
        // A device or pipe cannot be replaced by a rename; it is written as it is. Opened
        // without waiting, a pipe nobody reads fails at once instead of holding the writer.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == ENXIO) return fail(QStringLiteral("No program reads the pipe"));
        if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return openOn(fd);
    }
    auto save = std::make_unique<QSaveFile>(path_);
    save->setDirectWriteFallback(true);
    if (!save->open(kUnbufferedWrite)) return fail(save->errorString());
    device_ = std::move(save);
    return true;
}

bool FileWriter::openOn(int fd) {
    if (fd < 0) return fail(qt_error_string(errno));
    auto file = std::make_unique<QFile>(path_);
    if (!file->open(fd, kUnbufferedWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file->errorString());
    }
    device_ = std::move(file);
    return true;
}

bool FileWriter::flushPending() {
    if (!device_) return false;
    const QByteArray bytes = std::exchange(pending_, {});
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = device_->write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) return fail(device_->errorString());
        done += written;
    }
    return true;
}

bool FileWriter::write(const QByteArray &bytes) {
    if (!device_) return false;
    pending_ += bytes;
    return pending_.size() < kFlushSize || flushPending();
}

bool FileWriter::commit() {
    if (!device_ || !flushPending()) return false;
    if (auto *save = qobject_cast<QSaveFile *>(device_.get())) {
        if (!save->commit()) return fail(save->errorString());
    } else {
        auto *file = static_cast<QFile *>(device_.get());
        // Unbuffered, so a failure of the last write was seen above; close can still fail.
        file->close();
        if (file->error() != QFileDevice::NoError) return fail(file->errorString());
    }
    device_.reset();
    return true;
}

int openDescriptorNamed(const QString &path) {
    static const QRegularExpression named(
        QStringLiteral("^/(?:dev/(?:(stdout)|(stderr)|fd/(\\d+))|proc/self/fd/(\\d+))$"));
    const QRegularExpressionMatch match = named.match(path);
    if (!match.hasMatch()) return -1;
    bool number = true;
    const int fd = match.hasCaptured(1)   ? 1
                   : match.hasCaptured(2) ? 2
                   : match.hasCaptured(3) ? match.captured(3).toInt(&number)
                                          : match.captured(4).toInt(&number);
    return number && ::fcntl(fd, F_GETFD) != -1 ? fd : -1;
}

QString writeWholeFile(const QString &path, const QByteArray &bytes, FileWriter::Mode mode) {
    FileWriter writer(path, mode);
    if (writer.open() && writer.write(bytes) && writer.commit()) return {};
    return writer.errorString();
}
