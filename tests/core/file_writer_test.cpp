// The writer of every file written for the user: a failure keeps the old file and names
// the real reason; work files never follow a planted link and are private.
#include "core/file_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int fileMode(const QString &path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

void plant(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A disk that fills up after a few kilobytes, for this process only.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

} // namespace

TEST(FileWriter, AFailedWriteKeepsTheOldFileAndNamesTheReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath("script.norq");
    plant(path, "SELECT 1;\r\n");
    {
        const FileSizeLimit full(4096);
        const QString error = writeWholeFile(path, QByteArray(64 * 1024, 'x'));
        EXPECT_EQ(error.toStdString(), "File too large");
    }
    EXPECT_EQ(readBytes(path), "SELECT 1;\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"script.norq"}); // no leftover

    EXPECT_TRUE(writeWholeFile(path, "SELECT 2;\r\n").isEmpty());
    EXPECT_EQ(readBytes(path), "SELECT 2;\r\n");
    EXPECT_EQ(writeWholeFile(dir.path(), "x").toStdString(), "Is a directory");
    EXPECT_FALSE(writeWholeFile(dir.filePath("no/such/folder.txt"), "x").isEmpty());
}

TEST(FileWriter, AFullDeviceIsWrittenInPlaceAndItsFailureReported) {
    // A device cannot be replaced by a rename, and must not be (the program may run as root).
    EXPECT_EQ(writeWholeFile("/dev/full", "text\r\n").toStdString(), "No space left on device");
    EXPECT_FALSE(QFileInfo("/dev/full").isFile());
    EXPECT_TRUE(writeWholeFile("/dev/null", "text\r\n").isEmpty());
}

TEST(FileWriter, AFolderThatIsNotWritableIsWrittenInPlace) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    QTemporaryDir dir;
    const QString path = dir.filePath("script.norq");
    plant(path, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    EXPECT_TRUE(writeWholeFile(path, "new").isEmpty());
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_FALSE(writeWholeFile(dir.filePath("other.norq"), "x").isEmpty());
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
}

TEST(FileWriter, AWorkFileReplacesAPlantedLinkAndIsPrivate) {
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim.txt");
    plant(victim, "private");
    const QString work = dir.filePath("NORQCMDS.BAT");
    ASSERT_TRUE(QFile::link(victim, work));
    EXPECT_TRUE(writeWholeFile(work, "echo hi\r\n", FileWriter::Mode::privateWork).isEmpty());
    EXPECT_EQ(readBytes(victim), "private");
    const QFileInfo written(work);
    EXPECT_FALSE(written.isSymLink());
    EXPECT_EQ(readBytes(work), "echo hi\r\n");
    EXPECT_EQ(fileMode(work), 0600);

    // A dangling link is no different.
    QFile::remove(work);
    ASSERT_TRUE(QFile::link(dir.filePath("created-by-nobody"), work));
    EXPECT_TRUE(writeWholeFile(work, "x", FileWriter::Mode::privateWork).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("created-by-nobody")));
}
